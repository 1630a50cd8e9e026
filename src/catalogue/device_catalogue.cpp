#include "catalogue/device_catalogue.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <chrono>
#include <cstring>
#include <functional>
#include <limits>
#include <numeric>
#include <utility>

#ifdef __SSE2__
#include <emmintrin.h>
#endif
#ifndef _WIN32
#include <sys/stat.h>
#include <time.h>
#endif

#include "cad/huge_pages.h"
#include "cad/numbers.h"
#include "catalogue/catalogue_reading.h"
#include "cad/text.h"

namespace qarn::catalogue {

namespace {
constexpr std::uint64_t kOnes = 0x0101010101010101ull;
constexpr std::uint64_t kHighs = 0x8080808080808080ull;

// Eight bytes with their ASCII small letters made capitals; other bytes kept.
std::uint64_t upperAscii8(std::uint64_t w) {
  const std::uint64_t low7 = w & ~kHighs;
  const std::uint64_t fromA = low7 + (0x80 - 'a') * kOnes;      // high bit: byte >= 'a'
  const std::uint64_t pastZ = low7 + (0x80 - 'z' - 1) * kOnes;  // high bit: byte > 'z'
  return w ^ ((fromA & ~pastZ & ~w & kHighs) >> 2);
}
}  // namespace

LineOrder orderByKeys(const std::string& keys, const std::vector<std::size_t>& keyEnd,
                      const std::vector<std::string_view>* tie) {
  // Eight bytes of the keys at a time: the lines are sorted by their first eight bytes as one
  // number, then each run that agrees on them by the next eight, and so on; no comparison looks
  // at more than one number.
  // Sixteen bytes: a million lines' items and the radix passes' copy of them take 32 MB. The
  // key's start is looked up by the line's index when a run needs its next eight bytes.
  struct Item {
    std::uint64_t part;  // eight bytes of the key from the current depth, zeros past its end
    std::uint32_t size;  // of the key
    std::uint32_t index;
  };
  // Bytes of the key from the depth's place on, 9 for more than eight.
  auto lengthAt = [](const Item& it, std::size_t at) -> std::uint32_t {
    return it.size > at ? static_cast<std::uint32_t>(std::min<std::size_t>(it.size - at, 9)) : 0;
  };
  std::vector<Item> items;
  cad::reserveLarge(items, keyEnd.size());
  items.resize(keyEnd.size());
  auto startOf = [&keyEnd](std::uint32_t i) { return i ? keyEnd[i - 1] : 0; };
  for (std::uint32_t i = 0; i < items.size(); ++i)
    items[i] = {0, static_cast<std::uint32_t>(keyEnd[i] - startOf(i)), i};
  struct Run {
    std::size_t from, to, depth;
  };
  std::vector<Run> runs{{0, items.size(), 0}};
  std::vector<Item> scratch;
  const char* data = keys.data();
  while (!runs.empty()) {
    Run run = runs.back();
    runs.pop_back();
    const std::size_t at = run.depth * 8;
    for (std::size_t i = run.from; i < run.to; ++i) {
#if defined(__GNUC__)
      // The keys of a deeper run lie all over the buffer: ask for them a few items ahead.
      if (i + 16 < run.to) __builtin_prefetch(data + startOf(items[i + 16].index) + at);
#endif
      Item& it = items[i];
      const char* k = data + startOf(it.index) + at;
      std::size_t left = it.size > at ? it.size - at : 0;
      std::uint64_t part = 0;
      for (std::size_t b = 0; b < 8; ++b)
        part = part << 8 | (b < left ? static_cast<unsigned char>(k[b]) : 0u);
      it.part = part;
    }
    if (run.to - run.from < 256) {
      auto first = items.begin() + static_cast<std::ptrdiff_t>(run.from);
      auto last = items.begin() + static_cast<std::ptrdiff_t>(run.to);
      std::sort(first, last, [&](const Item& a, const Item& b) {
        if (a.part != b.part) return a.part < b.part;
        std::uint32_t la = lengthAt(a, at), lb = lengthAt(b, at);
        if (la != lb) return la < lb;  // a shorter key first
        return a.index < b.index;
      });
    } else {
      // A large run by its bytes, the length first, then the part's from its last byte on; each
      // pass keeps the order of equals, and the items of a run are in line order, so the result
      // is the one the comparison above gives. A byte all items share costs no pass.
      auto byteOf = [&](const Item& it, int b) -> unsigned {
        return b == 0 ? lengthAt(it, at) : static_cast<unsigned>(it.part >> (8 * (b - 1))) & 0xFF;
      };
      const std::size_t n = run.to - run.from;
      if (scratch.empty()) cad::reserveLarge(scratch, n);
      scratch.resize(n);
      Item* src = items.data() + run.from;
      Item* dst = scratch.data();
      for (int b = 0; b < 9; ++b) {
        std::size_t place[256] = {};
        for (std::size_t i = 0; i < n; ++i)
          ++place[byteOf(src[i], b)];
        if (place[byteOf(src[0], b)] == n) continue;
        for (std::size_t v = 0, sum = 0; v < 256; ++v)
          sum += std::exchange(place[v], sum);
        for (std::size_t i = 0; i < n; ++i)
          dst[place[byteOf(src[i], b)]++] = src[i];
        std::swap(src, dst);
      }
      if (src != items.data() + run.from) std::copy(src, src + n, items.data() + run.from);
    }
    for (std::size_t i = run.from; i < run.to;) {
      std::size_t j = i + 1;
      const std::uint32_t length = lengthAt(items[i], at);
      while (j < run.to && items[j].part == items[i].part && lengthAt(items[j], at) == length)
        ++j;
      if (j - i > 1 && length == 9) {
        runs.push_back({i, j, run.depth + 1});
      } else if (j - i > 1 && tie) {  // equal keys
        std::sort(items.begin() + static_cast<std::ptrdiff_t>(i),
                  items.begin() + static_cast<std::ptrdiff_t>(j),
                  [&](const Item& a, const Item& b) {
                    if (int c = (*tie)[a.index].compare((*tie)[b.index])) return c < 0;
                    return a.index < b.index;
                  });
      }
      i = j;
    }
  }
  LineOrder order;
  cad::reserveLarge(order, items.size());
  for (const Item& it : items)
    order.push_back(it.index);
  return order;
}

bool inKeyOrder(const std::vector<std::string_view>& lines,
                const std::function<void(std::string&, std::string_view)>& make, bool tieByLine) {
  std::string before, key;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    key.clear();
    make(key, lines[i]);
    if (i > 0) {
      int c = std::string_view(before).compare(key);
      if (c > 0 || (c == 0 && tieByLine && lines[i - 1].compare(lines[i]) > 0)) return false;
    }
    std::swap(before, key);
  }
  return true;
}

