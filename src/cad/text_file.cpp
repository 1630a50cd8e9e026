#include "cad/text_file.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cad/huge_pages.h"
#include "cad/text.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <deque>
#include <unordered_map>
#include <unordered_set>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace qarn::cad {

std::filesystem::path filePath(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string utf8Path(const std::filesystem::path& path) {
  std::u8string s = path.u8string();
  return std::string(s.begin(), s.end());
}

std::string joinPath(const std::string& folder, const std::string& name) {
  return utf8Path(filePath(folder) / filePath(name));
}

std::vector<std::string_view> splitLineViews(std::string_view text) {
  std::vector<std::string_view> lines;
  // Room for every line at once: a large file's list is not copied as it grows. Lines ended by a
  // lone carriage return take more room as they come.
  reserveLarge(lines, static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
  const char* p = text.data();
  const std::size_t n = text.size();
  std::size_t start = 0;
  while (start < n) {
    // The next line feed, and a carriage return before it if there is one.
    const void* lf = std::memchr(p + start, '\n', n - start);
    std::size_t end = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - p) : n;
    const void* cr = std::memchr(p + start, '\r', end - start);
    if (cr) {
      std::size_t at = static_cast<std::size_t>(static_cast<const char*>(cr) - p);
      lines.push_back(text.substr(start, at - start));
      start = at + 1 + (at + 1 < n && p[at + 1] == '\n');
    } else if (lf) {
      lines.push_back(text.substr(start, end - start));
      start = end + 1;
    } else {
      lines.push_back(text.substr(start));
      start = n;
    }
  }
  return lines;
}

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string_view> views = splitLineViews(text);
  return std::vector<std::string>(views.begin(), views.end());
}

namespace {

// Whether the bytes are well formed in the encoding (Shift-JIS: whether they decode without a
// replacement).
bool wellFormed(const std::string& b, TextEncoding encoding, const std::string& decoded) {
  switch (encoding) {
    case TextEncoding::Utf8Bom:
      return isWellFormedUtf8(b);
    case TextEncoding::Utf16LeBom:
    case TextEncoding::Utf16BeBom: {
      if (b.size() % 2) return false;
      bool be = encoding == TextEncoding::Utf16BeBom;
      for (std::size_t i = 0; i + 1 < b.size(); i += 2) {
        unsigned u =
            be ? (static_cast<unsigned char>(b[i]) << 8 | static_cast<unsigned char>(b[i + 1]))
               : (static_cast<unsigned char>(b[i + 1]) << 8 | static_cast<unsigned char>(b[i]));
        if (u >= 0xDC00 && u < 0xE000) return false;  // a low surrogate alone
        if (u >= 0xD800 && u < 0xDC00) {
          if (i + 3 >= b.size()) return false;
          unsigned lo = be ? (static_cast<unsigned char>(b[i + 2]) << 8 |
                              static_cast<unsigned char>(b[i + 3]))
                           : (static_cast<unsigned char>(b[i + 3]) << 8 |
                              static_cast<unsigned char>(b[i + 2]));
          if (lo < 0xDC00 || lo >= 0xE000) return false;
          i += 2;
        }
      }
      return true;
    }
    case TextEncoding::ShiftJis:
      return decoded.find("\xEF\xBF\xBD") == std::string::npos;
  }
  return true;
}

}  // namespace

std::optional<std::string> readFileBytes(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(filePath(path), ec)) return std::nullopt;
  std::ifstream in(filePath(path), std::ios::binary);
  if (!in) throw std::runtime_error("「" + path + "」を読めません。");
  std::string bytes;
  auto size = std::filesystem::file_size(filePath(path), ec);
  if (!ec) reserveLarge(bytes, static_cast<std::size_t>(size));
  char buffer[1 << 16];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0)
    bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
  if (in.bad()) throw std::runtime_error("「" + path + "」を読めません。");
  return bytes;
}

namespace {
// The first line where a replacement stands; the first line at all if none can be told.
template <class Lines>
int firstBadLine(const Lines& lines) {
  for (std::size_t i = 0; i < lines.size(); ++i)
    if (std::string_view(lines[i]).find("\xEF\xBF\xBD") != std::string_view::npos)
      return static_cast<int>(i) + 1;
  return 1;
}

std::string byteOrderMark(TextEncoding encoding) {
  switch (encoding) {
    case TextEncoding::Utf8Bom:
      return "\xEF\xBB\xBF";
    case TextEncoding::Utf16LeBom:
      return "\xFF\xFE";
    case TextEncoding::Utf16BeBom:
      return "\xFE\xFF";
    case TextEncoding::ShiftJis:
      break;
  }
  return {};
}

[[noreturn]] void undefinedBytes(const std::string& path, int line) {
  throw EncodingError("「" + path + "」の " + std::to_string(line) +
                          " 行目に、文字として読めないバイトがあります。書き換えると失われるため、"
                          "保存しません。",
                      "");
}
}  // namespace

std::optional<TextFile> readTextFile(const std::string& path) {
  std::optional<std::string> read = readFileBytes(path);
  if (!read) return std::nullopt;
  std::string& bytes = *read;
  std::size_t mark = 0;
  TextFile f;
  f.encoding = detectEncoding(bytes, mark);
  f.original = mark ? bytes.substr(mark) : std::move(bytes);
  std::string text = decodeText(f.original, f.encoding);
  f.lines = splitLines(text);
  if (!wellFormed(f.original, f.encoding, text)) f.badLine = firstBadLine(f.lines);
  return f;
}

