// krtext: a field that only ever holds text (a document node's bytes, a TOC
// entry's texts): a krchar, held or a view, read as a text Value is read.
// It leaves out a krval's tag and number, which such fields never use: 16
// bytes instead of 26, in records a page has hundreds of thousands of.
#pragma once
#include <cstdint>
#include <string>
#include "value/krchar.h"
#include "value/krval.h"

#pragma pack(push, 2)   // as krchar: two of them follow a node's links without padding
class krtext {
public:
  mutable krchar text;   // c_str terminates it, as a text Value's reading does

  krtext() = default;   // empty, without storage
  krtext(const char *s) { text.assign(s); }
  krtext(const krtext &other) = default;   // a view's bytes are copied, as krchar copies
  krtext &operator=(const krtext &other) = default;
  krtext(krtext &&other) noexcept = default;
  krtext &operator=(krtext &&other) noexcept = default;
  krtext &operator=(const char *s) {
    text.assign(s);
    return *this;
  }
  krtext &operator=(const krval &v);   // v's text form

  const char *c_str() const { return text.terminate(); }
  int32_t text_length() const { return text.length; }
  bool is_text() const { return true; }
  bool empty() const { return text.length == 0; }
  std::string str() const { return text.length > 0 ? std::string(text.bytes, text.length) : std::string(); }
  // As a Value, for what takes one: a copy of the bytes.
  krval value() const { return krval(text.bytes, text.length); }

  void append_bytes(const char *data, int32_t count) { text.append(data, count); }
  void append(const char *s) { text.append(s); }
  // Storage of its own, for writing in place.
  char *text_bytes() {
    text.make_writable();
    return text.bytes;
  }
  void lower_case();
};
#pragma pack(pop)

bool operator==(const krtext &a, const char *s);