LineOrder unchangedOrder(std::size_t n) {
  LineOrder order;
  cad::reserveLarge(order, n);
  order.resize(n);
  std::iota(order.begin(), order.end(), 0u);
  return order;
}

LineOrder sortIgnoringCase(const std::vector<std::string_view>& lines) {
  auto upper = [](std::string& key, std::string_view l) {
    for (char c : l)
      key += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  };
  if (inKeyOrder(lines, upper, true)) return unchangedOrder(lines.size());
  std::vector<std::size_t> keyEnd;
  cad::reserveLarge(keyEnd, lines.size());
  std::size_t total = 0;
  for (std::string_view l : lines)
    total += l.size();
  std::string keys;
  cad::reserveLarge(keys, total);
  keys.resize(total);
  char* out = keys.data();
  for (std::string_view l : lines) {
    std::size_t i = 0;
    for (; i + 8 <= l.size(); i += 8, out += 8) {
      std::uint64_t w;
      std::memcpy(&w, l.data() + i, 8);
      w = upperAscii8(w);
      std::memcpy(out, &w, 8);
    }
    for (; i < l.size(); ++i) {
      char c = l[i];
      *out++ = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    keyEnd.push_back(static_cast<std::size_t>(out - keys.data()));
  }
  LineOrder order = orderByKeys(keys, keyEnd, &lines);
  order.spare = std::move(keys);
  return order;
}

void sortLines(std::vector<std::string>& lines, const LineSorter& sorter) {
  std::vector<std::string_view> views(lines.begin(), lines.end());
  LineOrder order = sorter(views);
  std::vector<std::string> sorted;
  sorted.reserve(lines.size());
  for (std::uint32_t i : order)
    sorted.push_back(std::move(lines[i]));
  lines = std::move(sorted);
}

bool isComment(std::string_view line) {
  return line.substr(0, 2) == "//";
}

Fields splitFields(std::string_view line) {
  Fields f;
  std::size_t start = 0;
  for (int i = 0; i < kFieldCount; ++i) {
    std::size_t tab = line.find('\t', start);
    f[i] = std::string(
        line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start));
    if (tab == std::string_view::npos) break;
    start = tab + 1;
  }
  return f;
}

