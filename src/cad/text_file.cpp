#include "cad/text_file.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace qarn::cad {

namespace {

void appendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

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
std::string sjisToUtf8(const std::string& b) {
  if (b.empty()) return {};
  int n = MultiByteToWideChar(932, 0, b.data(), static_cast<int>(b.size()), nullptr, 0);
  std::wstring w(n, L'\0');
  MultiByteToWideChar(932, 0, b.data(), static_cast<int>(b.size()), w.data(), n);
  std::string le(reinterpret_cast<const char*>(w.data()), w.size() * 2);
  return decodeUtf16(le, false);
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
    if (n <= 0 || lossy)
      throw EncodingError("The character \"" + ch + "\" cannot be written in Shift-JIS", ch);
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
    throw EncodingError("The character \"" + ch + "\" cannot be written in Shift-JIS", ch);
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

std::optional<TextFile> readTextFile(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::stringstream ss;
  ss << in.rdbuf();
  std::string bytes = ss.str();
  std::size_t mark = 0;
  TextFile f;
  f.encoding = detectEncoding(bytes, mark);
  f.lines = splitLines(decodeText(bytes.substr(mark), f.encoding));
  return f;
}

void writeFileAtomically(const std::string& path, const std::string& bytes) {
  std::string tmp = path + ".tmp~";
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    if (!out) throw std::runtime_error("cannot write " + path);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) {
      out.close();
      std::remove(tmp.c_str());
      throw std::runtime_error("cannot write " + path + " (disk full?)");
    }
  }
  std::error_code ec;
  std::filesystem::rename(tmp, path, ec);
  if (ec) {
    std::remove(tmp.c_str());
    throw std::runtime_error("cannot replace " + path + ": " + ec.message());
  }
}

void writeTextFile(const std::string& path, const TextFile& file) {
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
