// What readable anchor names need to know of a code point: whether it is
// kept (a letter or a number), a mark, or separates words, and its simple
// lower-case mapping. The tables are generated from the Unicode Character
// Database by scripts/gen-unicode-tables.py into unicode_tables.cpp.
#pragma once
#include <algorithm>
#include <cstdint>

enum class unicode_kind : uint8_t { separator, kept, mark };

// Code points from `first` to the next range's first share a kind and a
// lower-case delta; in an alternating range (capitals and small letters in
// turn) the delta applies to the code points of the first's parity only.
struct unicode_range {
  uint32_t first : 21;
  uint32_t kind : 2;
  uint32_t alternating : 1;
  int32_t lower_delta;
};

extern const char unicode_tables_version[];
extern const unicode_range unicode_ranges[];
extern const unsigned unicode_range_count;

struct unicode_properties {
  unicode_kind kind;
  uint32_t lower;
};

// A code point beyond U+10FFFF is a separator.
inline unicode_properties unicode_properties_of(uint32_t code_point) {
  if (code_point > 0x10FFFF) return {unicode_kind::separator, code_point};
  const unicode_range *end = unicode_ranges + unicode_range_count;
  const unicode_range &range =
      *(std::upper_bound(unicode_ranges, end, code_point,
                         [](uint32_t c, const unicode_range &r) { return c < r.first; }) -
        1);
  const bool mapped = !range.alternating || (code_point - range.first) % 2 == 0;
  return {static_cast<unicode_kind>(range.kind),
          mapped ? static_cast<uint32_t>(static_cast<int32_t>(code_point) + range.lower_delta)
                 : code_point};
}
