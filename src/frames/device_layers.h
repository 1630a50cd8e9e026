#pragma once
// The layers and attribute tags of a device frame: the frame block's name, the nine device
// layers with the colour each is made with and the label the layer table shows beside it.
#include <array>
#include <string_view>

namespace qarn::frames {

inline const char* const kFrameBlock = "TOVEK_RA100";
inline const char* const kFrontLayer = "TOVEK_FRONT";

struct DeviceLayer {
  const char* name;
  const char* label;     // shown beside the name in the layer table
  int color;             // the colour the layer is made with
  const char* linetype;  // the linetype it is made with, "" for the CAD's default
};

// In the layer table's order.
const std::array<DeviceLayer, 9>& deviceLayers();
// The entry of that name (exact); nullptr when it is not a device layer.
const DeviceLayer* findDeviceLayer(std::string_view name);

}  // namespace qarn::frames
