// qarn-cli search: the records of a device catalogue that match a search text, as the catalogue
// pages list them.
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
  std::string out;
  for (int i : snapshot->filter(args.size() > 1 ? args[1] : "")) {
    const catalogue::Record& r = snapshot->records[i];
    out += std::to_string(r.lineNumber);
    for (const std::string& f : r.fields) {
      out += '\t';
      out += f;
    }
    out += '\n';
  }
  std::cout << out;
  return 0;
}

}  // namespace qarn::cli
