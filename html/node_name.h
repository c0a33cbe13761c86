// node_name: the lower-cased element name of a tag node, as the copy
// element_names keeps of it, whose length stands in front of it. Where the
// nodes lie in the arena of large_region, the node holds the four bytes of
// the name's address divided by 8 (see node_link); a name kept outside it (one too
// long for a region) is numbered in a list of the node text store instead.
// Elsewhere it holds a pointer. Empty for texts, comments and the like.
#pragma once
#include <cstdint>
#include <cstring>
#include <string>

#include "html/large_region.h"
#include "html/node_text_store.h"

class node_name {
public:
  node_name() = default;
  // A pointer that element_names::keep returned.
  explicit node_name(const char *kept) {
#if QUENBY_NODE_ARENA
    std::memcpy(&at_, kept - 12, 4);   // element_names wrote it there
#else
    at_ = kept;
#endif
  }

  const char *bytes() const {
#if QUENBY_NODE_ARENA
    if (!at_) return nullptr;
    if (at_ & kFar) return node_text_store::far_piece(at_ & ~kFar);
    return reinterpret_cast<const char *>(std::uintptr_t(at_) << 3);
#else
    return at_;
#endif
  }
  int32_t length() const {
    int32_t n = 0;
    if (const char *kept = bytes()) std::memcpy(&n, kept - 8, 4);
    return n;
  }
  bool empty() const { return !at_; }
  std::string str() const { return at_ ? std::string(bytes(), static_cast<std::size_t>(length())) : std::string(); }
  bool operator==(const char *s) const {
    const std::size_t n = std::strlen(s);
    return static_cast<std::size_t>(length()) == n && (n == 0 || std::memcmp(bytes(), s, n) == 0);
  }

#if QUENBY_NODE_ARENA
  // The four bytes that stand for a kept name at this place, or 0 when out
  // of memory.
  static std::uint32_t place_of(const char *kept) {
    const std::uintptr_t at = reinterpret_cast<std::uintptr_t>(kept);
    if (large_region::arena_start && kept >= large_region::arena_start && at % 8 == 0 && at < large_region::kArenaLimit)
      return static_cast<std::uint32_t>(at >> 3);
    const std::size_t far = node_text_store::keep_far_piece(kept);
    return far && far < kFar ? static_cast<std::uint32_t>(far) | kFar : 0;
  }

private:
  static constexpr std::uint32_t kFar = 0x80000000u;
  std::uint32_t at_ = 0;
#else
private:
  const char *at_ = nullptr;
#endif
};
