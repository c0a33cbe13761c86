// krtag_reader: reads the element name and the attributes out of the bytes of
// a start or end tag. Lenient by design: every byte sequence yields a name
// (possibly empty) and some attributes, nothing is an error.
#pragma once
#include <cstdint>
#include "value/krhash.h"
#include "value/krval.h"

// Receives the attributes of a tag in reading order.
class attribute_sink {
public:
  virtual ~attribute_sink() = default;
  virtual void put(const krval &name, const krval &value) = 0;
};

class krtag_reader {
public:
  krtag_reader();

  // bytes: the tag without its final ">". element_name receives the
  // lower-cased name. With attributes null only the name is read (end tags);
  // otherwise each attribute is set in the map, names lower-cased, values as
  // written, the first of duplicates kept (as browsers do).
  void read(const char *bytes, int32_t length, krval &element_name, krhash *attributes);
  // The same, handing each attribute to the sink as it is read.
  void read(const char *bytes, int32_t length, krval &element_name, attribute_sink *attributes);

  // Only the element name, as read gives it. True when bytes that may hold
  // attributes follow it; false for a plain tag ("<p", "</td").
  bool read_name(const char *bytes, int32_t length, krval &element_name);

private:
  // Any tag, plain or not, with element_name empty to begin with.
  void read_any_tag(const char *bytes, int32_t length, krval &element_name, attribute_sink *attributes);
  void store(attribute_sink &attributes);

  // Kept between tags so that their storage is reused.
  krval attribute_name;
  krval value;
  bool reading_value = false;
};
