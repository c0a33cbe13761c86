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
#include <cstdint>

// Packed to 4 bytes, as is krval: a parsed document's nodes hold two Values
// each, and on 64-bit hosts the padding would make every node 8 bytes larger.
#pragma pack(push, 4)
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
  ~krchar();

  // The capacity the growth rule gives for n bytes.
  static int32_t grown_capacity(int32_t n) { return n + n / 16 + 2; }

  void reset(int32_t n);            // fresh, uninitialised storage of length n (n 0: none)
  void set_length(int32_t n);       // grows keeping content; shrinking keeps storage
  void append_byte(char c);
  const char *terminate();          // writes a zero after the text, not counted
  void assign(const char *s);       // null resets to 0
  void assign(const krchar &other);
  void append(const char *data, int32_t count);
  void append(const char *s);
  void append(const krchar &other);
  void move_from(krchar &other);    // takes other's storage (a view: copies it); other is reset to 0

  // Becomes a view of length bytes at data, which must stay unchanged for as
  // long as this krchar is a view of them.
  void borrow(const char *data, int32_t length);
  bool is_view() const { return capacity == 0 && bytes != nullptr; }
  // Storage of its own with the same bytes, for writing in place.
  void make_writable();
  // Hands the storage over to the caller (who frees it with free) and
  // leaves this krchar empty; a view or an empty krchar gives null.
  char *release_storage();

  void replace_byte(char a, char b);
  void replace_byte_with_text(char a, const krchar &replacement);

  int32_t find_byte(char c, int32_t from) const;
  int32_t find(const krchar &needle, int32_t from) const;
  int32_t find(const char *needle, int32_t needle_length, int32_t from) const;
  int32_t find_last(const krchar &needle) const;
  int32_t compare(const krchar &other) const;
};
#pragma pack(pop)

// Length of a list of zero-terminated strings closed by an empty string,
// without the zero that ends the last non-empty one ("ab","cd","" gives 5).
int32_t multi_string_length(const char *list);