namespace {
// Per byte: what the search key holds for it (ASCII letters as capitals), and whether it is kept
// (hyphens and blanks are not). Tables rather than branches: the fields are short and the bytes
// mixed, so a branch per byte is mispredicted often.
struct SearchKeyTables {
  char upper[256];
  unsigned char kept[256];
  constexpr SearchKeyTables() : upper(), kept() {
    for (int c = 0; c < 256; ++c) {
      upper[c] = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
      kept[c] = c != '-' && c != ' ';
    }
  }
};
constexpr SearchKeyTables kSearchKey;

void appendSearchKey(std::string& key, std::string_view line) {
  std::size_t at = key.size();
  key.resize(at + line.size() + 1);  // never longer than the line and its closing tab
  char* out = key.data() + at;
  int tabs = 0;
  for (char ch : line) {
    const auto c = static_cast<unsigned char>(ch);
    *out = kSearchKey.upper[c];
    out += kSearchKey.kept[c];
    if (c == '\t' && ++tabs == 5) break;  // the fifth tab closes the key
  }
  if (tabs < 5) *out++ = '\t';
  key.resize(static_cast<std::size_t>(out - key.data()));
}
}  // namespace

std::string searchKey(std::string_view line) {
  std::string key;
  key.reserve(line.size());
  appendSearchKey(key, line);
  return key;
}

std::string_view Record::fieldView(int i) const {
  std::size_t start = 0;
  for (int k = 0; k < i; ++k) {
    start = line.find('\t', start);
    if (start == std::string_view::npos) return {};
    ++start;
  }
  std::size_t end = line.find('\t', start);
  return line.substr(start, end == std::string_view::npos ? end : end - start);
}

std::string Record::field(int i) const {
  return std::string(fieldView(i));
}

std::vector<std::string> searchTerms(std::string_view maskStr) {
  std::vector<std::string> terms;
  if (maskStr.empty()) return terms;
  std::string mask = cad::replaceAll(cad::asciiUpper(maskStr), "-", "");
  for (const std::string& t : cad::splitCommaText(mask)) {
    // The key has no blanks, so a quoted term with a blank inside could never be found: it loses
    // its blanks too.
    std::string term = cad::replaceAll(cad::trim(t), " ", "");
    if (!term.empty()) terms.push_back(term);
  }
  return terms;
}

bool matches(std::string_view key, const std::vector<std::string>& terms) {
  for (const std::string& t : terms)
    if (key.find(t) == std::string_view::npos) return false;
  return true;
}

std::string dimensionString(const Fields& f) {
  std::string s;
  for (int i = 5; i < 10; ++i) {
    if (i > 5) s += ' ';
    s += cad::writeNumber(cad::readNumber(f[i]));
  }
  return s;
}

namespace {
// Where `needle` (not empty) first occurs in `hay` from `at` on, or npos. Sixteen places are
// tried at once by the needle's first and last bytes; only those where both agree are compared
// whole, so a term rare in the keys costs little more than reading them.
std::size_t findFrom(std::string_view hay, std::size_t at, std::string_view needle) {
  const std::size_t n = needle.size();
  if (hay.size() < n || at > hay.size() - n) return std::string_view::npos;
  const std::size_t lastStart = hay.size() - n;
  const char* h = hay.data();
  std::size_t i = at;
#ifdef __SSE2__
  const __m128i first = _mm_set1_epi8(needle.front());
  const __m128i last = _mm_set1_epi8(needle.back());
  for (; i + 15 <= lastStart; i += 16) {
    __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h + i));
    __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h + i + n - 1));
    auto mask = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, last))));
    while (mask) {
      std::size_t p = i + static_cast<std::size_t>(std::countr_zero(mask));
      if (n <= 2 || std::memcmp(h + p + 1, needle.data() + 1, n - 2) == 0) return p;
      mask &= mask - 1;
    }
  }
#endif
  for (; i <= lastStart; ++i)
    if (h[i] == needle.front() && std::memcmp(h + i, needle.data(), n) == 0) return i;
  return std::string_view::npos;
}
}  // namespace

