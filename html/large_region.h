// large_region: memory for the node pool (the nodes and the small pieces of
// the node text store), which fills tens of megabytes on a large document.
// Touching that a 4 KiB page at a time makes page faults a good part of
// parsing, so past the first few regions
// (small documents stay small) Linux gets regions of one aligned huge page
// each, mapped by a single fault. Elsewhere, and under AddressSanitizer,
// every region is a small one from malloc.
#pragma once
#include <cstddef>

namespace large_region {

// A region of at least small_bytes; the count'th region of its owner (from
// 0) may be a huge page instead. Its size goes to bytes; null when out of
// memory.
void *take(std::size_t count, std::size_t small_bytes, std::size_t &bytes) noexcept;
void give_back(void *region, std::size_t bytes, std::size_t small_bytes) noexcept;

}  // namespace large_region
