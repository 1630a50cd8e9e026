// The enclosure catalogues: one family's file, filtered and each row copied as a click does.
#include "enclosure/enclosure_catalogue.h"
#include "fuzz_support.h"

using namespace qarn;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const auto& families = enclosure::families();
  const std::string& family = families[data[0] % families.size()];
  fuzz::writeInput(enclosure::catalogueFileName(family), data + 1, size - 1);
  // Once as listed, once through every filter.
  for (const enclosure::EnclosureFilters& filters :
       {enclosure::EnclosureFilters{}, enclosure::EnclosureFilters{"4", "", "2", true}}) {
    auto list = enclosure::loadEnclosureList(fuzz::scratchFolder().string(), family, filters);
    for (const auto& row : list.rows)
      enclosure::copyEnclosureRow(row);
  }
  return 0;
}
