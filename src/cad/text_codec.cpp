// The encodings catalogue files come in: UTF-8, UTF-16 with a byte-order mark, and Shift-JIS
// (code page 932), decoded to UTF-8 and encoded back, refusing what an encoding cannot hold.
#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <unordered_map>

#include "cad/huge_pages.h"
#include "cad/text.h"
#include "cad/text_file.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace qarn::cad {

namespace {

// The length of the well-formed UTF-8 sequence at `s`, with its code point; 0 when malformed.
// Overlong forms (C0 8A for a line feed), encoded surrogates and code points past U+10FFFF are
// malformed: read as characters they would split lines and fields the file does not split.
int utf8Sequence(const unsigned char* s, std::size_t left, char32_t& cp) {
  unsigned c = s[0];
  if (c < 0x80) {
    cp = c;
    return 1;
  }
  int len = 0;
  char32_t least = 0;
  if (c >= 0xC2 && c <= 0xDF) {
    len = 2, cp = c & 0x1F, least = 0x80;
  } else if (c >= 0xE0 && c <= 0xEF) {
    len = 3, cp = c & 0x0F, least = 0x800;
  } else if (c >= 0xF0 && c <= 0xF4) {
    len = 4, cp = c & 0x07, least = 0x10000;
  } else {
    return 0;
  }
  if (left < static_cast<std::size_t>(len)) return 0;
  for (int k = 1; k < len; ++k) {
    if ((s[k] & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (s[k] & 0x3F);
  }
  if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000)) return 0;
  return len;
}

// The code points of UTF-8 text; a malformed byte reads as U+FFFD.
std::u32string toCodePoints(const std::string& s) {
  std::u32string out;
  const auto* p = reinterpret_cast<const unsigned char*>(s.data());
  for (std::size_t i = 0; i < s.size();) {
    char32_t cp = 0;
    int len = utf8Sequence(p + i, s.size() - i, cp);
    out += len ? cp : U'\uFFFD';
    i += len ? len : 1;
  }
  return out;
}

// UTF-8 bytes as text: well-formed sequences as they are, each malformed byte as U+FFFD.
void appendUtf8Decoded(std::string& out, std::string_view s) {
  const auto* p = reinterpret_cast<const unsigned char*>(s.data());
  std::size_t run = 0;  // the start of the well-formed bytes not yet appended
  for (std::size_t i = 0; i < s.size();) {
    char32_t cp = 0;
    int len = p[i] < 0x80 ? 1 : utf8Sequence(p + i, s.size() - i, cp);
    if (len == 0) {
      out.append(s.substr(run, i - run));
      out += "\xEF\xBF\xBD";
      run = ++i;
    } else {
      i += static_cast<std::size_t>(len);
    }
  }
  out.append(s.substr(run));
}

void appendUtf16Decoded(std::string& out, std::string_view b, bool bigEndian) {
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
void appendSjisDecoded(std::string& out, std::string_view b) {
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

// Code page 932 as two tables made once from the system's converter. Decoding is one look-up a
// character, so a file full of undefined bytes reads in linear time; and a character is written
// only when it reads back as itself, as under Windows: the converter alone would write ¥ as a
// backslash and 〜 as ～ without a word.
class Cp932 {
 public:
  static const Cp932& get() {
    static const Cp932 table;
    return table;
  }
  // The character of one byte or of a lead and trail byte; 0 when undefined (byte 0 aside).
  char32_t single(unsigned char c) const { return single_[c]; }
  char32_t pair(unsigned char lead, unsigned char trail) const {
    return pairs_[(lead - 0x80) * 256 + trail];
  }
  static bool isLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
  // The bytes of a character (one when below 0x100); 0 when the code page cannot hold it.
  unsigned bytesOf(char32_t cp) const { return cp < encode_.size() ? encode_[cp] : 0; }

 private:
  Cp932() : pairs_(128 * 256, 0), encode_(0x10000, 0) {
    Iconv in("UTF-8", "CP932"), out("CP932", "UTF-8");
    auto decodeOne = [&](const std::string& bytes) -> char32_t {
      std::string utf8;
      std::size_t used = 0;
      if (!in.convert(bytes, utf8, used) || utf8.empty()) return 0;
      std::u32string cps = toCodePoints(utf8);
      return cps.size() == 1 ? cps[0] : 0;
    };
    // Bytes 0x80, 0xA0 and 0xFD to 0xFF, which some converters map to private characters, are
    // no Shift-JIS text.
    for (unsigned c = 0; c < 0x80; ++c)
      single_[c] = c == 0 ? 0 : decodeOne(std::string(1, static_cast<char>(c)));
    for (unsigned c = 0xA1; c <= 0xDF; ++c)
      single_[c] = decodeOne(std::string(1, static_cast<char>(c)));
    for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
      if (!isLead(static_cast<unsigned char>(lead))) continue;
      for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
        if (trail == 0x7F) continue;
        pairs_[(lead - 0x80) * 256 + trail] =
            decodeOne({static_cast<char>(lead), static_cast<char>(trail)});
      }
    }
    // The converter's choice among the spellings of a character, kept only when it reads back.
    auto learn = [&](char32_t cp) {
      if (cp >= encode_.size() || encode_[cp]) return;
      std::string utf8, bytes;
      appendUtf8(utf8, cp);
      std::size_t used = 0;
      if (!out.convert(utf8, bytes, used)) return;
      auto b0 = static_cast<unsigned char>(bytes[0]);
      if (bytes.size() == 1 && single_[b0] == cp) encode_[cp] = b0;
      if (bytes.size() == 2 && isLead(b0) && pair(b0, static_cast<unsigned char>(bytes[1])) == cp)
        encode_[cp] = b0 << 8 | static_cast<unsigned char>(bytes[1]);
    };
    for (char32_t cp : single_)
      if (cp) learn(cp);
    for (char32_t cp : pairs_)
      if (cp) learn(cp);
  }
  std::array<char32_t, 256> single_{};
  std::vector<char32_t> pairs_;
  std::vector<std::uint16_t> encode_;
};

void appendSjisDecoded(std::string& out, std::string_view b) {
  const Cp932& t = Cp932::get();
  const auto* p = reinterpret_cast<const unsigned char*>(b.data());
  const std::size_t n = b.size();
  // No byte gives more than three. The room is made usable (and so written and paged in) a
  // piece at a time, so that only what the text takes is ever touched.
  char* o = out.data() + out.size();
  for (std::size_t i = 0, pieceEnd = 0; i < n;) {
    if (i >= pieceEnd) {
      pieceEnd = std::min(n, i + (std::size_t{1} << 16));
      std::size_t used = static_cast<std::size_t>(o - out.data());
      out.resize(used + (pieceEnd - i + 1) * 3);  // a lead byte at the end takes one more
      o = out.data() + used;
    }
    unsigned char c = p[i];
    if (c < 0x80) {
      // A run of ASCII (models, ratings, sizes) is copied eight bytes at a time.
      std::uint64_t w;
      while (i + 8 <= pieceEnd && (std::memcpy(&w, p + i, 8), (w & 0x8080808080808080ull) == 0)) {
        std::memcpy(o, &w, 8);
        o += 8;
        i += 8;
      }
      if (i < n && p[i] < 0x80) *o++ = static_cast<char>(p[i++]);
      continue;
    }
    char32_t cp = 0;
    if (Cp932::isLead(c)) {
      if (i + 1 < n) cp = t.pair(c, p[i + 1]);
      i += cp ? 2 : 1;
    } else {
      cp = t.single(c);
      ++i;
    }
    if (!cp) cp = 0xFFFD;  // the byte is undefined; the next one may begin a character
    if (cp < 0x80) {
      *o++ = static_cast<char>(cp);
    } else if (cp < 0x800) {
      *o++ = static_cast<char>(0xC0 | (cp >> 6));
      *o++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      *o++ = static_cast<char>(0xE0 | (cp >> 12));
      *o++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      *o++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else {  // not in code page 932; two bytes give four at most
      *o++ = static_cast<char>(0xF0 | (cp >> 18));
      *o++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      *o++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      *o++ = static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  out.resize(static_cast<std::size_t>(o - out.data()));
}

std::string utf8ToSjis(const std::string& utf8) {
  const Cp932& t = Cp932::get();
  std::string out;
  out.reserve(utf8.size());
  const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
  for (std::size_t i = 0; i < utf8.size();) {
    char32_t cp = 0;
    int len = utf8Sequence(p + i, utf8.size() - i, cp);
    if (len == 1 && cp == 0) {
      out += '\0';
      ++i;
      continue;
    }
    unsigned code = len ? t.bytesOf(cp) : 0;
    if (code == 0) {
      std::string ch = firstCharacter(utf8, i);
      throw EncodingError("文字「" + ch + "」は Shift-JIS で書けません。", ch);
    } else if (code < 0x100) {
      out += static_cast<char>(code);
    } else {
      out += static_cast<char>(code >> 8);
      out += static_cast<char>(code & 0xFF);
    }
    i += len;
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

void appendDecoded(std::string& out, std::string_view bytes, TextEncoding encoding) {
  switch (encoding) {
    case TextEncoding::Utf8Bom:
      return appendUtf8Decoded(out, bytes);
    case TextEncoding::Utf16LeBom:
      return appendUtf16Decoded(out, bytes, false);
    case TextEncoding::Utf16BeBom:
      return appendUtf16Decoded(out, bytes, true);
    case TextEncoding::ShiftJis:
      return appendSjisDecoded(out, bytes);
  }
}

std::string decodeText(const std::string& bytes, TextEncoding encoding) {
  std::string out;
  // Room for the longest text the bytes can give (a Shift-JIS byte gives three at most, a
  // UTF-16 unit three), or for UTF-8 as long as it is; what the text leaves unused is never
  // touched.
  reserveLarge(out, encoding == TextEncoding::Utf8Bom    ? bytes.size()
                    : encoding == TextEncoding::ShiftJis ? bytes.size() * 3 + 3
                                                         : bytes.size() / 2 * 3 + 3);
  appendDecoded(out, bytes, encoding);
  return out;
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

bool isWellFormedUtf8(const std::string& bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  for (std::size_t i = 0; i < bytes.size();) {
    char32_t cp = 0;
    int len = utf8Sequence(p + i, bytes.size() - i, cp);
    if (len == 0) return false;
    i += static_cast<std::size_t>(len);
  }
  return true;
}

}  // namespace qarn::cad
