// qarn-cli thumbnail: the preview stored in a drawing file, as the block library reads and shows
// it.
#include <iostream>

#include "cad/numbers.h"
#include "cli/jobs.h"
#include "library/thumbnail.h"

namespace qarn::cli {

namespace {
int fail(const std::string& why, int code = 1) {
  std::cerr << "qarn-cli thumbnail: " << why << "\n";
  return code;
}
}  // namespace

int runThumbnail(const std::vector<std::string>& args) {
  std::string file, png;
  int boxW = 225, boxH = 229;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--png" || a == "--box") {
      if (i + 1 >= args.size()) return fail("missing value after " + a, 2);
      const std::string& v = args[++i];
      if (a == "--png") {
        png = v;
        continue;
      }
      auto x = v.find('x');
      auto w = cad::tryReadWholeNumber(v.substr(0, x));
      auto h = x == std::string::npos ? std::nullopt : cad::tryReadWholeNumber(v.substr(x + 1));
      if (!w || !h || *w <= 0 || *h <= 0 || *w > 4096 || *h > 4096)
        return fail("--box needs WxH, got \"" + v + "\"", 2);
      boxW = *w;
      boxH = *h;
    } else if (file.empty() && a.rfind("--", 0) != 0) {
      file = a;
    } else {
      return fail("unknown argument " + a, 2);
    }
  }
  if (file.empty()) return fail("no drawing file given", 2);
  library::Thumbnail t = library::ShowDwgThumbnail(file, boxW, boxH, 0x000000, true);
  if (!png.empty() && !library::writePng(png, t.box)) return fail("cannot write " + png);
  if (!t.read) return fail(file + ": " + t.why);
  std::string kind = t.kind == library::DwgPreview::Kind::Bmp
                         ? "BMP " + std::to_string(t.bitDepth) + "-bit"
                     : t.kind == library::DwgPreview::Kind::Png ? "PNG"
                                                                : "none";
  std::cout << file << ": AC" << t.version << ", preview " << kind << ", " << t.storedWidth << "x"
            << t.storedHeight << "\n";
  return 0;
}

}  // namespace qarn::cli
