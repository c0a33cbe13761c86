// Classic POSIX cases with their known answers, error codes, flags and the
// regerror contract. Needs no C library regex, so it runs in both builds.
#include <cstring>
#include <string>
#include <vector>
#include <gtest/gtest.h>
#include "regex/kr_regex_core.h"

namespace {

// Offsets as "(so,eo)(so,eo)...", or "NOMATCH", or "ERR n".
std::string run(const char *pattern, const char *subject, int cflags = 0, int eflags = 0) {
  kr_regex_t re;
  int rc = kr_regcomp(&re, pattern, KR_REG_EXTENDED | cflags);
  if (rc != 0) return "ERR " + std::to_string(rc);
  std::vector<kr_regmatch_t> m(size_t(re.re_nsub) + 1);
  rc = kr_regexec(&re, subject, m.size(), m.data(), eflags);
  std::string out;
  if (rc == KR_REG_NOMATCH) out = "NOMATCH";
  else if (rc != 0) out = "EXEC " + std::to_string(rc);
  else
    for (const auto &x : m) out += "(" + std::to_string(x.rm_so) + "," + std::to_string(x.rm_eo) + ")";
  kr_regfree(&re);
  return out;
}

struct Case {
  const char *pattern;
  const char *subject;
  const char *expect;
};

void check_table(const std::vector<Case> &cases, int cflags = 0) {
  for (const Case &c : cases)
    EXPECT_EQ(run(c.pattern, c.subject, cflags), c.expect) << "/" << c.pattern << "/ on \"" << c.subject << "\"";
}

TEST(RegexPosix, LeftmostLongestWholeMatch) {
  check_table({
      {"b", "xabcx", "(2,3)"},
      {"a.*c|b", "abc", "(0,3)"},
      {"a|ab|abc", "abcd", "(0,3)"},
      {"(a|ab)(c|bcd)", "abcd", "(0,4)(0,1)(1,4)"},
      {"x*", "y", "(0,0)"},
      {"a*", "baaa", "(0,0)"},
      {"a+", "baaa", "(1,4)"},
      {"", "abc", "(0,0)"},
      {"(wee|week)(knights|night)", "weeknights", "(0,10)(0,3)(3,10)"},
      {"abc", "ab", "NOMATCH"},
  });
}

TEST(RegexPosix, SubexpressionsTakeTheLongestFromTheLeft) {
  check_table({
      {"(a|ab)(c|bcd)(d*)", "abcd", "(0,4)(0,2)(2,3)(3,4)"},
      {"(a|ab)(bc|c)", "abc", "(0,3)(0,2)(2,3)"},
      {"(a*)b*(b*)", "abb", "(0,3)(0,1)(3,3)"},
      {"(a*)(a*)", "aa", "(0,2)(0,2)(2,2)"},
      {"(.*)(.*)", "ab", "(0,2)(0,2)(2,2)"},
      {"(a*)(b|abc)", "abc", "(0,3)(0,0)(0,3)"},
      {"(a?)((ab)?)(b?)", "ab", "(0,2)(0,1)(1,1)(-1,-1)(1,2)"},
      {"(a|(a))", "a", "(0,1)(0,1)(-1,-1)"},
      {"x*(a|xa)", "xxa", "(0,3)(2,3)"},
  });
}

TEST(RegexPosix, GroupsInRepetitionsReportTheLastIteration) {
  check_table({
      {"(a|ab|b)*", "ab", "(0,2)(0,2)"},
      {"(a|b)*", "abab", "(0,4)(3,4)"},
      {"((a)|b)+", "ab", "(0,2)(1,2)(-1,-1)"},
      {"((a)|(b))*c", "abac", "(0,4)(2,3)(2,3)(-1,-1)"},
      {"(aba|a*b)*", "ababa", "(0,5)(2,5)"},
      {"(a|aa){2}", "aaa", "(0,3)(2,3)"},
      {"(a{1,2}){2}", "aaa", "(0,3)(2,3)"},
      {"(a*)*", "b", "(0,0)(0,0)"},
      {"(a*)*", "aa", "(0,2)(0,2)"},
      {"(a*)+", "", "(0,0)(0,0)"},
      {"(a|b)*", "", "(0,0)(-1,-1)"},
      {"(a*){2}", "a", "(0,1)(1,1)"},
      {"(a*){0,2}", "aa", "(0,2)(0,2)"},
      {"((a*)*)*", "aa", "(0,2)(0,2)(0,2)"},
      {"(()|a)+b", "ab", "(0,2)(0,1)(-1,-1)"},
      {"(a){0}b", "ab", "(1,2)(-1,-1)"},
  });
}

TEST(RegexPosix, Anchors) {
  check_table({
      {"^abc$", "abc", "(0,3)"},
      {"^abc", "xabc", "NOMATCH"},
      {"abc$", "abcx", "NOMATCH"},
      {"a^b", "ab", "NOMATCH"},
      {"(^a|b)*", "ab", "(0,2)(1,2)"},
      {"(^a)+", "aaab", "(0,1)(0,1)"},
      {"x$|y", "xy", "(1,2)"},
      {"^$", "", "(0,0)"},
      {"$a", "a", "NOMATCH"},
  });
  EXPECT_EQ(run("^a", "a", 0, KR_REG_NOTBOL), "NOMATCH");
  EXPECT_EQ(run("a$", "a", 0, KR_REG_NOTEOL), "NOMATCH");
  EXPECT_EQ(run("^$", "", 0, KR_REG_NOTBOL | KR_REG_NOTEOL), "NOMATCH");
}

TEST(RegexPosix, NewlineFlag) {
  EXPECT_EQ(run("^b", "a\nb", KR_REG_NEWLINE), "(2,3)");
  EXPECT_EQ(run("a$", "a\nb", KR_REG_NEWLINE), "(0,1)");
  EXPECT_EQ(run("^b", "a\nb"), "NOMATCH");
  EXPECT_EQ(run("a.b", "a\nb", KR_REG_NEWLINE), "NOMATCH");
  EXPECT_EQ(run("a.b", "a\nb"), "(0,3)");
  EXPECT_EQ(run("a[^x]b", "a\nb", KR_REG_NEWLINE), "NOMATCH");
  EXPECT_EQ(run("a[^x]b", "a\nb"), "(0,3)");
  EXPECT_EQ(run("a\nb", "a\nb", KR_REG_NEWLINE), "(0,3)");
  EXPECT_EQ(run("^$", "a\n\nb", KR_REG_NEWLINE), "(2,2)");
  // NOTBOL spoils only the start of the subject, not the line starts.
  EXPECT_EQ(run("^b", "b\nb", KR_REG_NEWLINE, KR_REG_NOTBOL), "(2,3)");
  EXPECT_EQ(run("a$", "a\na", KR_REG_NEWLINE, KR_REG_NOTEOL), "(0,1)");
}

TEST(RegexPosix, BracketExpressions) {
  check_table({
      {"[abc]+", "xcbay", "(1,4)"},
      {"[^abc]+", "abxyc", "(2,4)"},
      {"[a-c]+", "dcbae", "(1,4)"},
      {"[]a]+", "a]]b", "(0,3)"},
      {"[^]a]+", "a]xy", "(2,4)"},
      {"[a-]+", "x-a-", "(1,4)"},
      {"[-a]+", "x-a-", "(1,4)"},
      {"[%--]+", "x%,-", "(1,4)"},
      {"[[:digit:]]+", "ab123c", "(2,5)"},
      {"[[:alpha:][:digit:]]+", "-a1b-", "(1,4)"},
      {"[[:upper:]]", "abC", "(2,3)"},
      {"[[:lower:]]+", "ABcd", "(2,4)"},
      {"[[:space:]]+", "a \t\r\nb", "(1,5)"},
      {"[[:blank:]]+", "a \t\nb", "(1,3)"},
      {"[[:punct:]]+", "a!?b", "(1,3)"},
      {"[[:xdigit:]]+", "xFa9g", "(1,4)"},
      {"[[:alnum:]]+", "-z9-", "(1,3)"},
      {"[[:print:]]+", "\x01 a\x7f", "(1,3)"},
      {"[[:graph:]]+", " ab ", "(1,3)"},
      {"[[:cntrl:]]+", "a\x01\x02", "(1,3)"},
      {"[[.a.]-c]+", "xabc", "(1,4)"},
      {"[[.].]]", "a]", "(1,2)"},
      {"[[=a=]]", "ba", "(1,2)"},
      {"[\\]", "a\\", "(1,2)"},
      {"[.]", "a.", "(1,2)"},
  });
}

TEST(RegexPosix, EscapesOfSpecialCharacters) {
  check_table({
      {"a\\.b", "axb a.b", "(4,7)"},
      {"\\(\\)", "()", "(0,2)"},
      {"\\*\\+\\?", "*+?", "(0,3)"},
      {"\\{1\\}", "{1}", "(0,3)"},
      {"\\[a]", "[a]", "(0,3)"},
      {"\\^\\$\\|", "^$|", "(0,3)"},
      {"\\\\", "a\\", "(1,2)"},
      {"a)", "a)", "(0,2)"},
  });
}

TEST(RegexPosix, IntervalCounts) {
  check_table({
      {"a{2}", "aaa", "(0,2)"},
      {"a{2,}", "aaaa", "(0,4)"},
      {"a{1,2}", "aaa", "(0,2)"},
      {"a{,2}", "aaa", "(0,2)"},
      {"a{0}", "a", "(0,0)"},
      {"(ab){255}", "ab", "NOMATCH"},
      {"a{1}{2}", "aa", "(0,2)"},
      {"a**", "aa", "(0,2)"},
  });
}

TEST(RegexPosix, CaseFolding) {
  EXPECT_EQ(run("abc", "xABC", KR_REG_ICASE), "(1,4)");
  EXPECT_EQ(run("[a-c]+", "xCbA", KR_REG_ICASE), "(1,4)");
  EXPECT_EQ(run("[^a]", "Ab", KR_REG_ICASE), "(1,2)");
  EXPECT_EQ(run("[[:upper:]]+", "ab", KR_REG_ICASE), "(0,2)");
  EXPECT_EQ(run("abc", "ABC"), "NOMATCH");
  // Only ASCII letters fold; other bytes match themselves.
  EXPECT_EQ(run("\xe9", "\xc9", KR_REG_ICASE), "NOMATCH");
  EXPECT_EQ(run("[\xe0-\xef]+", "a\xe9\xe0", 0), "(1,3)");
}

TEST(RegexPosix, ErrorCodes) {
  const struct {
    const char *pattern;
    int code;
  } cases[] = {
      {"(a", KR_REG_EPAREN},        {"((a)", KR_REG_EPAREN},
      {"[a", KR_REG_EBRACK},        {"[", KR_REG_EBRACK},
      {"[[:alpha:]", KR_REG_EBRACK}, {"[[.a", KR_REG_EBRACK},
      {"[[:foo:]]", KR_REG_ECTYPE}, {"[[.ab.]]", KR_REG_ECOLLATE},
      {"[[=ab=]]", KR_REG_ECOLLATE}, {"a\\", KR_REG_EESCAPE},
      {"[z-a]", KR_REG_ERANGE},     {"[a-c-e]", KR_REG_ERANGE},
      {"[[:alpha:]-z]", KR_REG_ERANGE}, {"[a-[:alpha:]]", KR_REG_ERANGE},
      {"a{1", KR_REG_EBRACE},       {"a{1,2", KR_REG_EBRACE},
      {"a{x}", KR_REG_BADBR},       {"a{2,1}", KR_REG_BADBR},
      {"a{256}", KR_REG_BADBR},     {"a{1,256}", KR_REG_BADBR},
      {"*a", KR_REG_BADRPT},        {"a|*b", KR_REG_BADRPT},
      {"(*a)", KR_REG_BADRPT},      {"^*", KR_REG_BADRPT},
      {"$+", KR_REG_BADRPT},        {"{1}", KR_REG_BADRPT},
      {"(a)\\1", KR_REG_ESUBREG},
  };
  for (const auto &c : cases) {
    kr_regex_t re;
    EXPECT_EQ(kr_regcomp(&re, c.pattern, KR_REG_EXTENDED), c.code) << c.pattern;
  }
}

TEST(RegexPosix, LimitsGiveOutOfSpaceNotExhaustion) {
  kr_regex_t re;
  EXPECT_EQ(kr_regcomp(&re, "((a{255}){255}){255}", KR_REG_EXTENDED), KR_REG_ESPACE);
  EXPECT_EQ(kr_regcomp(&re, "(a{255}){255}", KR_REG_EXTENDED), KR_REG_ESPACE);
  std::string deep(5000, '(');
  deep += "a" + std::string(5000, ')');
  EXPECT_EQ(kr_regcomp(&re, deep.c_str(), KR_REG_EXTENDED), KR_REG_ESPACE);
  std::string stars = "a" + std::string(5000, '*');
  EXPECT_EQ(kr_regcomp(&re, stars.c_str(), KR_REG_EXTENDED), KR_REG_ESPACE);
  std::string nested;
  for (int i = 0; i < 150; ++i) nested += "(";
  nested += "a";
  for (int i = 0; i < 150; ++i) nested += ")";
  ASSERT_EQ(kr_regcomp(&re, nested.c_str(), KR_REG_EXTENDED), 0);
  EXPECT_EQ(re.re_nsub, 150);
  std::vector<kr_regmatch_t> m(151);
  ASSERT_EQ(kr_regexec(&re, "xa", m.size(), m.data(), 0), 0);
  EXPECT_EQ(m[150].rm_so, 1);
  EXPECT_EQ(m[150].rm_eo, 2);
  kr_regfree(&re);
}

TEST(RegexPosix, NosubAndMatchArrays) {
  kr_regex_t re;
  ASSERT_EQ(kr_regcomp(&re, "(b)(c)?", KR_REG_EXTENDED | KR_REG_NOSUB), 0);
  EXPECT_EQ(re.re_nsub, 2);
  EXPECT_EQ(kr_regexec(&re, "abd", 0, nullptr, 0), 0);
  EXPECT_EQ(kr_regexec(&re, "add", 0, nullptr, 0), KR_REG_NOMATCH);
  kr_regfree(&re);

  ASSERT_EQ(kr_regcomp(&re, "(b)(c)?", KR_REG_EXTENDED), 0);
  kr_regmatch_t m[5];
  ASSERT_EQ(kr_regexec(&re, "abd", 5, m, 0), 0);
  EXPECT_EQ(m[0].rm_so, 1);
  EXPECT_EQ(m[1].rm_eo, 2);
  EXPECT_EQ(m[2].rm_so, -1);  // took no part
  EXPECT_EQ(m[3].rm_so, -1);  // beyond the groups
  EXPECT_EQ(m[4].rm_eo, -1);
  ASSERT_EQ(kr_regexec(&re, "abd", 1, m, 0), 0);
  EXPECT_EQ(m[0].rm_eo, 2);
  kr_regfree(&re);
}

TEST(RegexPosix, BadArgumentsAreResultsNotCrashes) {
  kr_regex_t re;
  EXPECT_EQ(kr_regcomp(nullptr, "a", KR_REG_EXTENDED), KR_REG_BADPAT);
  EXPECT_EQ(kr_regcomp(&re, nullptr, KR_REG_EXTENDED), KR_REG_BADPAT);
  // Only the extended syntax is offered.
  EXPECT_EQ(kr_regcomp(&re, "a", 0), KR_REG_BADPAT);
  EXPECT_EQ(kr_regexec(&re, "a", 0, nullptr, 0), KR_REG_BADPAT);  // never compiled
  ASSERT_EQ(kr_regcomp(&re, "a", KR_REG_EXTENDED), 0);
  EXPECT_EQ(kr_regexec(&re, nullptr, 0, nullptr, 0), KR_REG_BADPAT);
  kr_regfree(&re);
  kr_regfree(&re);  // twice is harmless
  EXPECT_EQ(kr_regexec(&re, "a", 0, nullptr, 0), KR_REG_BADPAT);
  kr_regfree(nullptr);
}

TEST(RegexPosix, HighBytesAreOrdinary) {
  EXPECT_EQ(run("\xff+", "a\xff\xff", 0), "(1,3)");
  EXPECT_EQ(run(".", "\x80", 0), "(0,1)");
  EXPECT_EQ(run("[^a]", "a\xc3", 0), "(1,2)");
}

TEST(RegexPosix, ErrorTextsFollowTheBufferContract) {
  char buf[64];
  size_t need = kr_regerror(KR_REG_EPAREN, nullptr, buf, sizeof buf);
  EXPECT_EQ(need, std::strlen(buf) + 1);
  EXPECT_GT(std::strlen(buf), 5u);
  char small[6];
  std::memset(small, 'x', sizeof small);
  EXPECT_EQ(kr_regerror(KR_REG_EPAREN, nullptr, small, sizeof small), need);
  EXPECT_EQ(std::strlen(small), 5u);
  EXPECT_EQ(std::string(small), std::string(buf).substr(0, 5));
  EXPECT_EQ(kr_regerror(KR_REG_EPAREN, nullptr, nullptr, 0), need);
  for (int code = 0; code <= KR_REG_BADRPT; ++code) {
    kr_regerror(code, nullptr, buf, sizeof buf);
    EXPECT_GT(std::strlen(buf), 0u) << code;
  }
  EXPECT_GT(kr_regerror(999, nullptr, buf, sizeof buf), 1u);
}

}  // namespace
