// The device catalogues: records sorted and numbered, searched, and a row chosen as a click does.
#include "catalogue/device_catalogue.h"
#include "frames/frame_row.h"
#include "fuzz_support.h"

using namespace qarn;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  catalogue::CatalogueCache cache;
  auto snapshot = cache.load(fuzz::writeInput("TOVEK.txt", data, size));
  if (!snapshot) return 0;
  std::string first = snapshot->lines.empty() ? "" : std::string(snapshot->lines.front().substr(0, 8));
  for (const std::string& mask : {std::string(), std::string("A,\"b c\""), first})
    for (int i : snapshot->filter(mask)) {
      const catalogue::Record& r = snapshot->records[i];
      frames::chooseFrameRow(r.fields());
      catalogue::stepDeviceNumber(r.field(1), 1);
    }
  return 0;
}
