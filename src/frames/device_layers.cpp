#include "frames/device_layers.h"

namespace qarn::frames {

const std::array<DeviceLayer, 9>& deviceLayers() {
  static const std::array<DeviceLayer, 9> layers{{
      {"TOVEK_FRONT", "正面", 7, ""},
      {"TOVEK_CUT", "カット", 253, ""},
      {"TOVEK_SIDE", "側面", 7, ""},
      {"TOVEK_BODY", "側面（胴体）", 254, "HIDDEN"},
      {"TOVEK_NAME", "器具番号", 4, ""},
      {"TOVEK_TYPE", "型番", 7, ""},
      {"TOVEK_SPEC", "定格", 2, ""},
      {"TOVEK_AUX1", "補助１", 1, ""},
      {"TOVEK_AUX2", "補助２/ CUT", 7, ""},
  }};
  return layers;
}

const DeviceLayer* findDeviceLayer(std::string_view name) {
  for (const DeviceLayer& l : deviceLayers())
    if (name == l.name) return &l;
  return nullptr;
}

}  // namespace qarn::frames
