// node_link: a link from one document node to another. A page of a few
// megabytes has millions of nodes, each with four links; where the nodes
// all lie in the arena of large_region, a link is the node's distance from
// the arena's start in 8-byte steps, 4 bytes instead of a pointer's 8. It
// reads and writes as the pointer it stands for. Elsewhere it is a pointer.
#pragma once
#include <cassert>
#include <cstdint>

#include "html/large_region.h"

#if QUENBY_NODE_ARENA

template <class T>
class node_link {
public:
  node_link() = default;
  node_link(T *p) : at_(encode(p)) {}
  node_link &operator=(T *p) {
    at_ = encode(p);
    return *this;
  }
  operator T *() const { return at_ ? reinterpret_cast<T *>(large_region::arena_start + std::size_t(at_) * 8) : nullptr; }
  T *operator->() const { return *this; }

private:
  // Nodes come only from the pool, whose regions lie in the arena, 8-byte
  // aligned; the arena's first bytes are a region's header, never a node, so
  // 0 stays free for null.
  static std::uint32_t encode(T *p) {
    if (!p) return 0;
    const std::size_t offset = static_cast<std::size_t>(reinterpret_cast<char *>(p) - large_region::arena_start);
    assert(reinterpret_cast<char *>(p) > large_region::arena_start && offset % 8 == 0 && offset / 8 <= UINT32_MAX);
    return static_cast<std::uint32_t>(offset / 8);
  }
  std::uint32_t at_ = 0;
};

#else

template <class T>
using node_link = T *;

#endif

// The link header of a document node, in the place of krnode<T, false>.
template <class T>
struct node_links {
  static constexpr bool counts_children = false;
  node_link<T> parent = nullptr;
  node_link<T> next = nullptr;
  node_link<T> first_child = nullptr;
  node_link<T> previous = nullptr;
};
