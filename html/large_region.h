// large_region: memory for the node pool (the nodes and the small pieces of
// the node text store), which fills tens of megabytes on a large document.
// Touching that a 4 KiB page at a time makes page faults a good part of
// parsing, so past the first few regions
// (small documents stay small) Linux gets regions of one aligned huge page
// each, mapped by a single fault. Elsewhere, and under AddressSanitizer,
// every region is a small one from malloc.
//
// On 64-bit Linux every region lies in one arena: an address range reserved
// once for the process, low in the address space, which costs no memory
// until a region in it is used. Document nodes can then link to each other
// by their addresses divided by 4, in 32 bits, instead of pointers (see
// node_link), which halves their links.
#pragma once
#include <cstddef>
#include <cstdint>

#include "html/address_sanitizer.h"

#if defined(__linux__) && UINTPTR_MAX > 0xffffffffu && !QUENBY_ASAN
#define QUENBY_NODE_ARENA 1
#endif

namespace large_region {

#if QUENBY_NODE_ARENA
// The arena lies below this address, so that a node's address divided by 4
// fits in 32 bits.
constexpr std::uintptr_t kArenaLimit = std::uintptr_t(1) << 34;
// The start of the arena, set before the first region is handed out and
// never changed after. Null until then, and for good when no address range
// below kArenaLimit could be reserved (every region is then refused).
extern char *arena_start;
#endif

// A region of at least small_bytes; the count'th region of its owner (from
// 0) may be a huge page instead. Its size goes to bytes; null when out of
// memory.
void *take(std::size_t count, std::size_t small_bytes, std::size_t &bytes) noexcept;
void give_back(void *region, std::size_t bytes, std::size_t small_bytes) noexcept;

// Even in one fault, the system clears every huge page before handing it
// over: on a large document that is a tenth of the parse. While an object of
// this class lives, the next huge-page regions, as many as fit in
// bytes_expected, come from one mapping made at once, and a thread of its
// own has the system fault in a page (without writing to it) before it is
// handed out, while the parse goes on with the one before. It keeps one page
// ready, so at most one page is cleared in vain; when it falls behind, the
// pool takes a page it has not reached and faults that in itself rather
// than wait. Pages not handed out are given back at the end. Regions handed
// out stay valid afterwards and are given back as any other; a pool on any
// thread may take them. One at a time (a second, while one lives, does nothing);
// does nothing where regions are small.
class prefaulting {
public:
  explicit prefaulting(std::size_t bytes_expected) noexcept;
  ~prefaulting();
  prefaulting(const prefaulting &) = delete;
  prefaulting &operator=(const prefaulting &) = delete;

  // Pages handed out, and pages the helper had faulted in (for tests).
  static std::size_t pages_taken() noexcept;
  static std::size_t pages_faulted_ahead() noexcept;

private:
  bool owner_ = false;   // a second one while the first lives does nothing
};

}  // namespace large_region
