// A set of the 256 byte values, the unit every bracket, dot and literal
// compiles to.
#pragma once
#include <cstdint>

namespace krx {

struct ByteSet {
  uint64_t w[4] = {0, 0, 0, 0};

  void add(unsigned c) { w[c >> 6] |= uint64_t(1) << (c & 63); }
  bool has(unsigned c) const { return (w[c >> 6] >> (c & 63)) & 1; }
  void add_range(unsigned lo, unsigned hi) {
    for (unsigned c = lo; c <= hi; ++c) add(c);
  }
  void invert() {
    for (auto &x : w) x = ~x;
  }
  void remove(unsigned c) { w[c >> 6] &= ~(uint64_t(1) << (c & 63)); }
  void fold_ascii_case() {
    for (unsigned c = 'a'; c <= 'z'; ++c) {
      if (has(c) || has(c - 32)) {
        add(c);
        add(c - 32);
      }
    }
  }
  bool operator==(const ByteSet &o) const {
    return w[0] == o.w[0] && w[1] == o.w[1] && w[2] == o.w[2] && w[3] == o.w[3];
  }
};

}  // namespace krx
