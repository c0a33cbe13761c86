#include "value/krval.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

TEST(KrvalReadings, IntegerAndRealReadingsOfText) {
  EXPECT_EQ(krval("12abc").as_int(), 12);
  EXPECT_EQ(krval("abc").as_int(), 0);
  EXPECT_EQ(krval(" -7").as_int(), -7);
  EXPECT_FALSE(krval("true").as_flag());
  EXPECT_TRUE(krval("3").as_flag());
  EXPECT_DOUBLE_EQ(krval("  -2.5e2x").as_real(), -250.0);
  EXPECT_DOUBLE_EQ(krval("1e").as_real(), 1.0);
  EXPECT_DOUBLE_EQ(krval(".5").as_real(), 0.5);
  EXPECT_DOUBLE_EQ(krval("inf").as_real(), 0.0);
  EXPECT_DOUBLE_EQ(krval("0x10").as_real(), 0.0);
}

TEST(KrvalRendering, RealFormat) {
  EXPECT_EQ(krval(2.5).str(), "2.5");
  EXPECT_EQ(krval(3.0).str(), "3");
  EXPECT_EQ(krval(100000.0).str(), "100000");
  EXPECT_EQ(krval(123456.7891).str(), "123456.789");
  EXPECT_EQ(krval(-0.125).str(), "-0.125");
  EXPECT_EQ(krval(1e-11).str(), "0");
  EXPECT_EQ(krval(1e19).str(), "0");
  EXPECT_EQ(krval(0.1).str(), "0.1");
  EXPECT_EQ(krval(123456.0).str(), "123456");
  EXPECT_EQ(krval(std::nan("")).str(), "0");
}

TEST(KrvalRendering, NumbersFlagsAndReferences) {
  EXPECT_EQ(krval(-42).str(), "-42");
  EXPECT_EQ(krval::flag(true).str(), "1");
  EXPECT_EQ(krval::flag(false).first_char(), '0');
  int object = 0;
  void *p = &object;
  char expected[32];
  std::snprintf(expected, sizeof expected, "0x%llx",
                static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(p)));
  EXPECT_EQ(krval(p).str(), expected);
  EXPECT_EQ(krval(static_cast<void *>(nullptr)).str(), "0x0");
  EXPECT_EQ(krval(p).as_ref(), p);   // the whole pointer survives on 64-bit hosts
  krval original(p);
  krval copy(original);
  EXPECT_EQ(copy.as_ref(), p);
}

TEST(KrvalConversion, SetTypeFollowsTheTable) {
  krval v("12abc");
  v.set_type(KR_INT);
  EXPECT_EQ(v.tag, KR_INT);
  EXPECT_EQ(v.as_int(), 12);
  v.set_type(KR_REAL);
  EXPECT_EQ(v.tag, KR_REAL);
  EXPECT_DOUBLE_EQ(v.as_real(), 12.0);
  v = 7.9;
  v.set_type(KR_INT);
  EXPECT_EQ(v.as_int(), 7);
  v = -7.9;
  v.set_type(KR_INT);
  EXPECT_EQ(v.as_int(), -7);
  v.set_type(KR_TEXT);
  EXPECT_EQ(v.tag, KR_TEXT);
  EXPECT_EQ(v.str(), "-7");

  for (uint16_t t : {0, 1, 101, 47, 200}) {
    krval w(5);
    w.set_type(t);
    EXPECT_EQ(w.tag, KR_INT) << t;
    EXPECT_EQ(w.as_int(), 5);
  }
  krval f = krval::flag(true);
  f.set_type(KR_INT);
  EXPECT_EQ(f.as_int(), 1);
}

TEST(KrvalMove, MovedTextLeavesEmptyText) {
  krval a("hello");
  krval b;
  b = std::move(a);
  EXPECT_EQ(b.str(), "hello");
  EXPECT_EQ(a.tag, KR_TEXT);
  EXPECT_EQ(a.text_length(), 0);
  EXPECT_TRUE(a.text.bytes == nullptr);

  krval n(9);
  krval dest("keep");
  dest = std::move(n);
  EXPECT_EQ(dest.as_int(), 9);
}

TEST(KrvalCopy, TextCopyGetsRuleCapacityAndNoCache) {
  krval a("abcdefghijklmnopq");   // 17 bytes
  krval b(a);
  EXPECT_EQ(int32_t{b.text.capacity}, 17 + 1 + 2);
  EXPECT_TRUE(b.text.bytes != a.text.bytes);
  krval empty("");
  krval e2(empty);
  EXPECT_TRUE(e2.text.bytes == nullptr);
  krval n(77);
  n.c_str();   // fills the cache
  krval m(n);
  EXPECT_EQ(int32_t{m.text.length}, 0);
}

TEST(KrvalText, TerminatedEmptyTextIsOneZeroByte) {
  krval v("");
  const char *p = v.c_str();
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(*p, '\0');
  EXPECT_EQ(v.text_length(), 0);
}

TEST(KrvalText, OperationsConvertToTextFirst) {
  krval v(12);
  v.append("ab");
  EXPECT_EQ(v.tag, KR_TEXT);
  EXPECT_EQ(v.str(), "12ab");
  v.append(krval(3.5));
  EXPECT_EQ(v.str(), "12ab3.5");
  v.append(v);
  EXPECT_EQ(v.str(), "12ab3.512ab3.5");

  krval r("abcdef");
  r.remove_front(0);
  r.remove_front(7);
  EXPECT_EQ(r.str(), "abcdef");
  r.remove_front(2);
  EXPECT_EQ(r.str(), "cdef");
  r.remove_front(4);
  EXPECT_EQ(r.str(), "");

  krval l;
  l.left(krval("abcdef"), 3);
  EXPECT_EQ(l.str(), "abc");
  l.left(krval("ab"), 10);
  EXPECT_EQ(l.str(), "ab");
  l.left(krval("ab"), -1);
  EXPECT_EQ(l.str(), "");

  krval u("MiXeD Case");
  u.lower_case();
  EXPECT_EQ(u.str(), "mixed case");
}

