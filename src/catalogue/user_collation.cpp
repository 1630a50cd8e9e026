#include "catalogue/user_collation.h"

#include <QCollator>
#include <QCollatorSortKey>
#include <algorithm>
#include <numeric>

namespace qarn::catalogue {

LineSorter userCollationSorter() {
  return [](std::vector<std::string>& lines) {
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    // One sort key a line, so that a long file is not collated pair by pair.
    std::vector<QCollatorSortKey> keys;
    keys.reserve(lines.size());
    for (const std::string& l : lines)
      keys.push_back(collator.sortKey(QString::fromStdString(l)));
    std::vector<std::size_t> order(lines.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return keys[a].compare(keys[b]) < 0; });
    std::vector<std::string> sorted;
    sorted.reserve(lines.size());
    for (std::size_t i : order)
      sorted.push_back(std::move(lines[i]));
    lines = std::move(sorted);
  };
}

}  // namespace qarn::catalogue
