#include "html/xml_node.h"

#include "html/krtag_reader.h"
#include "html/xml_node_pool.h"

#include <cstring>

static_assert(sizeof(node_bytes_record) <= sizeof(xml_node), "a node's record takes a node's slot in the pool");

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

krhash *xml_attributes::existing_map() const {
  node_bytes_record *r = bytes_.existing_record();
  if (!r || !r->attributes) return nullptr;
  if (!bytes_.read_kept_tag()) throw std::bad_alloc();
  return r->map();
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
  if (other.count() == 0 && !existing_map()) return;
  map().take_entries(other);
}

bool xml_attributes::keep_tag(const char *bytes, int32_t length) {
  node_bytes_record *r = bytes_.existing_record();
  const bool own_first_bytes = bytes == bytes_.bytes() && length >= 0 && length <= bytes_.length();
  if (own_first_bytes && !(r && r->attributes)) {
    r = bytes_.record_made();
    if (!r) return false;
    r->attributes = reinterpret_cast<std::uintptr_t>(bytes);
    r->tag_length = length;
    return true;
  }
  try {
    krtag_reader reader;
    krval name;
    reader.read(bytes, length, name, &map());
    return true;
  } catch (const std::bad_alloc &) {
    return false;
  }
}

krhash &xml_attributes::map() {
  if (krhash *m = existing_map()) return *m;
  node_bytes_record *r = bytes_.record_made();
  if (!r) throw std::bad_alloc();
  krhash *m = new krhash;
  r->attributes = reinterpret_cast<std::uintptr_t>(m);
  return *m;
}
