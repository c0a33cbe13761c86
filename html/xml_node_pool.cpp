#include "html/xml_node_pool.h"

#include <cstdint>

#include "html/address_sanitizer.h"
#include "html/large_region.h"
#include "html/node_text_store.h"
#include "html/xml_node.h"

// Under AddressSanitizer, storage that is not handed out is poisoned, so a
// use of a freed node is still caught although the pool keeps its memory.
#if QUENBY_ASAN
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

struct region {
  region *next;
  std::size_t bytes;   // as large_region gave it
};
constexpr std::size_t kHeader = (sizeof(region) + kAlign - 1) / kAlign * kAlign;

struct free_slot {
  free_slot *next;
};

// The newest region is used from both ends: text upwards from text_end,
// nodes downwards from nodes_start. It is full where they meet. (Text grows
// upwards so that the latest piece can be shortened in place.)
region *regions_held = nullptr;
std::size_t region_count = 0;
char *text_end = nullptr;       // the start of the unused middle
char *nodes_start = nullptr;    // its end: the lowest node slot handed out
free_slot *free_list = nullptr;
std::size_t live_count = 0;

std::size_t unused() {
  return text_end ? static_cast<std::size_t>(nodes_start - text_end) : 0;
}

bool add_region() {
  std::size_t bytes = 0;
  region *r = static_cast<region *>(large_region::take(region_count, kRegionBytes, bytes));
  if (!r) return false;
  r->next = regions_held;
  r->bytes = bytes;
  regions_held = r;
  ++region_count;
  text_end = reinterpret_cast<char *>(r) + kHeader;
  nodes_start = text_end + (bytes - kHeader) / kSlot * kSlot;
  POOL_POISON(text_end, nodes_start - text_end);
  return true;
}

void release_all_regions() {
  while (regions_held) {
    region *next = regions_held->next;
    POOL_UNPOISON(regions_held, kRegionBytes);   // ASan builds keep to small regions
    large_region::give_back(regions_held, regions_held->bytes, kRegionBytes);
    regions_held = next;
  }
  region_count = 0;
  text_end = nodes_start = nullptr;
  free_list = nullptr;
}

char *text_room(std::size_t n, std::size_t alignment) {
  if (!text_end) return nullptr;
  std::uintptr_t a = reinterpret_cast<std::uintptr_t>(text_end);
  char *p = reinterpret_cast<char *>((a + alignment - 1) & ~std::uintptr_t(alignment - 1));
  if (p > nodes_start || static_cast<std::size_t>(nodes_start - p) < n) return nullptr;
  return p;
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
    if (unused() < kSlot && !add_region()) return nullptr;
    nodes_start -= kSlot;
    p = nodes_start;
    POOL_UNPOISON(p, kSlot);
  }
  ++live_count;
  return p;
}

void release(void *storage) noexcept {
  if (!storage) return;
  if (--live_count == 0 && !node_text_store::held()) {
    release_all_regions();
    node_text_store::nodes_gone();
    return;
  }
  free_slot *f = static_cast<free_slot *>(storage);
  f->next = free_list;
  free_list = f;
  POOL_POISON(storage, kSlot);
}

char *allocate_text(std::size_t n, std::size_t alignment) noexcept {
  if (n + alignment > kRegionBytes / 2) return nullptr;
  char *p = text_room(n, alignment);
  if (!p) {
    if (!add_region()) return nullptr;
    p = text_room(n, alignment);
  }
  POOL_UNPOISON(p, n);
  text_end = p + n;
  return p;
}

void shorten_latest_text(char *p, std::size_t n, std::size_t kept) noexcept {
  if (kept >= n || p + n != text_end) return;
  text_end = p + kept;
  POOL_POISON(text_end, n - kept);
}

void release_if_unused() noexcept {
  if (live_count == 0) release_all_regions();
}

std::size_t live_nodes() noexcept { return live_count; }
std::size_t regions() noexcept { return region_count; }

}  // namespace xml_node_pool
