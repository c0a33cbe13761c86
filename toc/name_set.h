// A set of anchor names, made for a page's many short names added one at a
// time: their bytes one after the other in one buffer, and a table of open
// addressing holding each name's hash and place in it. A page of hundreds of
// thousands of headings then costs a few bytes and no allocation per name,
// where a set of strings costs a node, a string and a cache miss or two.
#pragma once
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

class name_set {
public:
  // Adds the name; false when it was there already. Throws std::bad_alloc.
  bool insert(std::string_view name);
  bool contains(std::string_view name) const;
  bool empty() const { return count_ == 0; }
  void clear();

private:
  struct slot {
    uint32_t hash = 0;
    uint32_t end = 0;   // where the name's bytes end in bytes_; 0: free
  };
  static uint32_t hash_of(std::string_view name);
  // The slot holding the name, or the free slot where it would go.
  size_t find(std::string_view name, uint32_t hash) const;
  std::string_view name_ending_at(uint32_t end) const;
  void grow();

  // Each name as its bytes followed by its length in four bytes, so that a
  // slot finds the name from where it ends.
  std::unique_ptr<char[]> bytes_;
  uint32_t used_ = 0, room_ = 0;
  std::vector<slot> slots_;   // a power of two long, at most half in use
  uint32_t count_ = 0;
};
