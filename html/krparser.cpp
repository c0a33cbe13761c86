#include "html/krparser.h"

void krparser::add(krval &v) {
  received_bytes += v.text_length();
  krarr::add(v);
}
