#include "cad/huge_pages.h"

#include <cstdint>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace qarn::cad {

void preferHugePages(const void* data, std::size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  constexpr std::uintptr_t kHuge = std::uintptr_t{2} << 20;
  if (bytes < kHuge) return;
  const auto at = reinterpret_cast<std::uintptr_t>(data);
  const std::uintptr_t from = (at + kHuge - 1) & ~(kHuge - 1);
  const std::uintptr_t to = (at + bytes) & ~(kHuge - 1);
  if (to > from) madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
#else
  (void)data;
  (void)bytes;
#endif
}

}  // namespace qarn::cad
