#pragma once
// The one collation of catalogue lines, shared by the window and the command-line tool.
#include "catalogue/device_catalogue.h"

namespace qarn::catalogue {

// Sorts lines as the user's language does (the platform's collation of the user's locale), case
// ignored; equal lines keep their order. Under the plain "C" locale: code points, ASCII case
// ignored.
LineSorter userCollationSorter();

}  // namespace qarn::catalogue
