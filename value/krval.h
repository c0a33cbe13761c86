// krval: the tagged Value (text, flag, integer, real, reference) that carries
// all data of the program. Non-text Values keep their rendered text form in
// their own buffer as a cache, so reading it repeatedly allocates nothing.
#pragma once
#include <cstdint>
#include <string>
#include "value/krchar.h"

enum krtag : uint16_t {
  KR_TEXT = 2,
  KR_FLAG = 5,
  KR_INT = 11,
  KR_REAL = 23,
  KR_REF = 101,
};

#pragma pack(push, 2)   // see krchar
class krval {
public:
  uint16_t tag = KR_INT;
  union Payload {
    int8_t flag;
    int32_t integer;
    double real;
    void *ref;
    unsigned char raw[8];
  } payload{};
  mutable krchar text;   // the text, or the cache of the rendered text form

  krval() { payload.integer = 0; }
  krval(double r);
  krval(int32_t i);
  krval(void *ref);
  explicit krval(char c);          // text of length 1
  krval(const char *s);            // text; null gives empty text
  krval(const char *data, int32_t length);  // text of exactly these bytes
  static krval flag(bool b);
  krval(const krval &other);
  krval &operator=(const krval &other);   // as the copy constructor
  krval(krval &&other) noexcept;
  krval &operator=(krval &&other) noexcept;

  krval &operator=(const char *s);
  krval &operator=(char c);
  krval &operator=(double r);
  krval &operator=(int32_t i);
  krval &operator=(void *ref);
  void assign_flag(bool b);
  void assign_text_of(const krval &other);
  void assign_bytes(const char *data, int32_t length);

  // Reading without changing the tag.
  const char *c_str() const;        // terminated text form
  int32_t text_length() const;      // length of the text form
  std::string str() const { return std::string(c_str(), text_length()); }
  bool as_flag() const;
  int32_t as_int() const;
  double as_real() const;
  void *as_ref() const;
  char first_char() const;
  bool is_text() const { return tag == KR_TEXT; }
  bool empty() const { return text_length() == 0; }

  void set_type(uint16_t t);

  // Text operations: each first turns the Value into text.
  char *text_bytes();
  void append(const krval &other);
  void append(const char *s);
  void append_bytes(const char *data, int32_t count);
  void remove_front(int32_t n);
  void set_length(int32_t n);
  void left(const krval &source, int32_t n);
  void lower_case();
  void quote_for_command_line();

  int32_t compare(const krval &other) const;
  int32_t find(const krval &needle, int32_t from) const;
  int32_t find_last(const krval &needle) const;

  // Arithmetic, decided by the sum of the two tags.
  void add(const krval &operand);
  void increment();
  static krval multiply(const krval &a, const krval &b);
  static krval divide(const krval &a, const krval &b);
  static krval less_than(const krval &a, const krval &b);

  // The two readings of text.
  static int32_t integer_reading(const char *s, int32_t length);
  static double real_reading(const char *s, int32_t length);
  // The real format: up to 8 decimals (3 above 100000), trailing zeros dropped.
  static void format_real(double r, krchar &out);

private:
  void refresh_cache() const;
  void become_text();
};
#pragma pack(pop)

bool operator==(const krval &a, const char *s);
