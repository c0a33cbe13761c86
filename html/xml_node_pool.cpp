#include "html/xml_node_pool.h"

#include <cstdint>
#include <cstdlib>
#if defined(__linux__)
#include <sys/mman.h>
#endif

#include "html/node_text_store.h"
#include "html/xml_node.h"

// Under AddressSanitizer, storage that is not handed out is poisoned, so a
// use of a freed node is still caught although the pool keeps its memory.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUENBY_POOL_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define QUENBY_POOL_ASAN 1
#endif
#if QUENBY_POOL_ASAN
#include <sanitizer/asan_interface.h>
#define POOL_POISON(p, n) ASAN_POISON_MEMORY_REGION(p, n)
#define POOL_UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION(p, n)
#else
#define POOL_POISON(p, n) ((void)(p), (void)(n))
#define POOL_UNPOISON(p, n) ((void)(p), (void)(n))
#endif

namespace xml_node_pool {
namespace {

constexpr std::size_t kAlign = alignof(xml_node) > alignof(void *) ? alignof(xml_node) : alignof(void *);
constexpr std::size_t kSlot = (sizeof(xml_node) + kAlign - 1) / kAlign * kAlign;
constexpr std::size_t kRegionBytes = 256 * 1024;

// A large document's nodes fill tens of megabytes, and touching them a 4 KiB
// page at a time makes page faults a good part of parsing. Past the first few
// regions (small documents stay small), Linux gets regions of one aligned
// huge page each, mapped by a single fault.
#if defined(__linux__) && defined(MADV_HUGEPAGE) && !QUENBY_POOL_ASAN
constexpr std::size_t kLargeRegionBytes = 2 * 1024 * 1024;
constexpr std::size_t kSmallRegionsFirst = 8;
#endif

struct region {
  region *next;
  std::size_t bytes;   // kRegionBytes from malloc, or kLargeRegionBytes mapped
};
constexpr std::size_t kHeader = (sizeof(region) + kAlign - 1) / kAlign * kAlign;

struct free_slot {
  free_slot *next;
};

region *regions_held = nullptr;
std::size_t region_count = 0;
char *fresh = nullptr;          // never-used slots of the newest region, up to fresh_end
char *fresh_end = nullptr;
free_slot *free_list = nullptr;
std::size_t live_count = 0;

region *new_region(std::size_t &bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE) && !QUENBY_POOL_ASAN
  if (region_count >= kSmallRegionsFirst) {
    // Twice the size is mapped so that an aligned huge page lies inside;
    // the rest is given back at once.
    void *m = mmap(nullptr, 2 * kLargeRegionBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (m != MAP_FAILED) {
      std::uintptr_t start = reinterpret_cast<std::uintptr_t>(m);
      std::uintptr_t aligned = (start + kLargeRegionBytes - 1) & ~std::uintptr_t(kLargeRegionBytes - 1);
      if (aligned > start) munmap(m, aligned - start);
      std::uintptr_t tail = aligned + kLargeRegionBytes;
      std::uintptr_t end = start + 2 * kLargeRegionBytes;
      if (end > tail) munmap(reinterpret_cast<void *>(tail), end - tail);
      void *p = reinterpret_cast<void *>(aligned);
      madvise(p, kLargeRegionBytes, MADV_HUGEPAGE);   // advice: failure is harmless
      bytes = kLargeRegionBytes;
      return static_cast<region *>(p);
    }
  }
#endif
  bytes = kRegionBytes;
  return static_cast<region *>(std::malloc(kRegionBytes));
}

bool add_region() {
  std::size_t bytes = 0;
  region *r = new_region(bytes);
  if (!r) return false;
  r->next = regions_held;
  r->bytes = bytes;
  regions_held = r;
  ++region_count;
  fresh = reinterpret_cast<char *>(r) + kHeader;
  fresh_end = fresh + (bytes - kHeader) / kSlot * kSlot;
  POOL_POISON(fresh, fresh_end - fresh);
  return true;
}

void release_all_regions() {
  while (regions_held) {
    region *next = regions_held->next;
    POOL_UNPOISON(regions_held, kRegionBytes);   // ASan builds keep to small regions
    if (regions_held->bytes == kRegionBytes) std::free(regions_held);
#if defined(__linux__) && defined(MADV_HUGEPAGE) && !QUENBY_POOL_ASAN
    else munmap(regions_held, regions_held->bytes);
#endif
    regions_held = next;
  }
  region_count = 0;
  fresh = fresh_end = nullptr;
  free_list = nullptr;
}

}  // namespace

bool fits(std::size_t size) noexcept { return size <= kSlot; }

void *allocate(std::size_t size) noexcept {
  if (!fits(size)) return nullptr;
  void *p;
  if (free_list) {
    p = free_list;
    POOL_UNPOISON(p, kSlot);
    free_list = free_list->next;
  } else {
    if (fresh == fresh_end && !add_region()) return nullptr;
    p = fresh;
    POOL_UNPOISON(p, kSlot);
    fresh += kSlot;
  }
  ++live_count;
  return p;
}

void release(void *storage) noexcept {
  if (!storage) return;
  if (--live_count == 0) {
    release_all_regions();
    node_text_store::nodes_gone();
    return;
  }
  free_slot *f = static_cast<free_slot *>(storage);
  f->next = free_list;
  free_list = f;
  POOL_POISON(storage, kSlot);
}

std::size_t live_nodes() noexcept { return live_count; }
std::size_t regions() noexcept { return region_count; }

}  // namespace xml_node_pool
