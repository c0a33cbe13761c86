#include "html/attribute_record.h"

#include <cstring>

#include "html/node_text_store.h"

// Layout: the pair count, then for each pair the name's length and bytes and
// the value's length and bytes; counts and lengths as 4-byte integers.
namespace {

void append_text(krchar &out, const krval &v) {
  int32_t n = v.text_length();
  out.append(reinterpret_cast<const char *>(&n), 4);
  if (n > 0) out.append(v.text.bytes, n);
}

int32_t read_length(const char *&p) {
  int32_t n;
  std::memcpy(&n, p, 4);
  p += 4;
  return n;
}

}  // namespace

void attribute_record_writer::put(const krval &name, const krval &value) {
  append_text(bytes, name);
  append_text(bytes, value);
  ++pairs;
}

const char *attribute_record_writer::store() const {
  char *record = node_text_store::allocate(4 + static_cast<std::size_t>(bytes.length), 4);
  if (!record) return nullptr;
  std::memcpy(record, &pairs, 4);
  if (bytes.length > 0) std::memcpy(record + 4, bytes.bytes, bytes.length);
  return record;
}

void replay_attribute_record(const char *record, krhash &map) {
  const char *p = record;
  int32_t pairs = read_length(p);
  for (int32_t i = 0; i < pairs; ++i) {
    int32_t name_length = read_length(p);
    krval name(p, name_length);
    p += name_length;
    int32_t value_length = read_length(p);
    krval value(p, value_length);
    p += value_length;
    map.set(name, value);
  }
}
