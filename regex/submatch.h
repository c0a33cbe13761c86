// The submatch machine: given the span of the leftmost-longest match, finds
// the group offsets that POSIX prescribes, in one pass over that span.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>
#include "regex/program.h"

namespace krx {

// Largest number of simultaneous threads the machine accepts; it keeps a
// table of their pairwise order.
constexpr size_t kMaxSubmatchThreads = 2048;

enum class SubmatchResult { Found, NotFound, TooBig };

// Slots of the best parse of text[start, end) (captures first, -1 where a
// group took no part). eflags are KR_REG_NOTBOL / KR_REG_NOTEOL.
SubmatchResult posix_submatches(const Program &prog, const unsigned char *text,
                                size_t n, size_t start, size_t end, int eflags,
                                std::vector<int32_t> &slots);

}  // namespace krx
