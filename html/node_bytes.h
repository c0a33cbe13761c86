// node_bytes: a document node's exact bytes, in seven bytes: a page of
// unclosed "<b>x" has a node for every two of its bytes, so what each node
// holds is what such a page costs.
//
// Most tokens are short and seen where they were read (the node text store,
// or the page): such a text is the address of its bytes, in six bytes (no
// process of ours has addresses beyond 48 bits), and their count, in one.
// A longer text, one with bytes of its own, or a tag with attributes keeps
// a record instead, in a node's slot of the pool: the text as a krchar, and
// the tag's attributes (see xml_attributes).
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
  // The attribute map (a krhash *) or none (0); or, while tag_length is
  // not negative, where a tag not yet read stands: its first tag_length
  // bytes are the tag without its ">". Those are the node's bytes as the
  // parser kept them, which stay where they are when the node's text
  // changes, unless they were its own.
  std::uintptr_t attributes = 0;
  int32_t tag_length = -1;

  bool holds_unread_tag() const { return tag_length >= 0; }
  krhash *map() const { return tag_length < 0 ? reinterpret_cast<krhash *>(attributes) : nullptr; }
};
#pragma pack(pop)

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__
#error "node_bytes reads its address as the low bytes of a little-endian number"
#endif

#pragma pack(push, 1)
class node_bytes {
public:
  node_bytes() = default;   // empty
  node_bytes(const node_bytes &) = delete;
  node_bytes &operator=(const node_bytes &) = delete;
  ~node_bytes() {
    if (length_byte() == kRecord) release();
  }

  // The bytes (null when empty) and their count, read at once.
  struct seen {
    const char *bytes;
    int32_t length;
  };
  [[gnu::always_inline]] seen view() const {
    const uint64_t word = whole();
    const std::uintptr_t at = static_cast<std::uintptr_t>(word & kAddressMask);
    if ((word >> 48) != kRecord) return seen{reinterpret_cast<const char *>(at), static_cast<int32_t>(word >> 48)};
    const krchar &text = reinterpret_cast<const node_bytes_record *>(at)->text;
    return seen{text.bytes, text.length};
  }
  const char *bytes() const { return view().bytes; }
  int32_t length() const { return length_byte() == kRecord ? record()->text.length : length_byte(); }
  bool empty() const { return length() == 0; }
  std::string str() const { return empty() ? std::string() : std::string(bytes(), static_cast<std::size_t>(length())); }
  bool operator==(const char *s) const {
    const std::size_t n = std::strlen(s);
    return static_cast<std::size_t>(length()) == n && (n == 0 || std::memcmp(bytes(), s, n) == 0);
  }
  // Whether the bytes are another's (the store's, the page's): false for
  // bytes of its own and for an empty text.
  bool is_view() const {
    return length_byte() == kRecord ? record()->text.is_view() : length_byte() > 0;
  }

  // Sees length bytes at data, which must stay unchanged while it does so.
  // False when out of memory (the text is then unchanged).
  // Inline where it stays in place: a parse sets millions.
  [[gnu::always_inline]] inline bool borrow(const char *data, int32_t length) {
    if (static_cast<uint32_t>(length - 1) < uint32_t(kMostInPlace) && length_byte() != kRecord && data &&
        fits_in_place(data)) {
      const uint64_t word = static_cast<uint64_t>(reinterpret_cast<std::uintptr_t>(data)) |
                            static_cast<uint64_t>(length) << 48;
      const uint32_t low = static_cast<uint32_t>(word), high = static_cast<uint32_t>(word >> 24);
      std::memcpy(word_, &low, 4);
      std::memcpy(word_ + 3, &high, 4);
      return true;
    }
    return borrow_elsewhere(data, length);
  }
  // A view grows over count more bytes that stand right after its own (the
  // same chunk of the page); false, and nothing changes, where the text is
  // no view or they stand elsewhere. Inline: a run of text grows so a token
  // at a time.
  [[gnu::always_inline]] bool grow_view_over(const char *next, int32_t count) {
    const uint64_t word = whole();
    const std::uintptr_t at = static_cast<std::uintptr_t>(word & kAddressMask);
    const int32_t n = static_cast<int32_t>(word >> 48);
    if (n == kRecord) {
      krchar &text = reinterpret_cast<node_bytes_record *>(at)->text;
      if (!text.is_view() || text.bytes + text.length != next || text.length > INT32_MAX - count) return false;
      text.length += count;   // still a view of bytes that stay
      return true;
    }
    if (n == 0 || reinterpret_cast<const char *>(at) + n != next || count > INT32_MAX - n) return false;
    return borrow(reinterpret_cast<const char *>(at), n + count);
  }
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
  const node_bytes_record *existing_record() const { return length_byte() == kRecord ? record() : nullptr; }
  node_bytes_record *existing_record() { return length_byte() == kRecord ? record() : nullptr; }

  // A tag whose attributes are still to be read is read now (when the map
  // is asked for, or before its bytes go). False when out of memory.
  bool read_kept_tag();

private:
  static constexpr uint8_t kRecord = 255;
  static constexpr int32_t kMostInPlace = 254;
  static constexpr std::uintptr_t kAddressBits = 48;
  static constexpr uint64_t kAddressMask = (uint64_t(1) << kAddressBits) - 1;

  // The seven bytes as one number: the address in the low six, the length
  // above (hosts of this program are little-endian: x86, ARM, WebAssembly).
  // Two loads of four bytes, the second from the fourth byte on: a copy of
  // seven bytes into a number would go through memory, and wait for it.
  uint64_t whole() const {
    uint32_t low, high;
    std::memcpy(&low, word_, 4);
    std::memcpy(&high, word_ + 3, 4);
    return uint64_t(low) | uint64_t(high >> 8) << 32;
  }
  std::uintptr_t address() const { return static_cast<std::uintptr_t>(whole() & kAddressMask); }
  void set_address(std::uintptr_t a) {
    const uint64_t word = static_cast<uint64_t>(a);
    std::memcpy(word_, &word, 6);
  }
  uint8_t length_byte() const { return word_[6]; }
  void set_length_byte(uint8_t n) { word_[6] = n; }
  bool borrow_elsewhere(const char *data, int32_t length);
  // Before the record's own bytes change or go: an unread tag among them is
  // read first. False when out of memory.
  bool keep_unread_tag_readable();
  static bool fits_in_place(const void *p) {
    return (static_cast<uint64_t>(reinterpret_cast<std::uintptr_t>(p)) >> kAddressBits) == 0;
  }
  node_bytes_record *record() const { return reinterpret_cast<node_bytes_record *>(address()); }
  void release();

  // The address of the bytes or of the record, in the first six; the count
  // of the bytes, or kRecord, in the last.
  uint8_t word_[7] = {0, 0, 0, 0, 0, 0, 0};
};
#pragma pack(pop)
