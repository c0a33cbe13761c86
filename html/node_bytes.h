// node_bytes: a document node's exact bytes, in seven bytes: a page of
// unclosed "<b>x" has a node for every two of its bytes, so what each node
// holds is what such a page costs.
//
// Most tokens are short and seen where they were read (the node text store,
// or the page): such a text is the address of its bytes, in six bytes (no
// process of ours has addresses beyond 48 bits), and their count, in one.
// A longer text, one with bytes of its own, or a tag whose attributes have
// been asked for, keeps a record instead, from the node pool: the text as a
// krchar, and the tag's attributes (see xml_attributes).
#pragma once
#include <cstdint>
#include <cstring>
#include <string>

#include "value/krchar.h"

class krhash;
class krtext;
class krval;

// What a node keeps beside its bytes when they do not fit in place. It
// lies in a node's slot of the pool, whose alignment may be 4.
#pragma pack(push, 4)
struct node_bytes_record {
  krchar text;   // a view, or bytes of its own
  // None (0), the attribute map (a krhash *), or a tag not yet read: the
  // count of its first bytes that are the tag without its ">", shifted left
  // by one, with the low bit set.
  std::uintptr_t attributes = 0;
};
#pragma pack(pop)

#pragma pack(push, 1)
class node_bytes {
public:
  node_bytes() = default;   // empty
  node_bytes(const node_bytes &) = delete;
  node_bytes &operator=(const node_bytes &) = delete;
  ~node_bytes() {
    if (length_ == kRecord) release();
  }

  // The bytes (null when empty) and their count.
  const char *bytes() const {
    if (length_ == kRecord) return record()->text.bytes;
    return reinterpret_cast<const char *>(address());
  }
  int32_t length() const { return length_ == kRecord ? record()->text.length : length_; }
  bool empty() const { return length() == 0; }
  std::string str() const { return empty() ? std::string() : std::string(bytes(), static_cast<std::size_t>(length())); }
  bool operator==(const char *s) const {
    const std::size_t n = std::strlen(s);
    return static_cast<std::size_t>(length()) == n && (n == 0 || std::memcmp(bytes(), s, n) == 0);
  }
  // Whether the bytes are another's (the store's, the page's): false for
  // bytes of its own and for an empty text.
  bool is_view() const {
    return length_ == kRecord ? record()->text.is_view() : length_ > 0;
  }

  // Sees length bytes at data, which must stay unchanged while it does so.
  // False when out of memory (the text is then unchanged).
  bool borrow(const char *data, int32_t length);
  // A copy of length bytes at data, as bytes of its own; false when out of
  // memory. data may be this text's own bytes.
  bool assign(const char *data, int32_t length);
  // These throw std::bad_alloc when out of memory, as a krtext's would.
  node_bytes &operator=(const char *s);
  node_bytes &operator=(const krval &v);   // v's text form
  node_bytes &operator=(const krtext &t);
  // Its bytes followed by length bytes at data, as bytes of its own (the
  // growth of a krchar); false when out of memory.
  bool append(const char *data, int32_t length);

  // The record, made when absent (null when out of memory): for the
  // node's attributes.
  node_bytes_record *record_made();
  const node_bytes_record *existing_record() const { return length_ == kRecord ? record() : nullptr; }
  node_bytes_record *existing_record() { return length_ == kRecord ? record() : nullptr; }

  // A tag whose attributes are still to be read from its bytes is read now
  // (before the bytes change, or when the map is asked for). False when out
  // of memory.
  bool read_kept_tag();

private:
  static constexpr uint8_t kRecord = 255;
  static constexpr int32_t kMostInPlace = 254;
  static constexpr std::uintptr_t kAddressBits = 48;

  std::uintptr_t address() const {
    std::uintptr_t a = 0;
    for (int i = 5; i >= 0; --i) a = (a << 8) | at_[i];
    return a;
  }
  void set_address(std::uintptr_t a) {
    for (int i = 0; i < 6; ++i, a >>= 8) at_[i] = static_cast<uint8_t>(a);
  }
  static bool fits_in_place(const void *p) {
    return (static_cast<uint64_t>(reinterpret_cast<std::uintptr_t>(p)) >> kAddressBits) == 0;
  }
  node_bytes_record *record() const { return reinterpret_cast<node_bytes_record *>(address()); }
  void release();

  uint8_t at_[6] = {0, 0, 0, 0, 0, 0};   // address of the bytes or of the record
  uint8_t length_ = 0;                   // count of the bytes, or kRecord
};
#pragma pack(pop)
