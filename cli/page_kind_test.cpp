#include "cli/page_kind.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// A file is read in pieces: where the pieces break must not matter.
TEST(page_kind_scan, same_verdict_wherever_the_pieces_break) {
  const std::vector<std::pair<std::string, std::string>> texts = {
      {"<p>", ""},
      {"x</b>", ""},
      {"</", "not an HTML page (no tag in it)"},
      {"a < b, 3<4, </ >, <-x, <!-- c -->", "not an HTML page (no tag in it)"},
      {std::string("<html>\0", 7), "not an HTML page (it holds a NUL byte)"},
      {std::string("\0no tag", 7), "not an HTML page (it holds a NUL byte)"},
  };
  for (const auto &t : texts) {
    const std::string &text = t.first;
    for (size_t a = 0; a <= text.size(); ++a)
      for (size_t b = a; b <= text.size(); ++b) {
        page_kind_scan scan;
        scan.take(text.data(), a);
        scan.take(text.data() + a, b - a);
        scan.take(text.data() + b, text.size() - b);
        EXPECT_EQ(scan.why_not(), t.second) << text << " broken at " << a << " and " << b;
        EXPECT_EQ(scan.is_html(), t.second.empty());
      }
  }
}

}  // namespace
