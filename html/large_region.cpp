#include "html/large_region.h"

#include <cstdint>
#include <cstdlib>

#if QUENBY_NODE_ARENA
#define QUENBY_HUGE_REGIONS 1
#include <sys/mman.h>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>
#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23   // Linux 5.14 on; older systems refuse it, which is harmless
#endif
#endif

namespace large_region {

#if QUENBY_NODE_ARENA
char *arena_start = nullptr;
#endif

namespace {

#if QUENBY_HUGE_REGIONS
constexpr std::size_t kHugeBytes = 2 * 1024 * 1024;
constexpr std::size_t kSmallRegionsFirst = 2;

// The arena is cut into slots of one huge page each; a region takes a slot,
// a small region only the start of it. A slot given back returns its memory
// at once and is reused. It lies below kArenaEnd, at the first of a few
// places the process has free, with as much room as there is, down to
// kArenaSmallest.
constexpr std::uintptr_t kGiB = std::uintptr_t(1) << 30;
constexpr std::uintptr_t kArenaEnd = kArenaLimit;
constexpr std::size_t kArenaSmallest = std::size_t(256) << 20;
#ifndef MAP_FIXED_NOREPLACE
#define MAP_FIXED_NOREPLACE 0x100000   // Linux 4.17 on; older systems take it as a hint, which is checked
#endif

struct arena_state {
  std::once_flag reserved;
  std::mutex lock;
  std::size_t slots = 0;
  // Slots from fresh on are free and in one run, which a reserve of many
  // pages needs; below it, slots given back wait on a stack. A slot given
  // back just below fresh joins the run instead, so that the run grows
  // back as documents go and a long batch of large pages keeps its reserves.
  std::size_t fresh = 0;
  std::vector<std::uint32_t> given_back;   // may hold slots since taken or joined to the run
  std::vector<bool> waiting;               // whether a slot is on the stack for real
} arena;

void reserve_arena() {
  for (std::uintptr_t start : {1 * kGiB, 2 * kGiB, 4 * kGiB, 8 * kGiB}) {
    for (std::size_t bytes = kArenaEnd - start; bytes >= kArenaSmallest; bytes /= 2) {
      void *want = reinterpret_cast<void *>(start);
      void *m = mmap(want, bytes, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE | MAP_FIXED_NOREPLACE, -1, 0);
      if (m == MAP_FAILED) continue;
      if (m != want) {   // a system without the flag put it elsewhere
        munmap(m, bytes);
        continue;
      }
      arena.waiting.assign(bytes / kHugeBytes, false);
      arena_start = static_cast<char *>(m);
      arena.slots = bytes / kHugeBytes;
      return;
    }
  }
}

// count slots in a row (more than one: never used before), or null when the
// arena is full.
char *take_slots(std::size_t count) noexcept {
  try {
    std::call_once(arena.reserved, reserve_arena);
  } catch (...) {
    return nullptr;
  }
  if (!arena_start) return nullptr;
  std::lock_guard<std::mutex> held(arena.lock);
  while (count == 1 && !arena.given_back.empty()) {
    const std::uint32_t slot = arena.given_back.back();
    arena.given_back.pop_back();
    if (!arena.waiting[slot]) continue;
    arena.waiting[slot] = false;
    return arena_start + slot * kHugeBytes;
  }
  if (arena.slots - arena.fresh < count) return nullptr;
  char *p = arena_start + arena.fresh * kHugeBytes;
  arena.fresh += count;
  return p;
}

bool in_arena(const void *p) {
  const char *c = static_cast<const char *>(p);
  return arena_start && c >= arena_start && c < arena_start + arena.slots * kHugeBytes;
}

bool commit(char *p, std::size_t bytes) {
  return mmap(p, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) != MAP_FAILED;
}

void give_back_slot(char *p) noexcept {
  // A fresh inaccessible mapping in its place drops the memory.
  mmap(p, kHugeBytes, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED | MAP_NORESERVE, -1, 0);
  std::lock_guard<std::mutex> held(arena.lock);
  const std::size_t slot = static_cast<std::size_t>(p - arena_start) / kHugeBytes;
  if (slot + 1 == arena.fresh) {
    --arena.fresh;
    while (arena.fresh > 0 && arena.waiting[arena.fresh - 1]) arena.waiting[--arena.fresh] = false;
    return;
  }
  try {
    arena.given_back.push_back(static_cast<std::uint32_t>(slot));
    arena.waiting[slot] = true;
  } catch (...) {
    // Only the address range is lost, not memory.
  }
}

void advise_huge(void *p, std::size_t bytes) {
#ifdef MADV_HUGEPAGE
  madvise(p, bytes, MADV_HUGEPAGE);   // advice: failure is harmless
#else
  (void)p;
  (void)bytes;
#endif
}

void *map_huge_page() {
  char *p = take_slots(1);
  if (!p) return nullptr;
  if (!commit(p, kHugeBytes)) {
    give_back_slot(p);
    return nullptr;
  }
  advise_huge(p, kHugeBytes);
  return p;
}

// The mapping of a living prefaulting object. Its fields are shared with
// the helper thread and guarded by the lock; the pool itself stays with the
// one thread that parses.
enum page_state : uint8_t { FREE, FAULTING, READY, TAKEN };
constexpr std::size_t kMaxReserved = 64;

struct reserve_state {
  char *pages = nullptr;     // the first page, in the arena
  std::size_t count = 0;
  page_state state[kMaxReserved] = {};
  std::size_t taken = 0;
  std::size_t faulted = 0;
  bool stop = false;
  std::mutex lock;
  std::condition_variable wake;
  std::thread helper;

