#include "html/xml_node_pool.h"

#include <cstdint>
#include <cstring>

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

// Where nodes link by 4-byte places, their slots need only be 4-byte
// aligned: a node of 28 bytes takes no more.
#if QUENBY_NODE_ARENA
constexpr std::size_t kAlign = 4;
#else
constexpr std::size_t kAlign = alignof(xml_node) > alignof(void *) ? alignof(xml_node) : alignof(void *);
#endif
constexpr std::size_t kSlot = (sizeof(xml_node) + kAlign - 1) / kAlign * kAlign;
constexpr std::size_t kRegionBytes = 256 * 1024;
#if QUENBY_NODE_ARENA
static_assert(alignof(xml_node) <= kAlign, "node links count in 4-byte steps");
// Hostile pages are mostly nodes: a page of unclosed "<b>x" has two per four bytes.
static_assert(sizeof(xml_node) <= 28, "a node's size is what a hostile page costs");
#endif

struct region {
  region *next;
  std::size_t bytes;   // as large_region gave it
};
constexpr std::size_t kHeader = (sizeof(region) + kAlign - 1) / kAlign * kAlign;

// A free slot holds the address of the next one, copied in and out: a slot
// may be only 4-byte aligned.
void *next_free(const void *slot) {
  void *next;
  std::memcpy(&next, slot, sizeof next);
  return next;
}
void set_next_free(void *slot, void *next) { std::memcpy(slot, &next, sizeof next); }

// The newest region is used from both ends: text upwards from text_end,
// nodes downwards from nodes_start. It is full where they meet. (Text grows
// upwards so that the latest piece can be shortened in place.)
struct pool_state {
  region *regions_held = nullptr;
  std::size_t region_count = 0;
  char *text_end = nullptr;       // the start of the unused middle
  char *nodes_start = nullptr;    // its end: the lowest node slot handed out
  void *free_list = nullptr;
  std::size_t live_count = 0;
};

// Each thread parses into a pool of its own, so that pages are read on
// several threads at once without a lock per node; a thread that frees
// another's document borrows that thread's pool meanwhile.
thread_local pool_state own_pool;
thread_local pool_state *lent_pool = nullptr;

pool_state &pool() { return lent_pool ? *lent_pool : own_pool; }

std::size_t unused(const pool_state &s) {
  return s.text_end ? static_cast<std::size_t>(s.nodes_start - s.text_end) : 0;
}

bool add_region(pool_state &s) {
  std::size_t bytes = 0;
  region *r = static_cast<region *>(large_region::take(s.region_count, kRegionBytes, bytes));
  if (!r) return false;
  r->next = s.regions_held;
  r->bytes = bytes;
  s.regions_held = r;
  ++s.region_count;
  s.text_end = reinterpret_cast<char *>(r) + kHeader;
  s.nodes_start = s.text_end + (bytes - kHeader) / kSlot * kSlot;
  POOL_POISON(s.text_end, s.nodes_start - s.text_end);
  return true;
}

void release_all_regions(pool_state &s) {
  while (s.regions_held) {
    region *next = s.regions_held->next;
    POOL_UNPOISON(s.regions_held, kRegionBytes);   // ASan builds keep to small regions
    large_region::give_back(s.regions_held, s.regions_held->bytes, kRegionBytes);
    s.regions_held = next;
  }
  s.region_count = 0;
  s.text_end = s.nodes_start = nullptr;
  s.free_list = nullptr;
}

char *text_room(const pool_state &s, std::size_t n, std::size_t alignment) {
  if (!s.text_end) return nullptr;
  std::uintptr_t a = reinterpret_cast<std::uintptr_t>(s.text_end);
  char *p = reinterpret_cast<char *>((a + alignment - 1) & ~std::uintptr_t(alignment - 1));
  if (p > s.nodes_start || static_cast<std::size_t>(s.nodes_start - p) < n) return nullptr;
  return p;
}

}  // namespace

bool fits(std::size_t size) noexcept { return size <= kSlot; }

void *allocate(std::size_t size) noexcept {
  if (!fits(size)) return nullptr;
  pool_state &s = pool();
  void *p;
  if (s.free_list) {
    p = s.free_list;
    POOL_UNPOISON(p, kSlot);
    s.free_list = next_free(p);
  } else {
    if (unused(s) < kSlot && !add_region(s)) return nullptr;
    s.nodes_start -= kSlot;
    p = s.nodes_start;
    POOL_UNPOISON(p, kSlot);
  }
  ++s.live_count;
  return p;
}

void release(void *storage) noexcept {
  if (!storage) return;
  pool_state &s = pool();
  if (--s.live_count == 0 && !node_text_store::held()) {
    release_all_regions(s);
    node_text_store::nodes_gone();
    return;
  }
  set_next_free(storage, s.free_list);
  s.free_list = storage;
  POOL_POISON(storage, kSlot);
}

char *allocate_text(std::size_t n, std::size_t alignment) noexcept {
  if (n + alignment > kRegionBytes / 2) return nullptr;
  pool_state &s = pool();
  char *p = text_room(s, n, alignment);
  if (!p) {
    if (!add_region(s)) return nullptr;
    p = text_room(s, n, alignment);
  }
  POOL_UNPOISON(p, n);
  s.text_end = p + n;
  return p;
}

void shorten_latest_text(char *p, std::size_t n, std::size_t kept) noexcept {
  pool_state &s = pool();
  if (kept >= n || p + n != s.text_end) return;
  s.text_end = p + kept;
  POOL_POISON(s.text_end, n - kept);
}

void release_if_unused() noexcept {
  pool_state &s = pool();
  if (s.live_count == 0) release_all_regions(s);
}

std::size_t live_nodes() noexcept { return pool().live_count; }
std::size_t regions() noexcept { return pool().region_count; }

borrowed_storage::borrowed_storage(storage_of_thread owner) noexcept
    : pool_(lent_pool), text_(node_text_store::lend(owner.text)) {
  lent_pool = static_cast<pool_state *>(owner.pool);
}

borrowed_storage::~borrowed_storage() {
  lent_pool = static_cast<pool_state *>(pool_);
  node_text_store::lend(text_);
}

storage_of_thread this_threads_storage() noexcept {
  return storage_of_thread{&pool(), node_text_store::state_in_use()};
}

}  // namespace xml_node_pool
