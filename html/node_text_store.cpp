#include "html/node_text_store.h"

#include <cstdint>
#include <cstdlib>

#include "html/xml_node_pool.h"

namespace node_text_store {
namespace {

constexpr std::size_t kBlockBytes = 64 * 1024;

// Allocated blocks and adopted storage share one list; an adopted storage's
// entry is itself carved from a block.
struct block {
  block *next;
  char *adopted;   // null for a block of our own, whose bytes follow
};

block *blocks_held = nullptr;
std::size_t block_count = 0;
char *fresh = nullptr;   // unused bytes of the newest own block, up to fresh_end
char *fresh_end = nullptr;
std::size_t holders = 0;

char *aligned(char *p, std::size_t alignment) {
  std::uintptr_t a = reinterpret_cast<std::uintptr_t>(p);
  return reinterpret_cast<char *>((a + alignment - 1) & ~std::uintptr_t(alignment - 1));
}

void release_all() {
  while (blocks_held) {
    block *next = blocks_held->next;
    std::free(blocks_held->adopted);
    if (!blocks_held->adopted) std::free(blocks_held);
    blocks_held = next;
  }
  block_count = 0;
  fresh = fresh_end = nullptr;
}

}  // namespace

char *allocate(std::size_t n, std::size_t alignment) noexcept {
  char *p = fresh ? aligned(fresh, alignment) : nullptr;
  if (!p || p + n > fresh_end) {
    // A request larger than a block gets a block of its size; the rest of
    // the current block stays in use for small ones.
    std::size_t room = n + alignment > kBlockBytes - sizeof(block) ? n + alignment + sizeof(block) : kBlockBytes;
    block *b = static_cast<block *>(std::malloc(room));
    if (!b) return nullptr;
    b->adopted = nullptr;
    b->next = blocks_held;
    blocks_held = b;
    ++block_count;
    p = aligned(reinterpret_cast<char *>(b + 1), alignment);
    if (room == kBlockBytes) {
      fresh = p + n;
      fresh_end = reinterpret_cast<char *>(b) + room;
    }
    return p;
  }
  fresh = p + n;
  return p;
}

bool adopt(char *storage) noexcept {
  if (!storage) return true;
  // The entry is carved from a block, and the block list grows at its head:
  // the entry is linked before any block it might have needed.
  char *room = allocate(sizeof(block), alignof(block));
  if (!room) return false;
  block *entry = reinterpret_cast<block *>(room);
  entry->adopted = storage;
  entry->next = blocks_held;
  blocks_held = entry;
  ++block_count;
  return true;
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
