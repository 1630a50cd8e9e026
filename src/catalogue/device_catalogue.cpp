#include "catalogue/device_catalogue.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <numeric>

#include "cad/numbers.h"
#include "cad/text.h"

namespace qarn::catalogue {

void sortIgnoringCase(std::vector<std::string>& lines) {
  std::vector<std::string> upper(lines.size());
  std::transform(lines.begin(), lines.end(), upper.begin(),
                 [](const std::string& s) { return cad::asciiUpper(s); });
  std::vector<std::size_t> order(lines.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    int c = upper[a].compare(upper[b]);
    return c != 0 ? c < 0 : lines[a] < lines[b];
  });
  std::vector<std::string> sorted;
  sorted.reserve(lines.size());
  for (std::size_t i : order)
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

std::string searchKey(std::string_view line) {
  std::string key;
  key.reserve(line.size());
  int fields = 0;
  for (char c : line) {
    if (c == '\t') {
      if (++fields == 5) break;
      key += '\t';
      continue;
    }
    if (c == '-' || c == ' ') continue;
    key += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  }
  key += '\t';
  return key;
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

std::vector<int> Snapshot::filter(std::string_view maskStr) const {
  std::vector<std::string> terms = searchTerms(maskStr);
  std::vector<int> hits;
  hits.reserve(terms.empty() ? records.size() : 64);
  for (std::size_t i = 0; i < records.size(); ++i)
    if (terms.empty() || matches(records[i].key, terms)) hits.push_back(static_cast<int>(i));
  return hits;
}

CatalogueCache::CatalogueCache(LineSorter sorter) : sorter_(std::move(sorter)) {}

std::shared_ptr<const Snapshot> CatalogueCache::load(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code ec;
  auto size = fs::file_size(cad::filePath(path), ec);
  if (ec) {
    entries_.erase(path);
    return nullptr;
  }
  auto modified = fs::last_write_time(cad::filePath(path), ec);
  auto it = entries_.find(path);
  if (it != entries_.end() && it->second.size == size && it->second.modified == modified)
    return it->second.snapshot;

  auto file = cad::readTextFile(path);
  if (!file) return nullptr;
  auto snap = std::make_shared<Snapshot>();
  snap->encoding = file->encoding;
  snap->lines = std::move(file->lines);
  sorter_(snap->lines);
  snap->records.reserve(snap->lines.size());
  for (std::size_t k = 0; k < snap->lines.size(); ++k) {
    const std::string& line = snap->lines[k];
    if (isComment(line)) continue;
    snap->records.push_back({static_cast<int>(k + 1), splitFields(line), searchKey(line)});
  }
  entries_[path] = {size, modified, snap};
  return snap;
}

void CatalogueCache::forget(const std::string& path) {
  entries_.erase(path);
}

namespace {
cad::TextFile readForEdit(const std::string& path) {
  auto file = cad::readTextFile(path);
  if (!file) throw EditRefused(kMissingFileMessage);
  return *file;
}

void checkLineNumber(const cad::TextFile& f, int lineNumber) {
  if (lineNumber < 1 || lineNumber > static_cast<int>(f.lines.size()))
    throw EditRefused(
        "行番号 " + std::to_string(lineNumber) +
        " はファイルにありません。QARN の外でファイルが変更されました。再読み込みしてください。");
}
}  // namespace

namespace {
// Line N must still hold what the user saw, or the edit would land on another record.
void checkShown(const cad::TextFile& f, int lineNumber, const std::string& shown) {
  checkLineNumber(f, lineNumber);
  if (f.lines[lineNumber - 1] != shown) throw EditRefused(kFileChangedMessage);
}
}  // namespace

void updateLine(const std::string& path, int lineNumber, const std::string& shown,
                const std::string& line, const LineSorter& sorter) {
  cad::TextFile f = readForEdit(path);
  sorter(f.lines);
  checkShown(f, lineNumber, shown);
  f.lines[lineNumber - 1] = line;
  cad::writeTextFile(path, f);
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
  cad::TextFile f = readForEdit(path);
  f.lines.push_back(line);
  cad::writeTextFile(path, f);
}

void deleteLine(const std::string& path, int lineNumber, const std::string& shown,
                const LineSorter& sorter) {
  cad::TextFile f = readForEdit(path);
  sorter(f.lines);
  checkShown(f, lineNumber, shown);
  f.lines.erase(f.lines.begin() + (lineNumber - 1));
  cad::writeTextFile(path, f);
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
