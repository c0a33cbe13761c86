#include "app/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
std::vector<std::string> args(const char *text) {
  krarr list;
  split_command_line(text, list);
  std::vector<std::string> out;
  list.reset_cursor();
  krval v;
  while (list.next(v)) out.push_back(v.str());
  return out;
}
}  // namespace

TEST(SplitCommandLine, QuotesGroupAndBlanksSeparate) {
  using V = std::vector<std::string>;
  EXPECT_EQ(args(""), V{});
  EXPECT_EQ(args("   "), V{});
  EXPECT_EQ(args("\"\""), V{""});
  EXPECT_EQ(args("\"C:\\My Files\\a b.html\" second"), (V{"C:\\My Files\\a b.html", "second"}));
  EXPECT_EQ(args("C:\\one.html C:\\two.html"), (V{"C:\\one.html", "C:\\two.html"}));
  EXPECT_EQ(args("a\"b"), V{"ab"});
  EXPECT_EQ(args("C:\\My Files\\a.html"), (V{"C:\\My", "Files\\a.html"}));
  EXPECT_EQ(args("  lead  trail  "), (V{"lead", "trail"}));
  EXPECT_EQ(args("tab\tinside"), V{"tab\tinside"});
  EXPECT_EQ(args("\"never closed"), V{"never closed"});
  EXPECT_EQ(args("\"\" \"\" x"), (V{"", "", "x"}));
}

TEST(SplitCommandLine, EmptiesTheListFirst) {
  krarr list;
  list.add_copy(krval("stale"));
  split_command_line("fresh", list);
  ASSERT_EQ(list.count(), 1);
  EXPECT_EQ(list.at(0).str(), "fresh");
}