  // The first page in state s, or count.
  std::size_t first(page_state s) const {
    std::size_t i = 0;
    while (i < count && state[i] != s) ++i;
    return i;
  }
} reserve;

// The helper: while no faulted-in page waits to be taken, it faults in a
// free one. No byte of it is written here.
void fault_in_ahead() {
  std::unique_lock<std::mutex> held(reserve.lock);
  for (;;) {
    reserve.wake.wait(held, [] {
      return reserve.stop ||
             (reserve.first(READY) == reserve.count && reserve.first(FREE) < reserve.count);
    });
    if (reserve.stop) return;
    const std::size_t page = reserve.first(FREE);
    reserve.state[page] = FAULTING;
    held.unlock();
    bool done = madvise(reserve.pages + page * kHugeBytes, kHugeBytes, MADV_POPULATE_WRITE) == 0;
    held.lock();
    if (reserve.state[page] == FAULTING) reserve.state[page] = READY;
    if (done) ++reserve.faulted;
  }
}

// A page faulted in ahead if there is one; else a free one, which the pool
// faults in itself as it goes, rather than wait for the helper's page. The
// pages need not be handed out in order.
void *take_reserved() {
  std::lock_guard<std::mutex> held(reserve.lock);
  if (!reserve.pages) return nullptr;
  std::size_t page = reserve.first(READY);
  if (page == reserve.count) page = reserve.first(FREE);
  if (page == reserve.count) page = reserve.first(FAULTING);
  if (page == reserve.count) return nullptr;
  reserve.state[page] = TAKEN;
  ++reserve.taken;
  reserve.wake.notify_one();
  return reserve.pages + page * kHugeBytes;
}
#endif

}  // namespace

prefaulting::prefaulting(std::size_t bytes_expected) noexcept {
#if QUENBY_HUGE_REGIONS
  std::size_t pages = bytes_expected / kHugeBytes;
  if (pages > kMaxReserved) pages = kMaxReserved;
  std::lock_guard<std::mutex> held(reserve.lock);
  if (reserve.pages) return;
  reserve.taken = reserve.faulted = 0;
  if (pages == 0) return;
  char *m = take_slots(pages);
  if (!m) return;
  if (!commit(m, pages * kHugeBytes)) {
    for (std::size_t i = 0; i < pages; ++i) give_back_slot(m + i * kHugeBytes);
    return;
  }
  reserve.pages = m;
  reserve.count = pages;
  for (std::size_t i = 0; i < pages; ++i) reserve.state[i] = FREE;
  reserve.stop = false;
  owner_ = true;
  advise_huge(reserve.pages, pages * kHugeBytes);
  try {
    reserve.helper = std::thread(fault_in_ahead);
  } catch (...) {
    // Without a helper the pages are faulted in as they are first used.
  }
#else
  (void)bytes_expected;
#endif
}

prefaulting::~prefaulting() {
#if QUENBY_HUGE_REGIONS
  if (!owner_) return;
  {
    std::lock_guard<std::mutex> held(reserve.lock);
    reserve.stop = true;
  }
  reserve.wake.notify_one();
  if (reserve.helper.joinable()) reserve.helper.join();
  // Pages go back only once no other thread's pool can take one: with
  // pages already null, take_reserved hands out none.
  char *pages;
  std::size_t count;
  page_state state[kMaxReserved];
  {
    std::lock_guard<std::mutex> held(reserve.lock);
    pages = reserve.pages;
    count = reserve.count;
    for (std::size_t i = 0; i < count; ++i) state[i] = reserve.state[i];
    reserve.pages = nullptr;
    reserve.count = 0;
  }
  // Every page not handed out goes back now; the pages handed out are the
  // pools', given back one by one.
  for (std::size_t i = 0; i < count; ++i)
    if (state[i] != TAKEN) give_back_slot(pages + i * kHugeBytes);
#endif
}

#if QUENBY_HUGE_REGIONS
static std::size_t read_count(std::size_t reserve_state::*field) {
  std::lock_guard<std::mutex> held(reserve.lock);
  return reserve.*field;
}
std::size_t prefaulting::pages_taken() noexcept { return read_count(&reserve_state::taken); }
std::size_t prefaulting::pages_faulted_ahead() noexcept { return read_count(&reserve_state::faulted); }
#else
std::size_t prefaulting::pages_taken() noexcept { return 0; }
std::size_t prefaulting::pages_faulted_ahead() noexcept { return 0; }
#endif

void *take(std::size_t count, std::size_t small_bytes, std::size_t &bytes) noexcept {
#if QUENBY_NODE_ARENA
  if (count >= kSmallRegionsFirst && small_bytes < kHugeBytes) {
    if (void *p = take_reserved()) {
      bytes = kHugeBytes;
      return p;
    }
    if (void *p = map_huge_page()) {
      bytes = kHugeBytes;
      return p;
    }
  }
  if (small_bytes > kHugeBytes) return nullptr;
  char *p = take_slots(1);
  if (!p) return nullptr;
  if (!commit(p, small_bytes)) {
    give_back_slot(p);
    return nullptr;
  }
  bytes = small_bytes;
  return p;
#else
  (void)count;
  bytes = small_bytes;
  return std::malloc(small_bytes);
#endif
}

void give_back(void *region, std::size_t bytes, std::size_t small_bytes) noexcept {
  (void)bytes;
  (void)small_bytes;
#if QUENBY_NODE_ARENA
  if (in_arena(region)) {
    give_back_slot(static_cast<char *>(region));
    return;
  }
#endif
  std::free(region);
}

}  // namespace large_region
