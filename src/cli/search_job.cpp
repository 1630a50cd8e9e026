// qarn-cli search: the records of a device catalogue that match a search text, as the catalogue
// pages list them.
#include <algorithm>
#include <cstdio>
#include <iostream>

#include "catalogue/device_catalogue.h"
#include "catalogue/user_collation.h"
#include "cli/jobs.h"

namespace qarn::cli {

int runSearch(const std::vector<std::string>& args) {
  if (args.empty() || args.size() > 2) {
    std::cerr << "usage: qarn-cli search FILE [TEXT]\n";
    return 2;
  }
  // The window's collation, so that a line number here is the line the window shows.
  catalogue::CatalogueCache cache(catalogue::userCollationSorter());
  auto snapshot = cache.load(args[0]);
  if (!snapshot) {
    std::cerr << "qarn-cli search: " << catalogue::kMissingFileMessage << " (" << args[0] << ")\n";
    return 1;
  }
  std::vector<int> hits = snapshot->filter(args.size() > 1 ? args[1] : "");
  std::string out;
  out.reserve(hits.size() * 64);
  for (int i : hits) {
    const catalogue::Record& r = snapshot->records[i];
    out += std::to_string(r.lineNumber);
    out += '\t';
    // The line up to its fourteenth field, and a tab for each field it lacks.
    std::string_view line = r.line;
    int tabs = 0;
    std::size_t end = line.size();
    for (std::size_t k = 0; k < line.size(); ++k)
      if (line[k] == '\t' && ++tabs == catalogue::kFieldCount) {
        end = k;
        break;
      }
    out.append(line.substr(0, end));
    out.append(static_cast<std::size_t>(catalogue::kFieldCount - 1 - std::min(tabs, catalogue::kFieldCount - 1)), '\t');
    out += '\n';
  }
  std::fwrite(out.data(), 1, out.size(), stdout);
  return 0;
}

}  // namespace qarn::cli
