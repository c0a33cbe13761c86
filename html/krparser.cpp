#include "html/krparser.h"

void krparser::add(krval &v) {
  received_bytes += v.text_length();
  krarr::add(v);
}

void krparser::add_view(const char *bytes, int32_t length) {
  krval chunk("");
  krarr::add(chunk);
  last->value.text.borrow(bytes, length);
  received_bytes += last->value.text.length;
}
