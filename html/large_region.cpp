#include "html/large_region.h"

#include "html/address_sanitizer.h"

#include <cstdint>
#include <cstdlib>
#if defined(__linux__)
#include <sys/mman.h>
#endif

#if defined(__linux__) && defined(MADV_HUGEPAGE) && !QUENBY_ASAN
#define QUENBY_HUGE_REGIONS 1
#include <condition_variable>
#include <mutex>
#include <thread>
#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23   // Linux 5.14 on; older systems refuse it, which is harmless
#endif
#endif

namespace large_region {
namespace {

#if QUENBY_HUGE_REGIONS
constexpr std::size_t kHugeBytes = 2 * 1024 * 1024;
constexpr std::size_t kSmallRegionsFirst = 2;

void *map_huge_page() {
  // Twice the size is mapped so that an aligned huge page lies inside; the
  // rest is given back at once.
  void *m = mmap(nullptr, 2 * kHugeBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (m == MAP_FAILED) return nullptr;
  std::uintptr_t start = reinterpret_cast<std::uintptr_t>(m);
  std::uintptr_t aligned = (start + kHugeBytes - 1) & ~std::uintptr_t(kHugeBytes - 1);
  if (aligned > start) munmap(m, aligned - start);
  std::uintptr_t tail = aligned + kHugeBytes;
  std::uintptr_t end = start + 2 * kHugeBytes;
  if (end > tail) munmap(reinterpret_cast<void *>(tail), end - tail);
  void *p = reinterpret_cast<void *>(aligned);
  madvise(p, kHugeBytes, MADV_HUGEPAGE);   // advice: failure is harmless
  return p;
}

// The mapping of a living prefaulting object. Its fields are shared with
// the helper thread and guarded by the lock; the pool itself stays with the
// one thread that parses.
enum page_state : uint8_t { FREE, FAULTING, READY, TAKEN };
constexpr std::size_t kMaxReserved = 64;

struct reserve_state {
  char *mapping = nullptr;   // as mapped, with room to align
  std::size_t mapping_bytes = 0;
  char *pages = nullptr;     // the first aligned page
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
  if (reserve.mapping) return;
  reserve.taken = reserve.faulted = 0;
  if (pages == 0) return;
  const std::size_t bytes = (pages + 1) * kHugeBytes;   // room to align
  void *m = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (m == MAP_FAILED) return;
  std::uintptr_t start = reinterpret_cast<std::uintptr_t>(m);
  std::uintptr_t aligned = (start + kHugeBytes - 1) & ~std::uintptr_t(kHugeBytes - 1);
  reserve.mapping = static_cast<char *>(m);
  reserve.mapping_bytes = bytes;
  reserve.pages = reinterpret_cast<char *>(aligned);
  reserve.count = pages;
  for (std::size_t i = 0; i < pages; ++i) reserve.state[i] = FREE;
  reserve.stop = false;
  owner_ = true;
  madvise(reserve.pages, pages * kHugeBytes, MADV_HUGEPAGE);   // advice: failure is harmless
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
  char *mapping, *pages;
  std::size_t mapping_bytes, count;
  page_state state[kMaxReserved];
  {
    std::lock_guard<std::mutex> held(reserve.lock);
    mapping = reserve.mapping;
    mapping_bytes = reserve.mapping_bytes;
    pages = reserve.pages;
    count = reserve.count;
    for (std::size_t i = 0; i < count; ++i) state[i] = reserve.state[i];
    reserve.mapping = reserve.pages = nullptr;
    reserve.count = 0;
  }
  // The alignment's slack and every page not handed out go back now; the
  // pages handed out are the pools', given back one by one.
  char *pages_end = pages + count * kHugeBytes;
  char *mapping_end = mapping + mapping_bytes;
  if (pages > mapping) munmap(mapping, pages - mapping);
  if (mapping_end > pages_end) munmap(pages_end, mapping_end - pages_end);
  for (std::size_t i = 0; i < count; ++i)
    if (state[i] != TAKEN) munmap(pages + i * kHugeBytes, kHugeBytes);
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
#if QUENBY_HUGE_REGIONS
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
#else
  (void)count;
#endif
  bytes = small_bytes;
  return std::malloc(small_bytes);
}

void give_back(void *region, std::size_t bytes, std::size_t small_bytes) noexcept {
#if QUENBY_HUGE_REGIONS
  if (bytes != small_bytes) {
    munmap(region, bytes);
    return;
  }
#else
  (void)bytes;
  (void)small_bytes;
#endif
  std::free(region);
}

}  // namespace large_region
