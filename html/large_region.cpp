#include "html/large_region.h"

#include "html/address_sanitizer.h"

#include <cstdint>
#include <cstdlib>
#if defined(__linux__)
#include <sys/mman.h>
#endif

#if defined(__linux__) && defined(MADV_HUGEPAGE) && !QUENBY_ASAN
#define QUENBY_HUGE_REGIONS 1
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
#endif

}  // namespace

void *take(std::size_t count, std::size_t small_bytes, std::size_t &bytes) noexcept {
#if QUENBY_HUGE_REGIONS
  if (count >= kSmallRegionsFirst && small_bytes < kHugeBytes) {
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
