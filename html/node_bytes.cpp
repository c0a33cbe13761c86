#include "html/node_bytes.h"

#include <new>

#include "html/krtag_reader.h"
#include "html/xml_node_pool.h"
#include "value/krhash.h"
#include "value/krtext.h"
#include "value/krval.h"

static_assert(sizeof(node_bytes) == 7, "six bytes of address and one of length");

node_bytes_record *node_bytes::record_made() {
  if (length_byte() == kRecord) return record();
  void *storage = xml_node_pool::allocate(sizeof(node_bytes_record));
  if (!storage) return nullptr;
  if (!fits_in_place(storage)) {
    xml_node_pool::release(storage);
    return nullptr;
  }
  node_bytes_record *r = new (storage) node_bytes_record;
  r->text.borrow(bytes(), length_byte());
  set_address(reinterpret_cast<std::uintptr_t>(r));
  set_length_byte(kRecord);
  return r;
}

void node_bytes::release() {
  node_bytes_record *r = record();
  delete r->map();
  r->~node_bytes_record();
  xml_node_pool::release(r);
  set_address(0);
  set_length_byte(0);
}

bool node_bytes::read_kept_tag() {
  node_bytes_record *r = existing_record();
  if (!r || !r->holds_unread_tag()) return true;
  krhash *map = new (std::nothrow) krhash;
  if (!map) return false;
  krtag_reader reader;
  krval name;
  reader.read(reinterpret_cast<const char *>(r->attributes), r->tag_length, name, map);
  r->attributes = reinterpret_cast<std::uintptr_t>(map);
  r->tag_length = -1;
  return true;
}

bool node_bytes::keep_unread_tag_readable() {
  const node_bytes_record *r = existing_record();
  if (!r || !r->holds_unread_tag() || r->text.capacity == 0) return true;   // a view's bytes stay
  return read_kept_tag();
}

bool node_bytes::borrow_elsewhere(const char *data, int32_t length) {
  if (!data || length <= 0) {
    data = nullptr;
    length = 0;
  }
  const bool fits = length <= kMostInPlace && fits_in_place(data);
  if (length_byte() == kRecord) {
    node_bytes_record *r = record();
    if (!keep_unread_tag_readable()) return false;
    // The record stays for the attributes, and for bytes that still need
    // it: a run of text that grows a token at a time keeps the one record.
    if (r->attributes || !fits) {
      r->text.borrow(data, length);
      return true;
    }
    release();
  }
  if (fits) {
    set_address(reinterpret_cast<std::uintptr_t>(data));
    set_length_byte(static_cast<uint8_t>(length));
    return true;
  }
  node_bytes_record *r = record_made();
  if (!r) return false;
  r->text.borrow(data, length);
  return true;
}

bool node_bytes::assign(const char *data, int32_t length) {
  if (length <= 0) return borrow(nullptr, 0);
  krchar copy;
  copy.reset(length);
  if (!copy.bytes) return false;
  std::memcpy(copy.bytes, data, static_cast<std::size_t>(length));
  if (!keep_unread_tag_readable()) return false;
  node_bytes_record *r = record_made();
  if (!r) return false;
  r->text.move_from(copy);
  return true;
}

bool node_bytes::append(const char *data, int32_t count) {
  if (!data || count <= 0) return true;
  if (!keep_unread_tag_readable()) return false;   // its own bytes may move
  node_bytes_record *r = record_made();
  if (!r) return false;
  r->text.append(data, count);
  return r->text.bytes != nullptr;
}

node_bytes &node_bytes::operator=(const char *s) {
  if (!assign(s, s ? static_cast<int32_t>(std::strlen(s)) : 0)) throw std::bad_alloc();
  return *this;
}

node_bytes &node_bytes::operator=(const krval &v) {
  const int32_t n = v.text_length();   // renders a non-text Value's text
  if (!assign(v.text.bytes, n)) throw std::bad_alloc();
  return *this;
}

node_bytes &node_bytes::operator=(const krtext &t) {
  if (!assign(t.text.bytes, t.text.length)) throw std::bad_alloc();
  return *this;
}
