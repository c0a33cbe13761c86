// attribute_record: a tag's attributes as the parser read them, kept as one
// compact run of bytes in the node text store until someone asks for them.
// Few attributes of a document are ever looked at, and a map per tag weighs
// more than the tag itself. The record lists every (name, value) in reading
// order; replayed into a krhash it gives the very map those sets build.
#pragma once
#include <cstdint>
#include "html/krtag_reader.h"
#include "value/krchar.h"
#include "value/krhash.h"

class attribute_record_writer : public attribute_sink {
public:
  void put(const krval &name, const krval &value) override;
  void clear() {
    bytes.length = 0;
    pairs = 0;
  }
  bool empty() const { return pairs == 0; }
  // A copy of the record in the node text store (aligned to 4), or null when
  // out of memory.
  const char *store() const;

private:
  krchar bytes;   // without the leading count
  int32_t pairs = 0;
};

// Sets every (name, value) of the record in map, in reading order.
void replay_attribute_record(const char *record, krhash &map);
