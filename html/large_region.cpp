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
struct reserve_state {
  char *mapping = nullptr;   // as mapped, with room to align
  std::size_t mapping_bytes = 0;
  char *pages = nullptr;     // the first aligned page
  std::size_t count = 0;
  std::size_t taken = 0;     // handed out, in order
  std::size_t next_to_fault = 0;
  std::size_t faulted = 0;
  bool stop = false;
  std::mutex lock;
  std::condition_variable wake;
  std::thread helper;
} reserve;

// The helper: faults in the page to be handed out next, then waits for it
// to be taken. A page that is taken while it is being faulted in is simply
// faulted in by whichever comes first; no byte of it is written here.
void fault_in_ahead() {
  std::unique_lock<std::mutex> held(reserve.lock);
  for (;;) {
    reserve.wake.wait(held, [] {
      return reserve.stop || (reserve.next_to_fault <= reserve.taken && reserve.taken < reserve.count);
    });
    if (reserve.stop) return;
    char *page = reserve.pages + reserve.taken * kHugeBytes;
    reserve.next_to_fault = reserve.taken + 1;
    held.unlock();
    bool done = madvise(page, kHugeBytes, MADV_POPULATE_WRITE) == 0;
    held.lock();
    if (done) ++reserve.faulted;
  }
}

void *take_reserved() {
  std::lock_guard<std::mutex> held(reserve.lock);
  if (!reserve.pages || reserve.taken >= reserve.count) return nullptr;
  void *page = reserve.pages + reserve.taken * kHugeBytes;
  ++reserve.taken;
  reserve.wake.notify_one();
  return page;
}
#endif

}  // namespace

prefaulting::prefaulting(std::size_t bytes_expected) noexcept {
#if QUENBY_HUGE_REGIONS
  const std::size_t pages = bytes_expected / kHugeBytes;
  std::lock_guard<std::mutex> held(reserve.lock);
  if (reserve.mapping) return;
  reserve.taken = reserve.faulted = 0;
  if (pages == 0 || pages > SIZE_MAX / kHugeBytes - 1) return;
  const std::size_t bytes = (pages + 1) * kHugeBytes;   // room to align
  void *m = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (m == MAP_FAILED) return;
  std::uintptr_t start = reinterpret_cast<std::uintptr_t>(m);
  std::uintptr_t aligned = (start + kHugeBytes - 1) & ~std::uintptr_t(kHugeBytes - 1);
  reserve.mapping = static_cast<char *>(m);
  reserve.mapping_bytes = bytes;
  reserve.pages = reinterpret_cast<char *>(aligned);
  reserve.count = pages;
  reserve.next_to_fault = 0;
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
  // The alignment's slack and every page not handed out go back now; the
  // pages handed out are the pool's, given back one by one.
  char *taken_end = reserve.pages + reserve.taken * kHugeBytes;
  char *mapping_end = reserve.mapping + reserve.mapping_bytes;
  if (reserve.pages > reserve.mapping) munmap(reserve.mapping, reserve.pages - reserve.mapping);
  if (mapping_end > taken_end) munmap(taken_end, mapping_end - taken_end);
  std::lock_guard<std::mutex> held(reserve.lock);
  reserve.mapping = reserve.pages = nullptr;
  reserve.count = 0;
#endif
}

std::size_t prefaulting::pages_taken() noexcept {
#if QUENBY_HUGE_REGIONS
  std::lock_guard<std::mutex> held(reserve.lock);
  return reserve.taken;
#else
  return 0;
#endif
}

std::size_t prefaulting::pages_faulted_ahead() noexcept {
#if QUENBY_HUGE_REGIONS
  std::lock_guard<std::mutex> held(reserve.lock);
  return reserve.faulted;
#else
  return 0;
#endif
}

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
