#include "html/node_text_store.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "html/xml_node_pool.h"

namespace node_text_store {
namespace {

// Small pieces share the node pool's regions; a piece too large for those
// gets a block of its own from malloc.
struct block {
  block *next;
};

struct store_state {
  block *own_blocks = nullptr;
  std::size_t own_block_count = 0;
  std::size_t holders = 0;
  std::vector<const char *> far_pieces;   // all in own blocks
};

// One store per thread, as the pool (see xml_node_pool::borrowed_storage).
thread_local store_state own_store;
thread_local store_state *lent_store = nullptr;

store_state &store() { return lent_store ? *lent_store : own_store; }

void release_own_blocks(store_state &s) {
  while (s.own_blocks) {
    block *next = s.own_blocks->next;
    std::free(s.own_blocks);
    s.own_blocks = next;
  }
  s.own_block_count = 0;
  std::vector<const char *>().swap(s.far_pieces);
}

char *own_block(std::size_t n, std::size_t alignment) {
  block *b = static_cast<block *>(std::malloc(sizeof(block) + alignment + n));
  if (!b) return nullptr;
  store_state &s = store();
  b->next = s.own_blocks;
  s.own_blocks = b;
  ++s.own_block_count;
  std::uintptr_t a = reinterpret_cast<std::uintptr_t>(b + 1);
  return reinterpret_cast<char *>((a + alignment - 1) & ~std::uintptr_t(alignment - 1));
}

}  // namespace

char *allocate(std::size_t n, std::size_t alignment) noexcept {
  if (char *p = xml_node_pool::allocate_text(n, alignment)) return p;
  return own_block(n, alignment);
}

std::size_t keep_far_piece(const char *piece) noexcept {
  store_state &s = store();
  try {
    s.far_pieces.push_back(piece);
  } catch (const std::bad_alloc &) {
    return 0;
  }
  return s.far_pieces.size();
}

const char *far_piece(std::size_t number) noexcept { return store().far_pieces[number - 1]; }

void shorten_latest(char *p, std::size_t n, std::size_t kept) noexcept {
  xml_node_pool::shorten_latest_text(p, n, kept);
}

void hold() noexcept { ++store().holders; }

void let_go() noexcept {
  store_state &s = store();
  if (s.holders > 0 && --s.holders == 0 && xml_node_pool::live_nodes() == 0) {
    release_own_blocks(s);
    xml_node_pool::release_if_unused();
  }
}

bool held() noexcept { return store().holders > 0; }

void nodes_gone() noexcept {
  store_state &s = store();
  if (s.holders == 0) release_own_blocks(s);
}

std::size_t blocks() noexcept { return store().own_block_count + xml_node_pool::regions(); }

void *state_in_use() noexcept { return &store(); }

void *lend(void *state) noexcept {
  void *before = lent_store;
  lent_store = static_cast<store_state *>(state);
  return before;
}

}  // namespace node_text_store
