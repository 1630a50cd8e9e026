#include "cad/text_file.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cad/text.h"

#include <algorithm>
#include <atomic>
#include <cstring>

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

namespace {

// The code points of UTF-8 text; a malformed byte reads as U+FFFD.
std::u32string toCodePoints(const std::string& s) {
  std::u32string out;
  for (std::size_t i = 0; i < s.size();) {
    unsigned char c = s[i];
    int len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (len == 0 || i + len > s.size()) {
      out += U'\uFFFD';
      ++i;
      continue;
    }
    char32_t cp = len == 1 ? c : c & (0x7F >> len);
    bool ok = true;
    for (int k = 1; k < len; ++k) {
      unsigned char cc = s[i + k];
      if ((cc & 0xC0) != 0x80) ok = false;
      cp = (cp << 6) | (cc & 0x3F);
    }
    out += ok ? cp : U'\uFFFD';
    i += ok ? len : 1;
  }
  return out;
}

std::string decodeUtf16(const std::string& b, bool bigEndian) {
  std::string out;
  for (std::size_t i = 0; i + 1 < b.size(); i += 2) {
    auto unit = [&](std::size_t at) -> char32_t {
      unsigned char x = b[at], y = b[at + 1];
      return bigEndian ? (x << 8 | y) : (y << 8 | x);
    };
    char32_t u = unit(i);
    if (u >= 0xD800 && u < 0xDC00 && i + 3 < b.size()) {
      char32_t lo = unit(i + 2);
      if (lo >= 0xDC00 && lo < 0xE000) {
        appendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00));
        i += 2;
        continue;
      }
    }
    appendUtf8(out, (u >= 0xD800 && u < 0xE000) ? 0xFFFD : u);
  }
  return out;
}

std::string encodeUtf16(const std::string& utf8, bool bigEndian) {
  std::string out;
  auto put = [&](char32_t u) {
    char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
    out += bigEndian ? hi : lo;
    out += bigEndian ? lo : hi;
  };
  for (char32_t cp : toCodePoints(utf8)) {
    if (cp >= 0x10000) {
      put(0xD800 + ((cp - 0x10000) >> 10));
      put(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      put(cp);
    }
  }
  return out;
}

std::string firstCharacter(const std::string& utf8, std::size_t at) {
  std::size_t end = at + 1;
  while (end < utf8.size() && (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80)
    ++end;
  return utf8.substr(at, end - at);
}

#ifdef _WIN32
// Character by character, so that a byte Shift-JIS does not define reads as U+FFFD, as with
// iconv elsewhere, instead of the code page's default character: the file is then known to hold
// bytes a rewrite would lose. Bytes 0x80, 0xA0 and 0xFD to 0xFF, which Windows maps to private
// characters, are no Shift-JIS text either.
std::string sjisToUtf8(const std::string& b) {
  std::string out;
  out.reserve(b.size() * 3 / 2);
  for (std::size_t i = 0; i < b.size();) {
    auto c = static_cast<unsigned char>(b[i]);
    if (c < 0x80) {
      out += static_cast<char>(c);
      ++i;
      continue;
    }
    bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
    bool kana = c >= 0xA1 && c <= 0xDF;
    int length = lead ? 2 : 1;
    wchar_t w[2];
    int n = 0;
    if ((lead || kana) && i + length <= b.size())
      n = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, b.data() + i, length, w, 2);
    if (n <= 0) {
      out += "\xEF\xBF\xBD";
      ++i;  // the next byte may begin a character of its own
      continue;
    }
    for (int k = 0; k < n; ++k)
      appendUtf8(out, static_cast<char32_t>(w[k]));
    i += length;
  }
  return out;
}

std::string utf8ToSjis(const std::string& utf8) {
  std::string out;
  // One character at a time, so that the one the code page lacks can be named.
  for (std::size_t i = 0; i < utf8.size();) {
    std::string ch = firstCharacter(utf8, i);
    std::string u16 = encodeUtf16(ch, false);
    const wchar_t* w = reinterpret_cast<const wchar_t*>(u16.data());
    int wn = static_cast<int>(u16.size() / 2);
    BOOL lossy = FALSE;
    char buf[8];
    int n = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, w, wn, buf, sizeof buf, nullptr, &lossy);
    if (n <= 0 || lossy) throw EncodingError("文字「" + ch + "」は Shift-JIS で書けません。", ch);
    out.append(buf, n);
    i += ch.size();
  }
  return out;
}
#else
class Iconv {
 public:
  Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1))
      throw std::runtime_error(std::string("no text conversion from ") + from + " to " + to);
  }
  ~Iconv() { iconv_close(cd_); }
  // Converts all of `in`; returns false at the first input it cannot convert, with `used` the
  // bytes consumed.
  bool convert(const std::string& in, std::string& out, std::size_t& used) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char* src = const_cast<char*>(in.data());
    std::size_t srcLeft = in.size();
    char buf[4096];
    while (srcLeft > 0) {
      char* dst = buf;
      std::size_t dstLeft = sizeof buf;
      std::size_t r = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
      out.append(buf, dst - buf);
      if (r == static_cast<std::size_t>(-1) && errno != E2BIG) {
        used = in.size() - srcLeft;
        return false;
      }
    }
    used = in.size();
    return true;
  }

 private:
  iconv_t cd_;
};

