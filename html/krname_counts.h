// krname_counts: a count per element name, found without allocating. The tree
// builder keeps the open elements among the current node's ancestors here and
// asks it once or twice per tag.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

class krname_counts {
public:
  int32_t get(const char *bytes, int32_t length) const;
  // Adds delta to the name's count; a count never goes below 0.
  void add(const char *bytes, int32_t length, int32_t delta);

private:
  struct slot {
    std::string name;
    uint32_t hash = 0;
    int32_t count = 0;
    bool used = false;
  };
  static uint32_t hash_of(const char *bytes, int32_t length);
  size_t find(const char *bytes, int32_t length, uint32_t hash) const;   // slot of the name, or a free one
  void grow();

  std::vector<slot> slots;   // open addressing; the size is a power of two
  size_t used = 0;
};