std::vector<int> Snapshot::filter(std::string_view maskStr) const {
  std::vector<std::string> terms = searchTerms(maskStr);
  std::vector<int> hits;
  if (terms.empty()) {
    hits.resize(records.size());
    std::iota(hits.begin(), hits.end(), 0);
    return hits;
  }
  // The first term is sought through all keys at once; a record it is found in is checked for
  // the other terms. A find that runs over the end of its key belongs to no record.
  const std::string& first = terms.front();
  std::string_view all(keys);
  std::size_t r = 0;
  for (std::size_t at = 0; r < keyEnd.size();) {
    std::size_t p = findFrom(all, at, first);
    if (p == std::string_view::npos) break;
    // The record the find lies in: a few steps when finds are close, halving when far apart.
    for (int step = 0; keyEnd[r] <= p; ++step) {
      if (step == 8) {
        auto from = keyEnd.begin() + static_cast<std::ptrdiff_t>(r);
        r = static_cast<std::size_t>(std::upper_bound(from, keyEnd.end(), p) - keyEnd.begin());
        break;
      }
      ++r;
    }
    if (p + first.size() > keyEnd[r]) {
      at = p + 1;
      continue;
    }
    std::string_view k = key(r);
    if (std::all_of(terms.begin() + 1, terms.end(),
                    [&](const std::string& t) { return k.find(t) != std::string_view::npos; }))
      hits.push_back(static_cast<int>(r));
    at = keyEnd[r++];
  }
  return hits;
}

CatalogueCache::CatalogueCache(LineSorter sorter) : sorter_(std::move(sorter)) {}

namespace {

std::shared_ptr<Snapshot> makeSnapshot(std::string decoded, cad::TextEncoding encoding,
                                       const LineSorter& sorter) {
  auto snap = std::make_shared<Snapshot>();
  snap->encoding = encoding;
  std::vector<std::string_view> unsorted = cad::splitLineViews(decoded);
  LineOrder order = sorter(unsorted);
  bool unchanged = true;
  for (std::size_t k = 0; unchanged && k < order.size(); ++k)
    unchanged = order[k] == k;
  if (unchanged) {
    // Sorted already (as QARN writes a catalogue): the decoded text serves as it is.
    unsorted = {};
    snap->text = std::move(decoded);
    snap->lines = cad::splitLineViews(snap->text);
  } else {
    // The lines are copied in sorted order, so that the keys and widths made from them next,
    // and the searches, read the text front to back.
    std::size_t total = 0;
    for (std::string_view line : unsorted)
      total += line.size();
    snap->text = std::move(order.spare);
    snap->text.clear();
    // Never moves while the lines are copied: they point into it.
    cad::reserveLarge(snap->text, total);
    cad::reserveLarge(snap->lines, order.size());
    for (std::uint32_t k : order) {
      std::string_view line = unsorted[k];
      snap->lines.emplace_back(snap->text.data() + snap->text.size(), line.size());
      snap->text += line;
    }
    unsorted = {};
    decoded = std::string();
  }
  order = {};
  std::size_t recordCount = 0;
  for (std::string_view line : snap->lines)
    recordCount += !isComment(line);
  cad::reserveLarge(snap->records, recordCount);
  cad::reserveLarge(snap->keyEnd, recordCount);
  // Room for the longest keys the records can have, so that the buffer is never copied while it
  // grows; what the keys leave unused is never touched.
  cad::reserveLarge(snap->keys, snap->text.size() + recordCount);
  for (std::size_t k = 0; k < snap->lines.size(); ++k) {
    std::string_view line = snap->lines[k];
    if (isComment(line)) continue;
    snap->records.push_back({static_cast<int>(k + 1), line});
    appendSearchKey(snap->keys, line);
    snap->keyEnd.push_back(snap->keys.size());
  }
  return snap;
}

#ifndef _WIN32
// Nanoseconds now, on the clock of the file times of the stamp.
std::int64_t nowNs() {
  timespec t{};
  clock_gettime(CLOCK_REALTIME, &t);
  return static_cast<std::int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}
#endif

}  // namespace