std::unique_ptr<LineFile> readLineFile(const std::string& path) {
  std::optional<std::string> read = readFileBytes(path);
  if (!read) return nullptr;
  std::size_t mark = 0;
  auto file = std::make_unique<LineFile>();
  LineFile& f = *file;
  f.encoding = detectEncoding(*read, mark);
  f.original = mark ? read->substr(mark) : std::move(*read);
  f.text = decodeText(f.original, f.encoding);
  f.lines = splitLineViews(f.text);
  if (!wellFormed(f.original, f.encoding, f.text)) f.badLine = firstBadLine(f.lines);
  // In Shift-JIS and UTF-8 a line end is the same byte in the text and in the file (no byte of a
  // character is CR or LF), so the file's own lines are the text's.
  if (f.encoding == TextEncoding::ShiftJis || f.encoding == TextEncoding::Utf8Bom) {
    f.bytes = splitLineViews(f.original);
    if (f.bytes.size() != f.lines.size()) f.bytes.clear();
  }
  return file;
}

void writeLineFile(const std::string& path, const LineFile& file,
                   const std::vector<std::int64_t>& order, const std::vector<std::string>& added) {
  if (file.badLine > 0) undefinedBytes(path, file.badLine);
  // The added lines are encoded first: one the encoding cannot hold is refused before anything
  // is written.
  std::vector<std::string> encoded;
  for (const std::string& line : added)
    encoded.push_back(encodeText(line, file.encoding));
  const std::string lineEnd = encodeText("\r\n", file.encoding);
  // Written a megabyte at a time: a large catalogue is not held a second time.
  writeFileAtomically(path, [&](const ByteSink& sink) {
    std::string bytes = byteOrderMark(file.encoding);
    bytes.reserve((std::size_t{1} << 20) + 64);
    for (std::int64_t i : order) {
      if (i < 0)
        bytes += encoded.at(static_cast<std::size_t>(-1 - i));
      else if (!file.bytes.empty())
        bytes += file.bytes.at(static_cast<std::size_t>(i));
      else
        bytes += encodeText(std::string(file.lines.at(static_cast<std::size_t>(i))), file.encoding);
      bytes += lineEnd;
      if (bytes.size() >= (std::size_t{1} << 20)) {
        sink(bytes);
        bytes.clear();
      }
    }
    sink(bytes);
  });
}

std::string fieldValue(const std::string& value, const std::string& fieldName) {
  std::string v = value;
  if (v.size() >= 2 && v.compare(v.size() - 2, 2, "\r\n") == 0)
    v.resize(v.size() - 2);
  else if (!v.empty() && (v.back() == '\n' || v.back() == '\r'))
    v.pop_back();
  if (v.find_first_of("\t\r\n") != std::string::npos)
    throw FieldError("「" + fieldName +
                     "」にタブや改行は入れられません。1 行の文字で入力してください。");
  return v;
}

namespace {

bool sjisLead(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Code page 932 spells some characters twice (the NEC and the IBM extensions, ≒ as 8790 and
// 81E0); a fresh encoding picks one of them. The lines whose bytes it would not give back are
// kept here by their text, so that a rewrite leaves every line the user did not touch as it was.
class KeptSpellings {
 public:
  explicit KeptSpellings(const TextFile& f) {
    if (f.encoding != TextEncoding::ShiftJis) return;  // Unicode spells each character once
    std::vector<std::string_view> raw = splitLineViews(f.original);
    // The texts of lines a fresh encoding would change: only rows 87, ED, EE and FA to FC hold
    // such characters.
    std::unordered_set<std::string> doubled;
    for (std::string_view line : raw) {
      bool candidate = false;
      for (std::size_t i = 0; i < line.size() && !candidate; ++i) {
        auto c = static_cast<unsigned char>(line[i]);
        if (!sjisLead(c)) continue;
        candidate = c == 0x87 || c == 0xED || c == 0xEE || c >= 0xFA;
        ++i;
      }
      if (!candidate) continue;
      std::string bytes(line);
      std::string text = decodeText(bytes, TextEncoding::ShiftJis);
      try {
        if (encodeText(text, TextEncoding::ShiftJis) == bytes) continue;
      } catch (const EncodingError&) {
      }
      doubled.insert(std::move(text));
    }
    if (doubled.empty()) return;
    // Every line of those texts, in file order: equal lines keep their order in a sort, so the
    // n-th line of a text written is the n-th one read.
    for (std::string_view line : raw) {
      std::string bytes(line);
      std::string text = decodeText(bytes, TextEncoding::ShiftJis);
      if (doubled.count(text)) bytes_[text].push_back(std::move(bytes));
    }
  }
  // Appends the original bytes of a line with this text, each taken once; false when none.
  bool take(const std::string& line, std::string& out) {
    if (bytes_.empty()) return false;
    auto it = bytes_.find(line);
    if (it == bytes_.end() || it->second.empty()) return false;
    out += it->second.front();
    it->second.pop_front();
    return true;
  }

 private:
  std::unordered_map<std::string, std::deque<std::string>> bytes_;
};

}  // namespace

void writeTextFile(const std::string& path, const TextFile& file) {
  if (file.badLine > 0) undefinedBytes(path, file.badLine);
  std::string bytes = byteOrderMark(file.encoding);
  bytes.reserve(file.original.size() + file.original.size() / 8 + 64);
  KeptSpellings kept(file);
  const std::string lineEnd = encodeText("\r\n", file.encoding);
  for (const auto& line : file.lines) {
    if (!kept.take(line, bytes)) bytes += encodeText(line, file.encoding);  // refuses first
    bytes += lineEnd;
  }
  writeFileAtomically(path, bytes);
}

}  // namespace qarn::cad
