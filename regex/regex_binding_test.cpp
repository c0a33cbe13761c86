#include "regex/regex_binding.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

#if REGEX_LIBRARY_EXPECTED

std::vector<std::string> texts(krarr &list) {
  std::vector<std::string> out;
  krval v;
  list.reset_cursor();
  while (list.next(v)) out.push_back(v.str());
  return out;
}

class regex_binding : public ::testing::Test {
protected:
  void SetUp() override { ASSERT_TRUE(load_regex_library()); }
};

TEST_F(regex_binding, loads_once_and_releases) {
  EXPECT_TRUE(regex_library_loaded());
  EXPECT_TRUE(load_regex_library());
  release_regex_library();
  EXPECT_FALSE(regex_library_loaded());
  EXPECT_EQ(regex_match(krval("a"), 0, krval("a")), -1);
  EXPECT_TRUE(load_regex_library());
  EXPECT_EQ(regex_match(krval("a"), 0, krval("a")), 0);
}

TEST_F(regex_binding, toc_comment_pattern_is_extended_and_case_insensitive) {
  const krval pattern("<!--[ \t\r\n]*toc[ \t\r\n]*-->");
  EXPECT_EQ(regex_match(pattern, REGEX_ICASE, krval("<!--TOC-->")), 0);
  EXPECT_EQ(regex_match(pattern, REGEX_ICASE, krval("<!--  toc\r\n-->")), 0);
  EXPECT_EQ(regex_match(pattern, REGEX_ICASE, krval("x <!-- Toc --> y")), 0);
  EXPECT_NE(regex_match(pattern, REGEX_ICASE, krval("<!-- toc here -->")), 0);
  EXPECT_NE(regex_match(pattern, 0, krval("<!--TOC-->")), 0);
}

TEST_F(regex_binding, list_holds_whole_match_then_each_group) {
  krarr list;
  ASSERT_EQ(regex_match(krval("([a-z]+)=([0-9]+)"), 0, krval("set width=42;"), &list), 0);
  EXPECT_EQ(texts(list), (std::vector<std::string>{"width=42", "width", "42"}));
}

TEST_F(regex_binding, groups_without_text_are_empty_in_their_place) {
  krarr list;
  // Group 1 takes no part (start -1); group 2 matches; group 3 matches nothing.
  ASSERT_EQ(regex_match(krval("(a)|(b)(c*)"), 0, krval("b"), &list), 0);
  EXPECT_EQ(texts(list), (std::vector<std::string>{"b", "", "b", ""}));
}

TEST_F(regex_binding, a_failed_match_or_compile_leaves_the_list_empty) {
  krarr list;
  krval stale("stale");
  list.add(stale);
  EXPECT_NE(regex_match(krval("x(y)"), 0, krval("abc"), &list), 0);
  EXPECT_EQ(list.count(), 0);
  list.add_copy(krval("stale"));
  EXPECT_NE(regex_match(krval("a(b"), 0, krval("ab"), &list), 0);
  EXPECT_EQ(list.count(), 0);
  EXPECT_NE(regex_match(krval("("), 0, krval("x")), 0);
}

TEST_F(regex_binding, bytes_beyond_ascii_pass_through) {
  krarr list;
  ASSERT_EQ(regex_match(krval("caf(\xe9+)"), 0, krval("un caf\xe9\xe9!"), &list), 0);
  EXPECT_EQ(texts(list), (std::vector<std::string>{"caf\xe9\xe9", "\xe9\xe9"}));
}

#else

TEST(regex_binding, refuses_a_missing_or_incomplete_library) {
  EXPECT_FALSE(load_regex_library());
  EXPECT_FALSE(regex_library_loaded());
  EXPECT_EQ(regex_match(krval("a"), 0, krval("a")), -1);
  release_regex_library();   // harmless when nothing is loaded
}

#endif

}  // namespace
