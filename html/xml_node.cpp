#include "html/xml_node.h"

#include "html/attribute_record.h"
#include "html/xml_node_pool.h"

xml_node::xml_node() {
  // Empty text without storage: a document has hundreds of thousands of nodes.
  name.tag = KR_TEXT;
  raw_text.tag = KR_TEXT;
}

const krval &xml_node::spare() {
  static const krval empty("");
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
constexpr std::uintptr_t kRecordBit = 1;
}

xml_attributes::~xml_attributes() {
  if (!(state_ & kRecordBit)) delete reinterpret_cast<krhash *>(state_);   // a record is the store's
}

krhash *xml_attributes::existing_map() const {
  if (state_ & kRecordBit) {
    const char *record = reinterpret_cast<const char *>(state_ & ~kRecordBit);
    krhash *m = new krhash;
    replay_attribute_record(record, *m);
    state_ = reinterpret_cast<std::uintptr_t>(m);
  }
  return reinterpret_cast<krhash *>(state_);
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
  if (other.count() == 0 && !state_) return;
  map().take_entries(other);
}

void xml_attributes::keep_record(const char *record) {
  if (!record) return;
  if (state_) {
    replay_attribute_record(record, map());
    return;
  }
  state_ = reinterpret_cast<std::uintptr_t>(record) | kRecordBit;
}

krhash &xml_attributes::map() {
  krhash *m = existing_map();
  if (!m) {
    m = new krhash;
    state_ = reinterpret_cast<std::uintptr_t>(m);
  }
  return *m;
}
