#pragma once
// The one collation of catalogue lines, shared by the window and the command-line tool.
#include <string_view>

#include "catalogue/device_catalogue.h"

namespace qarn::catalogue {

// Sorts lines as the user's language does (the platform's collation of the user's locale), case
// ignored; equal lines keep their order. Under the plain "C" locale: code points, ASCII case
// ignored.
LineSorter userCollationSorter();

// The code point at `i` of well-formed UTF-8; `i` moves past it.
char32_t nextCodePoint(std::string_view s, std::size_t& i);

}  // namespace qarn::catalogue
