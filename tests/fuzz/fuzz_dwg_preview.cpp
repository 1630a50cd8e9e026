// The drawing preview reader: a .dwg file's header, entry table and BMP or PNG picture, then the
// picture fitted into the library page's box.
#include <cstdlib>
#include <string>

#include "library/thumbnail.h"

using namespace qarn;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  auto preview = library::readDwgPreview(bytes);
  if (!preview) return 0;
  const library::Picture& p = preview->picture;
  if (p.bgr.size() != static_cast<std::size_t>(p.width) * p.height * 3) std::abort();
  library::Picture box = library::fitPreview(p, 225, 229, 0x000000, true);
  if (box.width != 225 || box.height != 229) std::abort();
  return 0;
}
