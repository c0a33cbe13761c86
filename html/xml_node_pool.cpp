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

region *regions_held = nullptr;
std::size_t region_count = 0;
char *fresh = nullptr;          // never-used slots of the newest region, up to fresh_end
char *fresh_end = nullptr;
free_slot *free_list = nullptr;
std::size_t live_count = 0;

bool add_region() {
  std::size_t bytes = 0;
  region *r = static_cast<region *>(large_region::take(region_count, kRegionBytes, bytes));
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
    large_region::give_back(regions_held, regions_held->bytes, kRegionBytes);
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
