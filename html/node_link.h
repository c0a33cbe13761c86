// node_link: a link from one document node to another. A page of a few
// megabytes has millions of nodes, each with four links; where the nodes
// all lie in the arena of large_region, low in the address space, a link is
// the node's address divided by 4, 4 bytes instead of a pointer's 8. It
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
  operator T *() const { return reinterpret_cast<T *>(std::uintptr_t(at_) << 2); }
  T *operator->() const { return *this; }

private:
  // Nodes come only from the pool, whose regions lie in the arena, 4-byte
  // aligned; null stays 0.
  static std::uint32_t encode(T *p) {
    const std::uintptr_t at = reinterpret_cast<std::uintptr_t>(p);
    assert(!p || (reinterpret_cast<char *>(p) >= large_region::arena_start && at % 4 == 0 &&
                  at < large_region::kArenaLimit));
    return static_cast<std::uint32_t>(at >> 2);
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
