#include "html/xml_node.h"

#include "html/krtag_reader.h"
#include "html/node_text_store.h"
#include "html/xml_node_pool.h"

#include <cstring>
#include <vector>

// Each thread's own: reading a Value's text may write to it (its end).
const krval &xml_node::spare() {
  static thread_local const krval empty("");
  return empty;
}

void *xml_node::operator new(std::size_t size) {
  void *p = operator new(size, std::nothrow);
  if (!p) throw std::bad_alloc();
  return p;
}

void *xml_node::operator new(std::size_t size, const std::nothrow_t &) noexcept {
  if (void *p = xml_node_pool::allocate(size)) return p;
  if (!xml_node_pool::fits(size)) return ::operator new(size, std::nothrow);
  return nullptr;
}

void xml_node::operator delete(void *p, std::size_t size) noexcept {
  if (!xml_node_pool::fits(size)) ::operator delete(p);
  else xml_node_pool::release(p);
}

void xml_node::operator delete(void *p, const std::nothrow_t &) noexcept { xml_node_pool::release(p); }

namespace {

// A parsed tag's bytes as they stand in the node text store, without the
// final ">": its attributes are read from them on first use.
struct stored_tag {
  const char *bytes;
  int32_t length;
};

// The attribute table: a slot holds a map (krhash *), a tag not yet read
// (the address of its stored_tag, with the low bit set) or, when free,
// the number of the next free slot (shifted, with the second bit set): freed
// slots are reused without a list of their own, and the table goes when its
// last slot does.
constexpr std::uintptr_t kTagBit = 1;
constexpr std::uintptr_t kFreeBit = 2;
constexpr std::size_t kMostSlots = 0xffffff;
struct slot_table {
  std::vector<std::uintptr_t> slots;
  uint32_t first_free_slot = 0;   // 0: none
  std::size_t slots_in_use = 0;
};

// One table per thread, borrowed with the node pool (see
// xml_node_pool::borrowed_storage) by a thread that frees a document.
thread_local slot_table own_table;
thread_local slot_table *lent_table = nullptr;

slot_table &table() { return lent_table ? *lent_table : own_table; }

// A slot (numbered from 1) holding value, or 0 when out of memory.
uint32_t take_slot(std::uintptr_t value) noexcept {
  slot_table &t = table();
  uint32_t slot = t.first_free_slot;
  if (slot) {
    t.first_free_slot = static_cast<uint32_t>(t.slots[slot - 1] >> 2);
    t.slots[slot - 1] = value;
  } else {
    if (t.slots.size() >= kMostSlots) return 0;   // a node holds three bytes of its number
    try {
      t.slots.push_back(value);
    } catch (const std::bad_alloc &) {
      return 0;
    }
    slot = static_cast<uint32_t>(t.slots.size());
  }
  ++t.slots_in_use;
  return slot;
}

void give_back_slot(uint32_t slot) noexcept {
  slot_table &t = table();
  if (--t.slots_in_use == 0) {
    std::vector<std::uintptr_t>().swap(t.slots);
    t.first_free_slot = 0;
    return;
  }
  t.slots[slot - 1] = (static_cast<std::uintptr_t>(t.first_free_slot) << 2) | kFreeBit;
  t.first_free_slot = slot;
}

void read_attributes(const stored_tag &tag, krhash &map) {
  krtag_reader reader;
  krval name;
  reader.read(tag.bytes, tag.length, name, &map);
}

}  // namespace

void xml_attributes::release() {
  std::uintptr_t state = table().slots[slot() - 1];
  if (!(state & kTagBit)) delete reinterpret_cast<krhash *>(state);   // a tag is the store's
  give_back_slot(slot());
  set_slot(0);
}

krhash *xml_attributes::existing_map() const {
  if (!slot()) return nullptr;
  std::uintptr_t &state = table().slots[slot() - 1];
  if (state & kTagBit) {
    const stored_tag *tag = reinterpret_cast<const stored_tag *>(state & ~kTagBit);
    krhash *m = new krhash;
    read_attributes(*tag, *m);
    state = reinterpret_cast<std::uintptr_t>(m);
  }
  return reinterpret_cast<krhash *>(state);
}

bool xml_attributes::get(const krval &key, krval &value) const {
  if (krhash *m = existing_map()) return m->get(key, value);
  value = int32_t(0);
  return false;
}

bool xml_attributes::has(const krval &key) const {
  krhash *m = existing_map();
  return m && m->has(key);
}

int32_t xml_attributes::count() const {
  krhash *m = existing_map();
  return m ? m->count() : 0;
}

bool xml_attributes::next(krval &key, krval &value) {
  if (krhash *m = existing_map()) return m->next(key, value);
  key = int32_t(0);
  value = int32_t(0);
  return false;
}

void xml_attributes::take_entries(krhash &other) {
  if (other.count() == 0 && !slot()) return;
  map().take_entries(other);
}

bool xml_attributes::keep_tag(const char *bytes, int32_t length) {
  const stored_tag tag{bytes, length};
  if (slot()) {
    read_attributes(tag, map());
    return true;
  }
  void *kept = node_text_store::allocate(sizeof(stored_tag), alignof(stored_tag));
  if (!kept) return false;
  std::memcpy(kept, &tag, sizeof tag);
  set_slot(take_slot(reinterpret_cast<std::uintptr_t>(kept) | kTagBit));
  return slot() != 0;
}

krhash &xml_attributes::map() {
  if (krhash *m = existing_map()) return *m;
  krhash *m = new krhash;
  set_slot(take_slot(reinterpret_cast<std::uintptr_t>(m)));
  if (!slot()) {
    delete m;
    throw std::bad_alloc();
  }
  return *m;
}

void *xml_attributes::slots_in_use_by_thread() noexcept { return &table(); }

void *xml_attributes::lend_slots(void *table_of_owner) noexcept {
  void *before = lent_table;
  lent_table = static_cast<slot_table *>(table_of_owner);
  return before;
}
