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

// A view must never write into, free or pass on the bytes it sees: the source
// below is compared after every operation.
TEST(KrcharView, ChangesCopyFirstAndLeaveTheSourceAlone) {
  const std::string source = "Hello world";
  std::string kept = source;
  auto view_of_kept = [&] {
    krchar v;
    v.borrow(kept.data(), static_cast<int32_t>(kept.size()));
    return v;
  };

  krchar v = view_of_kept();
  EXPECT_TRUE(v.is_view());
  EXPECT_EQ(v.capacity, 0);
  EXPECT_EQ(v.bytes, kept.data());
  EXPECT_EQ(v.find_byte('w', 0), 6);

  v.append_byte('!');   // as a full buffer: 11 + 0 + 3
  EXPECT_FALSE(v.is_view());
  EXPECT_EQ(v.capacity, 14);
  EXPECT_EQ(text(v), "Hello world!");

  krchar t = view_of_kept();
  EXPECT_STREQ(t.terminate(), "Hello world");
  EXPECT_FALSE(t.is_view());

  krchar s = view_of_kept();
  s.set_length(5);   // even shrinking copies: callers write after set_length
  EXPECT_FALSE(s.is_view());
  EXPECT_EQ(s.capacity, krchar::grown_capacity(5));
  EXPECT_EQ(text(s), "Hello");

  krchar r = view_of_kept();
  r.replace_byte('x', 'y');   // nothing to replace: still a view
  EXPECT_TRUE(r.is_view());
  r.replace_byte('o', '0');
  EXPECT_EQ(text(r), "Hell0 w0rld");

  krchar w = view_of_kept();
  w.make_writable();
  EXPECT_NE(w.bytes, kept.data());
  EXPECT_EQ(w.capacity, krchar::grown_capacity(11));
  w.bytes[0] = 'J';
  EXPECT_EQ(text(w), "Jello world");

  EXPECT_EQ(kept, source);
}

TEST(KrcharView, CopiesAndMovesNeverCarryTheViewAway) {
  std::string kept = "abc";
  krchar v;
  v.borrow(kept.data(), 3);

  krchar copy(v);
  EXPECT_FALSE(copy.is_view());
  EXPECT_EQ(text(copy), "abc");

  krchar moved(std::move(v));
  EXPECT_FALSE(moved.is_view());
  EXPECT_NE(moved.bytes, kept.data());
  EXPECT_EQ(text(moved), "abc");
  EXPECT_EQ(v.bytes, nullptr);
  EXPECT_EQ(v.length, 0);

  krchar owner("xyz");
  owner.borrow(kept.data(), 2);   // its own storage goes first
  EXPECT_TRUE(owner.is_view());
  EXPECT_EQ(text(owner), "ab");

  krchar empty_view;
  empty_view.borrow(kept.data(), 0);
  EXPECT_FALSE(empty_view.is_view());
  EXPECT_EQ(empty_view.bytes, nullptr);
}