std::optional<CatalogueCache::Stamp> CatalogueCache::stampOf(const std::string& path) {
  Stamp s;
#ifdef _WIN32
  namespace fs = std::filesystem;
  std::error_code ec;
  if (!fs::is_regular_file(cad::filePath(path), ec)) return std::nullopt;
  s.size = fs::file_size(cad::filePath(path), ec);
  if (ec) return std::nullopt;
  s.modified = std::chrono::duration_cast<std::chrono::nanoseconds>(
                   fs::last_write_time(cad::filePath(path), ec).time_since_epoch())
                   .count();
  s.changed = s.modified;
#else
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  s.size = static_cast<std::uintmax_t>(st.st_size);
  s.modified = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  s.changed = static_cast<std::int64_t>(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
  s.file = st.st_ino;
  s.device = st.st_dev;
#endif
  return s;
}

std::shared_ptr<const Snapshot> CatalogueCache::load(const std::string& path) {
  std::optional<Stamp> stamp = stampOf(path);
  if (!stamp) {
    entries_.erase(path);
    return nullptr;
  }
  // A file changed within the last second may change again within the resolution of its times.
  // Without a change time (Windows) any edit may keep the stamp: the content always decides.
#ifdef _WIN32
  const bool recent = true;
#else
  const bool recent = nowNs() - std::max(stamp->modified, stamp->changed) < 1000000000;
#endif
  auto it = entries_.find(path);
  if (it != entries_.end() && it->second.stamp == *stamp) {
    if (!it->second.recent) return it->second.snapshot;
    std::optional<std::uint64_t> hash = hashFile(path);
    if (hash && *hash == it->second.hash) {
      it->second.recent = recent;
      return it->second.snapshot;
    }
  }
  std::optional<DecodedFile> file = readDecoded(path);
  if (!file) {
    entries_.erase(path);
    return nullptr;
  }
  std::shared_ptr<const Snapshot> snap =
      makeSnapshot(std::move(file->text), file->encoding, sorter_);
  entries_[path] = {*stamp, recent, recent ? file->hash : 0, snap};
  return snap;
}

void CatalogueCache::forget(const std::string& path) {
  entries_.erase(path);
}

namespace {
std::unique_ptr<cad::LineFile> readForEdit(const std::string& path) {
  auto file = cad::readLineFile(path);
  if (!file) throw EditRefused(kMissingFileMessage);
  return file;
}

// The file's lines in sorted order, as indices.
std::vector<std::int64_t> sortedOrder(const cad::LineFile& f, const LineSorter& sorter) {
  LineOrder order = sorter(f.lines);
  return std::vector<std::int64_t>(order.begin(), order.end());
}

// Line N of the sorted file must still hold what the user saw, or the edit would land on
// another record.
void checkShown(const cad::LineFile& f, const std::vector<std::int64_t>& order, int lineNumber,
                std::string_view shown) {
  if (lineNumber < 1 || lineNumber > static_cast<int>(order.size()))
    throw EditRefused(
        "行番号 " + std::to_string(lineNumber) +
        " はファイルにありません。QARN の外でファイルが変更されました。再読み込みしてください。");
  if (f.lines[static_cast<std::size_t>(order[lineNumber - 1])] != shown)
    throw EditRefused(kFileChangedMessage);
}
}  // namespace

void updateLine(const std::string& path, int lineNumber, std::string_view shown,
                const std::string& line, const LineSorter& sorter) {
  std::unique_ptr<cad::LineFile> file = readForEdit(path);
  const cad::LineFile& f = *file;
  std::vector<std::int64_t> order = sortedOrder(f, sorter);
  checkShown(f, order, lineNumber, shown);
  order[lineNumber - 1] = -1;
  cad::writeLineFile(path, f, order, {line});
}

std::string recordLine(const std::vector<std::string>& values,
                       const std::vector<std::string>& names) {
  std::string line;
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i > 0) line += '\t';
    line += cad::fieldValue(values[i], i < names.size() ? names[i] : std::to_string(i + 1));
  }
  return line;
}

void appendLine(const std::string& path, const std::string& line) {
  std::unique_ptr<cad::LineFile> file = readForEdit(path);
  const cad::LineFile& f = *file;
  std::vector<std::int64_t> order(f.lines.size());
  std::iota(order.begin(), order.end(), 0);
  order.push_back(-1);
  cad::writeLineFile(path, f, order, {line});
}

void deleteLine(const std::string& path, int lineNumber, std::string_view shown,
                const LineSorter& sorter) {
  std::unique_ptr<cad::LineFile> file = readForEdit(path);
  const cad::LineFile& f = *file;
  std::vector<std::int64_t> order = sortedOrder(f, sorter);
  checkShown(f, order, lineNumber, shown);
  order.erase(order.begin() + (lineNumber - 1));
  cad::writeLineFile(path, f, order, {});
}

std::optional<std::string> stepDeviceNumber(std::string_view text, int delta) {
  cad::DeviceNumber d = cad::SplitDeviceNumber(text, true);
  if (d.number.empty()) return std::nullopt;
  long long n = 0;
  auto [end, ec] = std::from_chars(d.number.data(), d.number.data() + d.number.size(), n);
  if (ec != std::errc() || end != d.number.data() + d.number.size()) return std::nullopt;
  // A number at the end of the range has no next one; it stays as it is.
  if (delta > 0 && n > std::numeric_limits<long long>::max() - delta) return std::nullopt;
  n += delta;
  if (n < 0) return std::nullopt;
  return d.prefix + std::to_string(n) + d.suffix;
}

}  // namespace qarn::catalogue
