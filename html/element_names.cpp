#include "html/element_names.h"

#include <new>

#include "html/node_name.h"
#include "html/node_text_store.h"
#include "html/same_bytes.h"

uint32_t element_names::hash_of(const char *bytes, int32_t length) {
  uint32_t h = 2166136261u;
  for (int32_t i = 0; i < length; ++i) h = (h ^ static_cast<unsigned char>(bytes[i])) * 16777619u;
  return h;
}

const char *element_names::keep(const char *bytes, int32_t length) {
  entry &recent = recent_[(static_cast<uint32_t>(length) * 7 + static_cast<unsigned char>(bytes[length - 1])) & 63];
  if (recent.length == length && same_bytes(recent.kept, bytes, length)) return recent.kept;
  const char *kept = find_or_add(bytes, length);
  if (kept) recent = entry{kept, length, 0};
  return kept;
}

const char *element_names::find_or_add(const char *bytes, int32_t length) {
  if ((used_ + 1) * 2 > table_.size() && !grow()) return nullptr;
  const uint32_t hash = hash_of(bytes, length);
  const size_t mask = table_.size() - 1;
  size_t i = hash & mask;
  for (;; i = (i + 1) & mask) {
    const entry &e = table_[i];
    if (!e.kept) break;
    if (e.hash == hash && e.length == length && same_bytes(e.kept, bytes, length)) return e.kept;
  }
  // In front of the name: its place for node_name, its length, its count.
  char *stored = node_text_store::allocate(16 + static_cast<std::size_t>(length), 8);
  if (!stored) return nullptr;
  char *kept = stored + 16;
  std::uint32_t place = 0;
#if QUENBY_NODE_ARENA
  place = node_name::place_of(kept);
  if (!place) return nullptr;
#endif
  const int32_t none_open = 0;
  std::memcpy(kept - 12, &place, 4);
  std::memcpy(kept - 8, &length, 4);
  std::memcpy(kept - 4, &none_open, 4);
  std::memcpy(kept, bytes, length);
  table_[i] = entry{kept, length, hash};
  ++used_;
  return kept;
}

bool element_names::grow() {
  try {
    std::vector<entry> old(table_.empty() ? 64 : table_.size() * 2);
    old.swap(table_);
    const size_t mask = table_.size() - 1;
    for (const entry &e : old) {
      if (!e.kept) continue;
      size_t i = e.hash & mask;
      while (table_[i].kept) i = (i + 1) & mask;
      table_[i] = e;
    }
    return true;
  } catch (const std::bad_alloc &) {
    return false;
  }
}
