// node_text_store: bytes that document nodes see without owning them (their
// krchar views): the chunks a parser reads, whose tokens become node texts in
// place, and small copies such as element names and kept tags. One token in
// a document of a few hundred thousand no longer costs an allocation of its
// own, and freeing the tree frees no texts one by one. Its small pieces
// share the node pool's regions.
//
// Everything stored stays until no document node is alive and no parser
// holds the store; then it all goes back at once. Each thread has its own,
// like the pool.
#pragma once
#include <cstddef>

namespace node_text_store {

// Room for n bytes at the given alignment (1, 2, 4 or 8), or null when out
// of memory.
char *allocate(std::size_t n, std::size_t alignment = 1) noexcept;

// The latest allocation, of n bytes at p, keeps only its first kept bytes;
// the rest is given to the next allocation.
void shorten_latest(char *p, std::size_t n, std::size_t kept) noexcept;

// Where nodes link by places in the arena (see node_name): a piece kept
// outside the arena, numbered from 1 in a list of the store, gone with the
// store's blocks; 0 when out of memory. And the piece of a number.
std::size_t keep_far_piece(const char *piece) noexcept;
const char *far_piece(std::size_t number) noexcept;

// A parser holds the store while it lives: its chunks are views too.
void hold() noexcept;
void let_go() noexcept;
bool held() noexcept;

// Called by the node pool when its last node has gone and no parser holds
// the store.
void nodes_gone() noexcept;

// Blocks and regions held: for tests.
std::size_t blocks() noexcept;

// For xml_node_pool::borrowed_storage: the store this thread uses, and
// using another thread's (null: its own again); lend gives back the one
// lent before.
void *state_in_use() noexcept;
void *lend(void *state) noexcept;

}  // namespace node_text_store
