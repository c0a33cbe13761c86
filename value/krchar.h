// krchar: the growable byte string behind every Value. Its growth rules
// (capacity n + n/16 + 2, or + 3 when appending one byte to a full buffer) are
// part of its contract: callers and tests observe the capacity.
//
// A krchar may also be a read-only view of bytes kept elsewhere (capacity 0,
// bytes set): a parsed document's nodes see their source bytes where they
// were read instead of each holding a copy. A view never writes, frees or
// hands on those bytes: every change first copies them into storage of its
// own, and so does a move, so a view cannot outlive the object that holds it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

// Packed to 2 bytes, as is krval: a parsed document's nodes hold two Values
// each, and on 64-bit hosts the padding would make every node 12 bytes larger.
#pragma pack(push, 2)
class krchar {
public:
  int32_t capacity = 0;   // bytes allocated; 0 when there is no storage
  int32_t length = 0;     // bytes in use
  char *bytes = nullptr;  // storage, not zero-terminated unless terminate() was called

  krchar() = default;
  explicit krchar(const char *s);   // capacity L + L/16 + 2, even for ""
  krchar(const krchar &other);      // same as assign(other)
  krchar &operator=(const krchar &other);
  krchar(krchar &&other) noexcept;
  krchar &operator=(krchar &&other) noexcept;
  // Inline: a document's nodes hold views and empty texts by the hundred
  // thousand, and freeing them should cost no call each.
  ~krchar() {
    if (capacity > 0) std::free(bytes);
  }

  // The capacity the growth rule gives for n bytes.
  static int32_t grown_capacity(int32_t n) { return n + n / 16 + 2; }

  void reset(int32_t n);            // fresh, uninitialised storage of length n (n 0: none)
  // Grows keeping content; shrinking keeps storage. Within the storage it is
  // inline: the parser sets each tag name's length this way.
  void set_length(int32_t n) {
    if (capacity > 0 && n >= 0 && n <= capacity) length = n;
    else set_length_growing(n);
  }
  // Appending within the capacity is inline: tokenizing appends a few bytes
  // at a time, hundreds of thousands of times.
  void append_byte(char c) {
    if (length < capacity) bytes[length++] = c;
    else append_byte_growing(c);
  }
  const char *terminate();          // writes a zero after the text, not counted
  void assign(const char *s);       // null resets to 0
  void assign(const krchar &other);
  void append(const char *data, int32_t count) {
    if (data && count > 0 && count <= capacity - length) {
      std::memmove(bytes + length, data, static_cast<std::size_t>(count));
      length += count;
    } else {
      append_growing(data, count);
    }
  }
  void append(const char *s);
  void append(const krchar &other);
  void move_from(krchar &other);    // takes other's storage (a view: copies it); other is reset to 0

  // Becomes a view of length bytes at data, which must stay unchanged for as
  // long as this krchar is a view of them.
  [[gnu::always_inline]] void borrow(const char *data, int32_t length_of_view) {
    if (capacity > 0) reset(0);
    bool some = data && length_of_view > 0;
    bytes = some ? const_cast<char *>(data) : nullptr;   // never written through: see is_view
    length = some ? length_of_view : 0;
  }
  bool is_view() const { return capacity == 0 && bytes != nullptr; }
  // Storage of its own with the same bytes, for writing in place.
  void make_writable();

  void replace_byte(char a, char b);
  void replace_byte_with_text(char a, const krchar &replacement);

  int32_t find_byte(char c, int32_t from) const;
  int32_t find(const krchar &needle, int32_t from) const;
  int32_t find(const char *needle, int32_t needle_length, int32_t from) const;
  int32_t find_last(const krchar &needle) const;
  int32_t compare(const krchar &other) const;

private:
  void append_byte_growing(char c);
  void set_length_growing(int32_t n);
  void append_growing(const char *data, int32_t count);
};
#pragma pack(pop)

// Length of a list of zero-terminated strings closed by an empty string,
// without the zero that ends the last non-empty one ("ab","cd","" gives 5).
int32_t multi_string_length(const char *list);
