#include "value/krchar.h"

#include <gtest/gtest.h>

#include <string>

namespace {
std::string text(const krchar &c) { return std::string(c.bytes ? c.bytes : "", c.length); }
}  // namespace

TEST(KrcharGrowth, CapacitiesFollowTheGrowthRule) {
  krchar c;
  EXPECT_EQ(c.capacity, 0);
  EXPECT_EQ(c.bytes, nullptr);
  c.append_byte('x');
  EXPECT_EQ(c.capacity, 3);
  EXPECT_EQ(c.length, 1);

  krchar full;
  full.reset(29);          // capacity 29 + 1 + 2 = 32
  ASSERT_EQ(full.capacity, 32);
  full.set_length(32);
  full.append_byte('y');   // full at 32: 32 + 2 + 3
  EXPECT_EQ(full.capacity, 37);
  EXPECT_EQ(full.length, 33);

  krchar grown;
  grown.set_length(100);
  EXPECT_EQ(grown.capacity, 108);
  grown.set_length(10);   // shrinking keeps the storage
  EXPECT_EQ(grown.capacity, 108);
  EXPECT_EQ(grown.length, 10);
}

TEST(KrcharConstruction, FromStringOwnsStorageEvenWhenEmpty) {
  krchar empty("");
  EXPECT_EQ(empty.capacity, 2);
  EXPECT_EQ(empty.length, 0);
  EXPECT_NE(empty.bytes, nullptr);
  krchar abc("abc");
  EXPECT_EQ(abc.capacity, 5);
  EXPECT_EQ(text(abc), "abc");
}

TEST(KrcharTerminate, ZeroFollowsWithoutCounting) {
  krchar c;
  const char *p = c.terminate();
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p[0], '\0');
  EXPECT_EQ(c.length, 0);
  c.append("hi");
  EXPECT_STREQ(c.terminate(), "hi");
  EXPECT_EQ(c.length, 2);
}

TEST(KrcharEdit, AppendAssignMoveAndReplace) {
  krchar c;
  c.append("ab");
  c.append(nullptr);
  c.append("", 0);
  krchar d("cd");
  c.append(d);
  EXPECT_EQ(text(c), "abcd");

  krchar moved;
  moved.move_from(c);
  EXPECT_EQ(text(moved), "abcd");
  EXPECT_EQ(c.bytes, nullptr);
  EXPECT_EQ(c.capacity, 0);

  moved.replace_byte('b', 'B');
  EXPECT_EQ(text(moved), "aBcd");

  krchar path("a/b/c");
  krchar sep("::");
  path.replace_byte_with_text('/', sep);
  EXPECT_EQ(text(path), "a::b::c");
  EXPECT_EQ(path.capacity, krchar::grown_capacity(7));
  krchar none("");
  krchar dropped("x-y-");
  dropped.replace_byte_with_text('-', none);
  EXPECT_EQ(text(dropped), "xy");

  c.assign(static_cast<const char *>(nullptr));
  EXPECT_EQ(c.capacity, 0);
}

TEST(KrcharSearch, FindAndFindLastBounds) {
  krchar hay("abcabc");
  EXPECT_EQ(hay.find_byte('c', 0), 2);
  EXPECT_EQ(hay.find_byte('c', 3), 5);
  EXPECT_EQ(hay.find(krchar("bc"), 2), 4);
  EXPECT_EQ(hay.find(krchar("c"), 6), -1);     // position equal to the length
  EXPECT_EQ(hay.find(krchar("c"), -1), -1);
  EXPECT_EQ(hay.find(krchar(""), 0), -1);
  EXPECT_EQ(hay.find(krchar("abca"), 3), -1);  // longer than what remains
  EXPECT_EQ(hay.find_last(krchar("abc")), 3);
  EXPECT_EQ(hay.find_last(krchar("abcabcx")), -1);
  EXPECT_EQ(hay.find_last(krchar("zz")), -1);
}

TEST(KrcharCompare, UnsignedBytesThenLength) {
  EXPECT_LT(krchar("ab").compare(krchar("abc")), 0);
  EXPECT_EQ(krchar("").compare(krchar("")), 0);
  EXPECT_LT(krchar("B").compare(krchar("a")), 0);
  EXPECT_GT(krchar("\xe9").compare(krchar("z")), 0);   // 233 sorts after 122
}

TEST(MultiStringLength, CountsUpToTheLastNonEmptyString) {
  EXPECT_EQ(multi_string_length("ab\0cd\0"), 5);
  EXPECT_EQ(multi_string_length(""), 0);
}
