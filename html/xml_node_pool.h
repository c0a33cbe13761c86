// xml_node_pool: storage for document nodes, carved from slabs of 64 KiB.
// A document has hundreds of thousands of small nodes; one allocation per
// slab instead of per node halves the cost of building and freeing a tree.
// A slab goes back to the system once all its nodes are freed. The program
// has one thread, and so has the pool.
#pragma once
#include <cstddef>

namespace xml_node_pool {

// Whether a request of this size is the pool's: larger ones (records derived
// from xml_node) are left to the general allocator.
bool fits(std::size_t size) noexcept;

// Storage for one node of `size` bytes (at most the pool's node size), or null.
void *allocate(std::size_t size) noexcept;
void release(void *storage) noexcept;
// Node storage currently handed out, and slabs held: for tests.
std::size_t live_nodes() noexcept;
std::size_t slabs() noexcept;

}  // namespace xml_node_pool
