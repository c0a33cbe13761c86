// A slow, obviously-correct matcher for tests: enumerates every parse of a
// pattern over every span of a short subject and picks the one the POSIX
// rules prefer. Used to judge who is right when the engine and the C library
// disagree about group offsets.
#pragma once
#include <string>
#include <vector>

namespace krx_test {

struct ReferenceResult {
  bool ok = false;       // false: the pattern did not compile or was too big
  bool matched = false;
  std::vector<int> offsets;  // 2 * (groups + 1) when matched
};

// cflags/eflags as for kr_regcomp/kr_regexec. Subjects up to ~10 bytes.
ReferenceResult reference_match(const std::string &pattern, int cflags,
                                const std::string &subject, int eflags);

}  // namespace krx_test
