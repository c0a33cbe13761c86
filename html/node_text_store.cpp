#include "html/node_text_store.h"

#include <cstdint>
#include <cstdlib>

#include "html/xml_node_pool.h"

namespace node_text_store {
namespace {

// Small pieces share the node pool's regions; a piece too large for those
// gets a block of its own from malloc.
struct block {
  block *next;
};

block *own_blocks = nullptr;
std::size_t own_block_count = 0;
std::size_t holders = 0;

void release_own_blocks() {
  while (own_blocks) {
    block *next = own_blocks->next;
    std::free(own_blocks);
    own_blocks = next;
  }
  own_block_count = 0;
}

char *own_block(std::size_t n, std::size_t alignment) {
  block *b = static_cast<block *>(std::malloc(sizeof(block) + alignment + n));
  if (!b) return nullptr;
  b->next = own_blocks;
  own_blocks = b;
  ++own_block_count;
  std::uintptr_t a = reinterpret_cast<std::uintptr_t>(b + 1);
  return reinterpret_cast<char *>((a + alignment - 1) & ~std::uintptr_t(alignment - 1));
}

}  // namespace

char *allocate(std::size_t n, std::size_t alignment) noexcept {
  if (char *p = xml_node_pool::allocate_text(n, alignment)) return p;
  return own_block(n, alignment);
}

void shorten_latest(char *p, std::size_t n, std::size_t kept) noexcept {
  xml_node_pool::shorten_latest_text(p, n, kept);
}

void hold() noexcept { ++holders; }

void let_go() noexcept {
  if (holders > 0 && --holders == 0 && xml_node_pool::live_nodes() == 0) {
    release_own_blocks();
    xml_node_pool::release_if_unused();
  }
}

bool held() noexcept { return holders > 0; }

void nodes_gone() noexcept {
  if (holders == 0) release_own_blocks();
}

std::size_t blocks() noexcept { return own_block_count + xml_node_pool::regions(); }

}  // namespace node_text_store
