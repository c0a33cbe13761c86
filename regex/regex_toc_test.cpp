// The pattern the TOC finder uses on every comment, and subjects large enough
// that anything but a linear-time engine would stall or overflow its stack.
#include <chrono>
#include <string>
#include <gtest/gtest.h>
#include "regex/kr_regex_core.h"

namespace {

const char kTocPattern[] = "<!--[ \t\r\n]*toc[ \t\r\n]*-->";
const int kTocFlags = KR_REG_EXTENDED | KR_REG_ICASE | KR_REG_NOSUB;

int toc_match(const std::string &comment) {
  kr_regex_t re;
  EXPECT_EQ(kr_regcomp(&re, kTocPattern, kTocFlags), 0);
  int rc = kr_regexec(&re, comment.c_str(), 0, nullptr, 0);
  kr_regfree(&re);
  return rc;
}

TEST(RegexToc, CommentHoldingOnlyTocMatches) {
  EXPECT_EQ(toc_match("<!--TOC-->"), 0);
  EXPECT_EQ(toc_match("<!--toc-->"), 0);
  EXPECT_EQ(toc_match("<!--Toc-->"), 0);
  EXPECT_EQ(toc_match("<!--  toc  -->"), 0);
  EXPECT_EQ(toc_match("<!--\r\ntoc\r\n-->"), 0);
  EXPECT_EQ(toc_match("<!--\t toc\n-->"), 0);
  EXPECT_EQ(toc_match("<!-- toc here -->"), KR_REG_NOMATCH);
  EXPECT_EQ(toc_match("<!-- tic -->"), KR_REG_NOMATCH);
  EXPECT_EQ(toc_match("<!-- to c -->"), KR_REG_NOMATCH);
  EXPECT_EQ(toc_match("<!-- toc ->"), KR_REG_NOMATCH);
  EXPECT_EQ(toc_match(""), KR_REG_NOMATCH);
}

TEST(RegexToc, GroupCountIsTheSecondWord) {
  kr_regex_t re;
  ASSERT_EQ(kr_regcomp(&re, "(a)(b(c))", KR_REG_EXTENDED), 0);
  const int32_t *words = reinterpret_cast<const int32_t *>(&re);
  EXPECT_EQ(words[1], 3);
  kr_regfree(&re);
  if (sizeof(void *) == 4) {
    EXPECT_EQ(sizeof(kr_regex_t), 16u);
  }
}

double seconds_for(const kr_regex_t &re, const std::string &s, size_t nmatch, int &rc) {
  kr_regmatch_t m[4];
  auto t0 = std::chrono::steady_clock::now();
  rc = kr_regexec(&re, s.c_str(), nmatch, m, 0);
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

TEST(RegexToc, FourMegabytesOfBlanksInsideTheComment) {
  std::string blanks;
  blanks.reserve(4u << 20);
  for (size_t i = 0; i < (4u << 20); ++i) blanks += (i % 3) ? ' ' : '\t';
  kr_regex_t re;
  ASSERT_EQ(kr_regcomp(&re, kTocPattern, kTocFlags), 0);
  int rc;
  double t = seconds_for(re, "<!--" + blanks + "toc" + blanks + "-->", 0, rc);
  EXPECT_EQ(rc, 0);
  EXPECT_LT(t, 5.0);
  t = seconds_for(re, "<!--" + blanks + "-->", 0, rc);
  EXPECT_EQ(rc, KR_REG_NOMATCH);
  EXPECT_LT(t, 5.0);
  kr_regfree(&re);

  // With the span asked for, the backward and forward passes run too.
  ASSERT_EQ(kr_regcomp(&re, "<!--[ \t\r\n]*(toc)[ \t\r\n]*-->", KR_REG_EXTENDED | KR_REG_ICASE), 0);
  kr_regmatch_t m[2];
  std::string subject = "x<!--" + blanks + "TOC" + blanks + "-->";
  ASSERT_EQ(kr_regexec(&re, subject.c_str(), 2, m, 0), 0);
  EXPECT_EQ(m[0].rm_so, 1);
  EXPECT_EQ(size_t(m[0].rm_eo), subject.size());
  EXPECT_EQ(size_t(m[1].rm_so), 5 + blanks.size());
  kr_regfree(&re);
}

TEST(RegexToc, NestedRepetitionsOnLongRunsStayLinear) {
  for (const char *pattern : {"(a*)*b", "(a|aa)*b", "((a*)*)*b", "(a*)+$", "(a?){1,200}b"}) {
    kr_regex_t re;
    ASSERT_EQ(kr_regcomp(&re, pattern, KR_REG_EXTENDED), 0) << pattern;
    std::string small(50000, 'a'), large(200000, 'a');
    int rc_small, rc_large;
    double t_small = seconds_for(re, small, 4, rc_small);
    double t_large = seconds_for(re, large, 4, rc_large);
    EXPECT_EQ(rc_small, rc_large) << pattern;
    // Four times the subject: well under sixteen times the time.
    EXPECT_LT(t_large, 10 * t_small + 0.05) << pattern;
    EXPECT_LT(t_large, 5.0) << pattern;
    kr_regfree(&re);
  }
}

TEST(RegexToc, GroupsOverALongMatch) {
  kr_regex_t re;
  ASSERT_EQ(kr_regcomp(&re, "(a*)*(b)", KR_REG_EXTENDED), 0);
  std::string s(1u << 20, 'a');
  s += 'b';
  kr_regmatch_t m[3];
  ASSERT_EQ(kr_regexec(&re, s.c_str(), 3, m, 0), 0);
  EXPECT_EQ(m[0].rm_so, 0);
  EXPECT_EQ(m[1].rm_so, 0);
  EXPECT_EQ(size_t(m[1].rm_eo), s.size() - 1);
  EXPECT_EQ(size_t(m[2].rm_so), s.size() - 1);
  kr_regfree(&re);
}

// (a|b)*a(a|b){15} needs 2^16 automaton states, far past the cache's budget:
// the cache is emptied and refilled along the way, and answers stay right.
TEST(RegexToc, AutomatonCacheOverflowKeepsAnswers) {
  kr_regex_t re;
  ASSERT_EQ(kr_regcomp(&re, "(a|b)*a(a|b){15}", KR_REG_EXTENDED), 0);
  std::string s;
  uint32_t x = 12345;
  for (int i = 0; i < (1 << 20); ++i) {
    x = x * 1103515245u + 12345u;
    s += (x >> 16) & 1 ? 'a' : 'b';
  }
  s += std::string(40, 'b');
  size_t last_a = s.rfind('a', s.size() - 16);
  kr_regmatch_t m[2];
  ASSERT_EQ(kr_regexec(&re, s.c_str(), 1, m, 0), 0);
  EXPECT_EQ(m[0].rm_so, 0);
  EXPECT_EQ(size_t(m[0].rm_eo), last_a + 16);
  std::string none(100000, 'b');
  none += std::string(15, 'a');
  EXPECT_EQ(kr_regexec(&re, none.c_str(), 1, m, 0), KR_REG_NOMATCH);
  kr_regfree(&re);
}

}  // namespace
