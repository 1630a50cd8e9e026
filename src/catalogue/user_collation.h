#pragma once
#include "catalogue/device_catalogue.h"

namespace qarn::catalogue {

// Sorts lines as the user's language does, ignoring case; equal lines keep their order.
LineSorter userCollationSorter();

}  // namespace qarn::catalogue
