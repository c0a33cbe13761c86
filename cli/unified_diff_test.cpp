#include "cli/unified_diff.h"

#include <gtest/gtest.h>
#include <cstdlib>
#include <string>
#include "test_support/scratch_folder.h"

namespace {

using test_support::read_file;
using test_support::write_file;

TEST(unified_diff, a_small_change_with_three_lines_of_context) {
  const std::string before = "1\n2\n3\n4\n5\n6\n7\n8\n9\n";
  const std::string after = "1\n2\n3\n4\nfive\n6\n7\n8\n9\n";
  EXPECT_EQ(unified_diff(before, after, "f"),
            "--- f\n+++ f\n@@ -2,7 +2,7 @@\n 2\n 3\n 4\n-5\n+five\n 6\n 7\n 8\n");
  EXPECT_EQ(unified_diff(before, before, "f"), "");
  EXPECT_EQ(unified_diff("", "a", "f"), "--- f\n+++ f\n@@ -0,0 +1 @@\n+a\n\\ No newline at end of file\n");
}

#ifndef _WIN32
// Any two texts: patch makes the second from the first and the diff.
TEST(unified_diff, patch_applies_it_to_random_texts) {
  test_support::scratch_folder folder;
  uint32_t state = 12345;
  auto next = [&](uint32_t n) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state % n;
  };
  const char *const lines[] = {"a\n", "b\r\n", "<h1>x</h1>\n", "\n", "same\n", "c"};
  for (int round = 0; round < 40; ++round) {
    std::string before, after;
    const uint32_t count = next(60);
    for (uint32_t i = 0; i < count; ++i) {
      const std::string line = lines[next(5)];
      before += line;
      switch (next(8)) {
        case 0: break;                                       // gone
        case 1: after += line + lines[next(5)]; break;      // one added
        case 2: after += lines[next(5)]; break;              // changed
        default: after += line; break;
      }
    }
    if (next(3) == 0) before += lines[5];
    if (next(3) == 0) after += lines[5];
    if (before == after) continue;
    SCOPED_TRACE(round);
    ASSERT_TRUE(write_file(folder.file("before"), before));
    ASSERT_TRUE(write_file(folder.file("d"), unified_diff(before, after, "before")));
    const std::string command = "patch -s -o " + folder.file("after") + " " + folder.file("before") +
                                " < " + folder.file("d");
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(read_file(folder.file("after")), after);
  }
}

#endif

}  // namespace