std::string sjisToUtf8(const std::string& b) {
  Iconv cv("UTF-8", "CP932");
  std::string out;
  std::size_t pos = 0;
  while (pos < b.size()) {
    std::size_t used = 0;
    if (cv.convert(b.substr(pos), out, used)) break;
    out += "\xEF\xBF\xBD";  // U+FFFD for the byte Shift-JIS does not define
    pos += used + 1;
  }
  return out;
}

std::string utf8ToSjis(const std::string& utf8) {
  Iconv cv("CP932", "UTF-8");
  std::string out;
  std::size_t used = 0;
  if (!cv.convert(utf8, out, used)) {
    std::string ch = firstCharacter(utf8, used);
    throw EncodingError("文字「" + ch + "」は Shift-JIS で書けません。", ch);
  }
  return out;
}
#endif

}  // namespace

TextEncoding detectEncoding(const std::string& b, std::size_t& markLength) {
  if (b.size() >= 3 && b.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    markLength = 3;
    return TextEncoding::Utf8Bom;
  }
  if (b.size() >= 2 && b.compare(0, 2, "\xFF\xFE") == 0) {
    markLength = 2;
    return TextEncoding::Utf16LeBom;
  }
  if (b.size() >= 2 && b.compare(0, 2, "\xFE\xFF") == 0) {
    markLength = 2;
    return TextEncoding::Utf16BeBom;
  }
  markLength = 0;
  return TextEncoding::ShiftJis;
}

std::string decodeText(const std::string& bytes, TextEncoding encoding) {
  switch (encoding) {
    case TextEncoding::Utf8Bom: {
      std::string out;
      for (char32_t cp : toCodePoints(bytes))
        appendUtf8(out, cp);
      return out;
    }
    case TextEncoding::Utf16LeBom:
      return decodeUtf16(bytes, false);
    case TextEncoding::Utf16BeBom:
      return decodeUtf16(bytes, true);
    case TextEncoding::ShiftJis:
      return sjisToUtf8(bytes);
  }
  return {};
}

