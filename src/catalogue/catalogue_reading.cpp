#include "catalogue/catalogue_reading.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "cad/huge_pages.h"

namespace qarn::catalogue {

namespace {

// A hash of the content, eight bytes a step, made as the file is read: every piece but the last
// is a multiple of eight bytes long.
class ContentHash {
 public:
  void add(const char* p, std::size_t n) {
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) {
      std::uint64_t w;
      std::memcpy(&w, p + i, 8);
      h_ = (h_ ^ w) * 0x100000001B3ull;
      h_ ^= h_ >> 29;
    }
    for (; i < n; ++i)
      h_ = (h_ ^ static_cast<unsigned char>(p[i])) * 0x100000001B3ull;
    size_ += n;
  }
  std::uint64_t value() const { return (h_ ^ size_) * 0x100000001B3ull; }

 private:
  std::uint64_t h_ = 1469598103934665603ull;
  std::uint64_t size_ = 0;
};

constexpr std::size_t kReadPiece = std::size_t{1} << 20;

// Reads the file a piece at a time, handing each piece to `take`. Nothing when the file does not
// exist; std::runtime_error when it cannot be read.
template <class Take>
bool readPieces(const std::string& path, std::string& piece, Take take) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(cad::filePath(path), ec)) return false;
  std::ifstream in(cad::filePath(path), std::ios::binary);
  if (!in) throw std::runtime_error("「" + path + "」を読めません。");
  piece.resize(kReadPiece);
  while (in.read(piece.data(), static_cast<std::streamsize>(kReadPiece)) || in.gcount() > 0) {
    piece.resize(static_cast<std::size_t>(in.gcount()));
    take(piece);
    piece.resize(kReadPiece);
  }
  if (in.bad()) throw std::runtime_error("「" + path + "」を読めません。");
  return true;
}

}  // namespace

std::optional<std::uint64_t> hashFile(const std::string& path) {
  ContentHash hash;
  std::string piece;
  if (!readPieces(path, piece, [&](const std::string& p) { hash.add(p.data(), p.size()); }))
    return std::nullopt;
  return hash.value();
}

// The file decoded as it is read, a run of whole lines at a time, straight from the piece read
// into the text: a large catalogue is never held both as bytes and as text, and its bytes are
// not copied on the way. A line feed never lies inside a character in any of the encodings, so
// a run cut after one decodes as the whole file would.
std::optional<DecodedFile> readDecoded(const std::string& path) {
  DecodedFile f;
  ContentHash hash;
  std::string piece;
  // The bytes after the last line feed read so far: the start of a line a later piece ends.
  std::string pending;
  bool first = true;
  std::size_t unit = 1;  // bytes of a line feed
  bool bigEndian = false;
  std::error_code ec;
  auto size = std::filesystem::file_size(cad::filePath(path), ec);
  auto isLineFeed = [&](const char* u) {
    return unit == 1 ? u[0] == '\n'
                     : (bigEndian ? u[0] == 0 && u[1] == '\n' : u[0] == '\n' && u[1] == 0);
  };
  // Where the first (or the last) line feed of `v` ends, on whole units; 0 when it has none.
  auto firstLineEnd = [&](std::string_view v) -> std::size_t {
    for (std::size_t k = 0; k + unit <= v.size(); k += unit)
      if (isLineFeed(v.data() + k)) return k + unit;
    return 0;
  };
  auto lastLineEnd = [&](std::string_view v) -> std::size_t {
    for (std::size_t k = v.size() / unit * unit; k >= unit; k -= unit)
      if (isLineFeed(v.data() + k - unit)) return k;
    return 0;
  };
  bool found = readPieces(path, piece, [&](std::string& p) {
    hash.add(p.data(), p.size());
    std::string_view v = p;
    if (first) {
      first = false;
      std::size_t mark = 0;
      f.encoding = cad::detectEncoding(p, mark);
      v.remove_prefix(mark);
      unit = f.encoding == cad::TextEncoding::Utf16LeBom ||
                     f.encoding == cad::TextEncoding::Utf16BeBom
                 ? 2
                 : 1;
      bigEndian = f.encoding == cad::TextEncoding::Utf16BeBom;
      // Room for a text half as long again as the file (two bytes of a Japanese character become
      // three); a file of more half-width kana grows it.
      if (!ec) cad::reserveLarge(f.text, static_cast<std::size_t>(size) / 2 * 3 + 16);
    }
    // What is pending holds no line feed: the line it begins ends at the first line feed of the
    // piece. Every piece but the last is a whole megabyte, and the mark before UTF-16 two bytes,
    // so units are counted from the piece's start.
    std::size_t end = firstLineEnd(v);
    if (end == 0) {
      pending.append(v);
      return;
    }
    pending.append(v.substr(0, end));
    cad::appendDecoded(f.text, pending, f.encoding);
    pending.clear();
    v.remove_prefix(end);
    end = lastLineEnd(v);
    cad::appendDecoded(f.text, v.substr(0, end), f.encoding);
    pending.assign(v.substr(end));
  });
  if (!found) return std::nullopt;
  if (!pending.empty()) cad::appendDecoded(f.text, pending, f.encoding);
  f.hash = hash.value();
  return f;
}

}  // namespace qarn::catalogue
