#include "html/xml_node_pool.h"

#include <cstdint>
#include <cstdlib>
#if defined(_WIN32)
#include <malloc.h>
#endif

#include "html/xml_node.h"

namespace xml_node_pool {
namespace {

constexpr std::size_t kSlabBytes = 64 * 1024;   // also the alignment: a node finds its slab by masking
constexpr std::size_t kAlign = alignof(xml_node) > alignof(void *) ? alignof(xml_node) : alignof(void *);
constexpr std::size_t kSlot = (sizeof(xml_node) + kAlign - 1) / kAlign * kAlign;

struct free_slot {
  free_slot *next;
};

struct slab {
  slab *previous;   // in the list of slabs with room
  slab *next;
  free_slot *free_list;
  std::size_t live;
  std::size_t fresh;   // slots from here on were never used
  bool listed;
};

constexpr std::size_t kHeader = (sizeof(slab) + kAlign - 1) / kAlign * kAlign;
constexpr std::size_t kSlotsPerSlab = (kSlabBytes - kHeader) / kSlot;

slab *with_room = nullptr;   // slabs that can give a slot
slab *spare = nullptr;       // one empty slab kept back, so a tree of one node does not churn
std::size_t live_count = 0;
std::size_t slab_count = 0;

void *aligned_storage() {
#if defined(_WIN32)
  return _aligned_malloc(kSlabBytes, kSlabBytes);
#else
  void *p = nullptr;
  return posix_memalign(&p, kSlabBytes, kSlabBytes) == 0 ? p : nullptr;
#endif
}

void free_storage(void *p) {
#if defined(_WIN32)
  _aligned_free(p);
#else
  std::free(p);
#endif
}

char *slot_at(slab *s, std::size_t i) { return reinterpret_cast<char *>(s) + kHeader + i * kSlot; }

void list(slab *s) {
  s->previous = nullptr;
  s->next = with_room;
  if (with_room) with_room->previous = s;
  with_room = s;
  s->listed = true;
}

void unlist(slab *s) {
  if (s->previous) s->previous->next = s->next;
  else with_room = s->next;
  if (s->next) s->next->previous = s->previous;
  s->previous = s->next = nullptr;
  s->listed = false;
}

slab *new_slab() {
  void *storage = spare;
  if (storage) {
    spare = nullptr;
  } else {
    storage = aligned_storage();
    if (!storage) return nullptr;
    ++slab_count;
  }
  slab *s = static_cast<slab *>(storage);
  s->free_list = nullptr;
  s->live = 0;
  s->fresh = 0;
  list(s);
  return s;
}

}  // namespace

bool fits(std::size_t size) noexcept { return size <= kSlot; }

void *allocate(std::size_t size) noexcept {
  if (size > kSlot) return nullptr;
  slab *s = with_room ? with_room : new_slab();
  if (!s) return nullptr;
  void *p;
  if (s->free_list) {
    p = s->free_list;
    s->free_list = s->free_list->next;
  } else {
    p = slot_at(s, s->fresh++);
  }
  ++s->live;
  ++live_count;
  if (!s->free_list && s->fresh == kSlotsPerSlab) unlist(s);
  return p;
}

void release(void *storage) noexcept {
  if (!storage) return;
  slab *s = reinterpret_cast<slab *>(reinterpret_cast<std::uintptr_t>(storage) & ~(kSlabBytes - 1));
  free_slot *f = static_cast<free_slot *>(storage);
  f->next = s->free_list;
  s->free_list = f;
  --s->live;
  --live_count;
  if (s->live == 0) {
    if (s->listed) unlist(s);
    if (!spare) {
      spare = s;
    } else {
      free_storage(s);
      --slab_count;
    }
    return;
  }
  if (!s->listed) list(s);
}

std::size_t live_nodes() noexcept { return live_count; }
std::size_t slabs() noexcept { return slab_count; }

}  // namespace xml_node_pool