std::string encodeText(const std::string& utf8, TextEncoding encoding) {
  switch (encoding) {
    case TextEncoding::Utf8Bom:
      return utf8;
    case TextEncoding::Utf16LeBom:
      return encodeUtf16(utf8, false);
    case TextEncoding::Utf16BeBom:
      return encodeUtf16(utf8, true);
    case TextEncoding::ShiftJis:
      return utf8ToSjis(utf8);
  }
  return {};
}

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0, i = 0;
  while (i < text.size()) {
    if (text[i] == '\r' || text[i] == '\n') {
      lines.push_back(text.substr(start, i - start));
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      start = ++i;
    } else {
      ++i;
    }
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

namespace {

// Whether the bytes are well formed in the encoding (Shift-JIS: whether they decode without a
// replacement).
bool wellFormed(const std::string& b, TextEncoding encoding, const std::string& decoded) {
  switch (encoding) {
    case TextEncoding::Utf8Bom: {
      // More replacement characters than the file spells out: some bytes were malformed.
      std::u32string cps = toCodePoints(b);
      auto replaced = std::count(cps.begin(), cps.end(), U'\uFFFD');
      std::size_t literal = 0;
      for (std::size_t at = b.find("\xEF\xBF\xBD"); at != std::string::npos;
           at = b.find("\xEF\xBF\xBD", at + 3))
        ++literal;
      return static_cast<std::size_t>(replaced) == literal;
    }
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

std::optional<TextFile> readTextFile(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(filePath(path), ec)) return std::nullopt;
  std::ifstream in(filePath(path), std::ios::binary);
  if (!in) throw std::runtime_error("「" + path + "」を読めません。");
  std::stringstream ss;
  ss << in.rdbuf();
  if (in.bad()) throw std::runtime_error("「" + path + "」を読めません。");
  std::string bytes = ss.str();
  std::size_t mark = 0;
  TextFile f;
  f.encoding = detectEncoding(bytes, mark);
  std::string body = bytes.substr(mark);
  std::string text = decodeText(body, f.encoding);
  f.lines = splitLines(text);
  if (!wellFormed(body, f.encoding, text)) {
    // The first line where a replacement stands; the first line at all if none can be told.
    f.badLine = 1;
    for (std::size_t i = 0; i < f.lines.size(); ++i)
      if (f.lines[i].find("\xEF\xBF\xBD") != std::string::npos) {
        f.badLine = static_cast<int>(i) + 1;
        break;
      }
  }
  return f;
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

// A name for the temporary file that no other process or call shares.
std::string temporaryName(const std::string& path) {
  static std::atomic<unsigned> counter{0};
#ifdef _WIN32
  unsigned long pid = GetCurrentProcessId();
#else
  unsigned long pid = static_cast<unsigned long>(::getpid());
#endif
  return path + ".tmp~" + std::to_string(pid) + "-" + std::to_string(counter++);
}

[[noreturn]] void writeFailed(const std::string& path, const std::string& why) {
  throw std::runtime_error("「" + path + "」に書き込めません（" + why + "）。");
}

}  // namespace

void writeFileAtomically(const std::string& path, const std::string& bytes) {
  namespace fs = std::filesystem;
  const fs::path target = filePath(path);
  std::error_code ec;
  fs::file_status st = fs::status(target, ec);
  bool exists = fs::exists(st);
  if (exists) {
    using fs::perms;
    bool writable =
        (st.permissions() & (perms::owner_write | perms::group_write | perms::others_write)) !=
        perms::none;
#ifdef _WIN32
    DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
      writable = false;
#endif
    if (!writable)
      throw std::runtime_error("「" + path +
                               "」は読み取り専用です。書き換えずにそのままにしました。");
  }
  const std::string tmp = temporaryName(path);
  const fs::path tmpPath = filePath(tmp);
  auto discard = [&] {
    std::error_code ignored;
    fs::remove(tmpPath, ignored);
  };
#ifdef _WIN32
  {
    HANDLE h = CreateFileW(tmpPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) writeFailed(path, "一時ファイルを作れません");
    DWORD written = 0;
    bool ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
              written == bytes.size() && FlushFileBuffers(h);
    CloseHandle(h);
    if (!ok) {
      discard();
      writeFailed(path, "ディスクがいっぱいかもしれません");
    }
  }
  if (!MoveFileExW(tmpPath.c_str(), target.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    discard();
    writeFailed(path, "置き換えられません");
  }
#else
  int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) writeFailed(path, std::string("一時ファイルを作れません: ") + std::strerror(errno));
  bool ok = true;
  for (std::size_t done = 0; ok && done < bytes.size();) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    ok = n > 0;
    if (ok) done += static_cast<std::size_t>(n);
  }
  // The new file keeps the old one's permissions.
  if (ok && exists) ok = ::fchmod(fd, static_cast<mode_t>(st.permissions())) == 0;
  ok = ok && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  if (!ok) {
    discard();
    writeFailed(path, "ディスクがいっぱいかもしれません");
  }
  if (::rename(tmp.c_str(), path.c_str()) != 0) {
    int e = errno;
    discard();
    writeFailed(path, std::string("置き換えられません: ") + std::strerror(e));
  }
  // The rename itself reaches the disk with the folder.
  std::string folder = utf8Path(target.parent_path());
  int dir = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
#endif
}

void writeTextFile(const std::string& path, const TextFile& file) {
  if (file.badLine > 0)
    throw EncodingError(
        "「" + path + "」の " + std::to_string(file.badLine) +
            " 行目に、文字として読めないバイトがあります。書き換えると失われるため、"
            "保存しません。",
        "");
  std::string text;
  for (const auto& line : file.lines) {
    text += line;
    text += "\r\n";
  }
  std::string bytes;
  switch (file.encoding) {
    case TextEncoding::Utf8Bom:
      bytes = "\xEF\xBB\xBF";
      break;
    case TextEncoding::Utf16LeBom:
      bytes = "\xFF\xFE";
      break;
    case TextEncoding::Utf16BeBom:
      bytes = "\xFE\xFF";
      break;
    case TextEncoding::ShiftJis:
      break;
  }
  bytes += encodeText(text, file.encoding);  // refuses before anything is written
  writeFileAtomically(path, bytes);
}

}  // namespace qarn::cad
