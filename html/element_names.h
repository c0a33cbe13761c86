// element_names: the element names one parser has met, each kept once in the
// node text store, so that every node of a name sees the same bytes. Beside
// each kept name stands the number of open elements of that name among the
// current node's ancestors (and in front of that, the name's length and
// place, which node_name reads): an end tag whose name has none cannot find its
// element, so its climb through a deeply nested document is skipped, and the
// count is reached from the name's bytes alone, without a search.
#pragma once
#include <cstdint>
#include <cstring>
#include <vector>

class element_names {
public:
  element_names() = default;
  element_names(const element_names &) = delete;
  element_names &operator=(const element_names &) = delete;

  // The kept copy of a name of length bytes (at least 1), the same pointer
  // for the same bytes each time; null when out of memory.
  const char *keep(const char *bytes, int32_t length);

  // Open elements of a kept name, stored in the four bytes before it. Only
  // for pointers that keep returned.
  static int32_t open_count(const char *kept) {
    int32_t n;
    std::memcpy(&n, kept - 4, 4);
    return n;
  }
  static void add_open(const char *kept, int32_t delta) {
    int32_t n = open_count(kept) + delta;
    if (n < 0) n = 0;
    std::memcpy(const_cast<char *>(kept) - 4, &n, 4);
  }

private:
  struct entry {
    const char *kept = nullptr;
    int32_t length = 0;
    uint32_t hash = 0;
  };
  static uint32_t hash_of(const char *bytes, int32_t length);
  const char *find_or_add(const char *bytes, int32_t length);
  bool grow();

  std::vector<entry> table_;   // open addressing; the size is a power of two
  // Names met lately, by length and last byte: most tags repeat a name seen
  // a moment ago, which is then found without hashing. Each points at a kept
  // name, so a match is the one kept copy.
  entry recent_[64];
  size_t used_ = 0;
};
