#include "html/xml_node.h"

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

bool xml_attributes::get(const krval &key, krval &value) const {
  if (map_) return map_->get(key, value);
  value = int32_t(0);
  return false;
}

bool xml_attributes::next(krval &key, krval &value) {
  if (map_) return map_->next(key, value);
  key = int32_t(0);
  value = int32_t(0);
  return false;
}

void xml_attributes::take_entries(krhash &other) {
  if (other.count() == 0 && !map_) return;
  map().take_entries(other);
}

krhash &xml_attributes::map() {
  if (!map_) map_ = new krhash;
  return *map_;
}
