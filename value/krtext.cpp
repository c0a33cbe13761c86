#include "value/krtext.h"

#include <cstring>
#include <new>
#include "value/lower_case.h"

krtext &krtext::operator=(const krval &v) {
  const int32_t n = v.text_length();   // renders a non-text Value's text
  if (n == 0) {
    text.reset(0);
    return *this;
  }
  krchar copy;
  copy.reset(n);
  if (!copy.bytes) throw std::bad_alloc();
  std::memcpy(copy.bytes, v.text.bytes, static_cast<size_t>(n));
  text.move_from(copy);
  return *this;
}

void krtext::lower_case() {
  text.make_writable();
  system_lower_case(text.bytes, text.length);
}

bool operator==(const krtext &a, const char *s) {
  // Compared in place: terminating the text would copy a view.
  const size_t n = std::strlen(s);
  return static_cast<size_t>(a.text.length) == n && (n == 0 || std::memcmp(a.text.bytes, s, n) == 0);
}
