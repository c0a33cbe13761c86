// krchar: the growable byte string behind every Value. Its growth rules
// (capacity n + n/16 + 2, or + 3 when appending one byte to a full buffer) are
// part of its contract: callers and tests observe the capacity.
#pragma once
#include <cstdint>

class krchar {
public:
  int32_t capacity = 0;   // bytes allocated; 0 when there is no storage
  int32_t length = 0;     // bytes in use
  char *bytes = nullptr;  // owned storage, not zero-terminated unless terminate() was called

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
  void move_from(krchar &other);    // takes other's storage; other is reset to 0

  void replace_byte(char a, char b);
  void replace_byte_with_text(char a, const krchar &replacement);

  int32_t find_byte(char c, int32_t from) const;
  int32_t find(const krchar &needle, int32_t from) const;
  int32_t find(const char *needle, int32_t needle_length, int32_t from) const;
  int32_t find_last(const krchar &needle) const;
  int32_t compare(const krchar &other) const;
};

// Length of a list of zero-terminated strings closed by an empty string,
// without the zero that ends the last non-empty one ("ab","cd","" gives 5).
int32_t multi_string_length(const char *list);
