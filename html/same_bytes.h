// same_bytes: whether n bytes at a and b are equal. The parser compares
// names and closing sequences of a few bytes each, many times per tag: a loop
// the compiler sees beats a call into the C library for those.
#pragma once
#include <cstdint>

inline bool same_bytes(const char *a, const char *b, int32_t n) {
  for (int32_t i = 0; i < n; ++i)
    if (a[i] != b[i]) return false;
  return true;
}
