// xml_node_pool: storage for document nodes, carved from regions (see
// large_region), and for the node text store's small pieces, which share
// the regions: a document's nodes and its text then fill the same huge
// pages, and only the newest region has room to spare.
// A document has hundreds of thousands of small nodes; one allocation per
// region instead of per node makes building and freeing a tree much cheaper.
// Freed nodes are reused; when the last node is freed and no parser holds
// the text store, all regions go back to the system. Each thread has a pool
// (and text store) of its own; another thread may use it only while it
// borrows it (borrowed_storage) and the owner waits.
#pragma once
#include <cstddef>

namespace xml_node_pool {

// Whether a request of this size is the pool's: larger ones (records derived
// from xml_node) are left to the general allocator.
bool fits(std::size_t size) noexcept;
// Storage for one node, or null when out of memory or the size does not fit.
void *allocate(std::size_t size) noexcept;
void release(void *storage) noexcept;
// Room for n bytes of text at the given alignment (a power of two up to 8),
// or null when out of memory or too large for a region's share.
char *allocate_text(std::size_t n, std::size_t alignment) noexcept;
// The latest text piece, of n bytes at p, keeps only its first kept bytes.
void shorten_latest_text(char *p, std::size_t n, std::size_t kept) noexcept;
// Called by the text store when no parser holds it any more: with no node
// alive either, the regions go back.
void release_if_unused() noexcept;

// Node storage currently handed out, and regions held: for tests.
std::size_t live_nodes() noexcept;
std::size_t regions() noexcept;

// A thread's pool and text store, as another thread borrows them.
struct storage_of_thread {
  void *pool;
  void *text;
};
storage_of_thread this_threads_storage() noexcept;

// While it lives, the calling thread allocates from and frees into the
// owner's storage: a helper thread that frees a document does so where its
// nodes came from. The owner touches no node meanwhile.
class borrowed_storage {
public:
  explicit borrowed_storage(storage_of_thread owner) noexcept;
  ~borrowed_storage();
  borrowed_storage(const borrowed_storage &) = delete;
  borrowed_storage &operator=(const borrowed_storage &) = delete;

private:
  void *pool_;   // what this thread used before
  void *text_;
};

}  // namespace xml_node_pool
