#include "html/node_text_store.h"

#include <cstdint>
#include <cstdlib>

#include "html/xml_node_pool.h"

namespace node_text_store {
namespace {

constexpr std::size_t kBlockBytes = 64 * 1024;

// The store's blocks, newest first; a request too large for a block gets
// one of its own. Blocks are small pages from malloc, unlike the node pool's
// huge ones: the unused end of a last huge page would be a good part of the
// peak memory of a large document, and the store holds a fifth of the bytes.
struct block {
  block *next;
};

block *blocks_held = nullptr;
std::size_t block_count = 0;
char *fresh = nullptr;          // unused bytes of the newest block, up to fresh_end
char *fresh_end = nullptr;
std::size_t holders = 0;

char *aligned(char *p, std::size_t alignment) {
  std::uintptr_t a = reinterpret_cast<std::uintptr_t>(p);
  return reinterpret_cast<char *>((a + alignment - 1) & ~std::uintptr_t(alignment - 1));
}

block *new_block(std::size_t bytes) {
  block *b = static_cast<block *>(std::malloc(bytes));
  if (!b) return nullptr;
  b->next = blocks_held;
  blocks_held = b;
  ++block_count;
  return b;
}

void release_all() {
  while (blocks_held) {
    block *next = blocks_held->next;
    std::free(blocks_held);
    blocks_held = next;
  }
  block_count = 0;
  fresh = fresh_end = nullptr;
}

}  // namespace

char *allocate(std::size_t n, std::size_t alignment) noexcept {
  if (fresh) {
    char *p = aligned(fresh, alignment);
    if (p + n <= fresh_end) {
      fresh = p + n;
      return p;
    }
  }
  const bool own_block = n + alignment > kBlockBytes - sizeof(block);
  const std::size_t bytes = own_block ? sizeof(block) + alignment + n : kBlockBytes;
  block *b = new_block(bytes);
  if (!b) return nullptr;
  char *p = aligned(reinterpret_cast<char *>(b + 1), alignment);
  if (!own_block) {
    fresh = p + n;
    fresh_end = reinterpret_cast<char *>(b) + bytes;
  }
  return p;
}

void shorten_latest(char *p, std::size_t n, std::size_t kept) noexcept {
  if (kept < n && p + n == fresh) fresh = p + kept;
}

void hold() noexcept { ++holders; }

void let_go() noexcept {
  if (holders > 0 && --holders == 0 && xml_node_pool::live_nodes() == 0) release_all();
}

void nodes_gone() noexcept {
  if (holders == 0) release_all();
}

std::size_t blocks() noexcept { return block_count; }

}  // namespace node_text_store