TEST(KrvalText, QuoteForCommandLine) {
  krval a("C:\\Program Files\\x.exe");
  a.quote_for_command_line();
  EXPECT_EQ(a.str(), "\"C:\\Program Files\\x.exe\"");
  krval b("C:\\tools\\x.exe");
  b.quote_for_command_line();
  EXPECT_EQ(b.str(), "C:\\tools\\x.exe");
  krval c("\"already quoted\"");
  c.quote_for_command_line();
  EXPECT_EQ(c.str(), "\"already quoted\"");
  krval d("say \"hi\"");
  d.quote_for_command_line();
  EXPECT_EQ(d.str(), "\"say \\\"hi\\\"\"");
  krval e("tab\there");
  e.quote_for_command_line();
  EXPECT_EQ(e.str(), "\"tab\there\"");
}

TEST(KrvalSearch, CompareAndFindOnTextForms) {
  EXPECT_LT(krval("ab").compare(krval("abc")), 0);
  EXPECT_EQ(krval("").compare(krval("")), 0);
  EXPECT_LT(krval("B").compare(krval("a")), 0);
  EXPECT_EQ(krval(10).compare(krval("10")), 0);
  EXPECT_LT(krval(10).compare(krval(9)), 0);   // numbers compare as their texts
  krval hay("hello world");
  EXPECT_EQ(hay.find(krval("o"), 0), 4);
  EXPECT_EQ(hay.find(krval("o"), 5), 7);
  EXPECT_EQ(hay.find(krval("o"), 11), -1);
  EXPECT_EQ(hay.find(krval("world"), 0), 6);
  EXPECT_EQ(hay.find_last(krval("o")), 7);
  EXPECT_EQ(hay.find_last(krval("hello world!")), -1);
}

TEST(KrvalArithmetic, TagSumDecides) {
  krval t("5");
  t.add(krval(3));
  EXPECT_EQ(t.tag, KR_INT);
  EXPECT_EQ(t.as_int(), 8);

  krval i(2);
  i.add(krval(0.5));
  EXPECT_EQ(i.tag, KR_REAL);
  EXPECT_DOUBLE_EQ(i.as_real(), 2.5);

  int x = 0;
  krval r(static_cast<void *>(&x));
  r.add(krval(1));
  EXPECT_EQ(r.tag, KR_REF);
  EXPECT_EQ(r.as_ref(), &x);

  krval c(41);
  c.increment();
  EXPECT_EQ(c.as_int(), 42);

  EXPECT_EQ(krval::multiply(krval(6), krval("7")).as_int(), 42);
  EXPECT_EQ(krval::multiply(krval(6), krval(0.5)).tag, KR_REAL);
  EXPECT_DOUBLE_EQ(krval::multiply(krval(6), krval(0.5)).as_real(), 3.0);
  EXPECT_EQ(krval::divide(krval(7), krval(2)).as_int(), 3);
  EXPECT_EQ(krval::divide(krval(-7), krval(2)).as_int(), -3);
  EXPECT_DOUBLE_EQ(krval::divide(krval(7.0), krval(2)).as_real(), 3.5);
  EXPECT_EQ(krval::multiply(r, krval(2)).tag, KR_INT);
  EXPECT_EQ(krval::multiply(r, krval(2)).as_int(), 0);

  krval lt = krval::less_than(krval(2), krval(3));
  EXPECT_EQ(lt.tag, KR_FLAG);
  EXPECT_TRUE(lt.as_flag());
  EXPECT_FALSE(krval::less_than(krval(2.5), krval(2)).as_flag());
  EXPECT_EQ(krval::less_than(r, krval(2)).tag, KR_INT);
}

TEST(KrvalAssign, AssignmentsSetTagAndPayload) {
  krval v("text");
  v = 3.25;
  EXPECT_EQ(v.str(), "3.25");
  v = 'q';
  EXPECT_EQ(v.str(), "q");
  v = static_cast<const char *>(nullptr);
  EXPECT_EQ(v.tag, KR_TEXT);
  EXPECT_EQ(v.str(), "");
  krval src(55);
  v.assign_text_of(src);
  EXPECT_EQ(v.tag, KR_TEXT);
  EXPECT_EQ(v.str(), "55");
  EXPECT_EQ(krval('x').str(), "x");
  EXPECT_EQ(krval("").first_char(), '\0');
  EXPECT_EQ(krval(93).first_char(), '9');
}

TEST(KrvalText, ViewsAreReadInPlaceAndCopiedBeforeChanges) {
  std::string kept = "<P Class=x>";
  krval v;
  v.tag = KR_TEXT;
  v.text.borrow(kept.data(), static_cast<int32_t>(kept.size()));
  EXPECT_TRUE(v == "<P Class=x>");
  EXPECT_FALSE(v == "<P>");
  EXPECT_TRUE(v.text.is_view());   // comparing does not terminate
  EXPECT_EQ(v.find(krval("Class"), 0), 3);

  krval lowered = v;
  lowered.lower_case();
  EXPECT_EQ(lowered.str(), "<p class=x>");
  v.lower_case();
  EXPECT_EQ(v.str(), "<p class=x>");
  v.text.borrow(kept.data(), 3);
  v.remove_front(1);
  EXPECT_EQ(v.str(), "P ");
  v.text.borrow(kept.data(), 3);
  v.text_bytes()[0] = '[';
  EXPECT_EQ(v.str(), "[P ");
  EXPECT_EQ(kept, "<P Class=x>");
}
