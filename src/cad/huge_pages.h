#pragma once
// Large buffers in huge pages where the system hands them out on request. A catalogue of a
// million lines fills some 250 MB of buffers: in pages of 4 KB that is 60,000 page faults, each
// costing microseconds, and a sort that misses the address cache at every other line.
#include <cstddef>

namespace qarn::cad {

// Asks that the whole 2 MB pages inside the bytes get huge pages when first touched. Advice
// only: memory touched already, a buffer of a few pages and a system without such pages are
// left as they are.
void preferHugePages(const void* data, std::size_t bytes);

// Room for `n` elements, in huge pages when the room is large and new.
template <class Container>
void reserveLarge(Container& c, std::size_t n) {
  c.reserve(n);
  preferHugePages(c.data(), c.capacity() * sizeof(typename Container::value_type));
}

}  // namespace qarn::cad
