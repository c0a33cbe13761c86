// xml_node_pool: storage for document nodes, carved from regions (see
// large_region).
// A document has hundreds of thousands of small nodes; one allocation per
// region instead of per node makes building and freeing a tree much cheaper.
// Freed nodes are reused; when the last node is freed (the file job destroys
// its tree) all regions go back to the system. The program has one thread,
// and so has the pool.
#pragma once
#include <cstddef>

namespace xml_node_pool {

// Whether a request of this size is the pool's: larger ones (records derived
// from xml_node) are left to the general allocator.
bool fits(std::size_t size) noexcept;
// Storage for one node, or null when out of memory or the size does not fit.
void *allocate(std::size_t size) noexcept;
void release(void *storage) noexcept;
// Node storage currently handed out, and regions held: for tests.
std::size_t live_nodes() noexcept;
std::size_t regions() noexcept;

}  // namespace xml_node_pool
