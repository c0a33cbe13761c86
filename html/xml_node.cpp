#include "html/xml_node.h"

xml_node::xml_node() {
  // Empty text without storage: a document has hundreds of thousands of nodes.
  name.tag = KR_TEXT;
  raw_text.tag = KR_TEXT;
  spare.tag = KR_TEXT;
}

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
