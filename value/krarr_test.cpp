#include "value/krarr.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
std::vector<std::string> contents(krarr &list) {
  std::vector<std::string> out;
  list.reset_cursor();
  krval v;
  while (list.next(v)) out.push_back(v.str());
  return out;
}
}  // namespace

TEST(KrarrList, AddMovesAndCursorWalksBothWays) {
  krarr list;
  EXPECT_EQ(list.cursor_index, -1);
  krval a("a");
  list.add(a);
  EXPECT_EQ(a.tag, KR_TEXT);
  EXPECT_EQ(a.text_length(), 0);   // taken over, not copied
  // The cursor sees an element added to an empty list.
  krval out;
  EXPECT_TRUE(list.next(out));
  EXPECT_EQ(out.str(), "a");
  EXPECT_FALSE(list.next(out));

  list.add_copy(krval("b"));
  krval c("c");
  list.push_front(c);
  EXPECT_EQ(list.count(), 3);
  EXPECT_EQ(contents(list), (std::vector<std::string>{"c", "a", "b"}));

  list.direction = 0;
  list.reset_cursor();
  std::vector<std::string> backward;
  while (list.next(out)) backward.push_back(out.str());
  EXPECT_EQ(backward, (std::vector<std::string>{"b", "a", "c"}));
}

TEST(KrarrList, PopBothEnds) {
  krarr list;
  krval out("untouched");
  EXPECT_FALSE(list.pop_front(out));
  EXPECT_FALSE(list.pop_back(out));
  for (const char *s : {"1", "2", "3"}) list.add_copy(krval(s));
  EXPECT_TRUE(list.pop_front(out));
  EXPECT_EQ(out.str(), "1");
  EXPECT_TRUE(list.pop_back(out));
  EXPECT_EQ(out.str(), "3");
  EXPECT_EQ(list.count(), 1);
  EXPECT_EQ(list.first, list.last);
  EXPECT_TRUE(list.pop_back(out));
  EXPECT_EQ(list.first, nullptr);
  EXPECT_EQ(list.last, nullptr);
  EXPECT_EQ(list.cursor, nullptr);
  list.add_copy(krval("again"));
  EXPECT_EQ(contents(list), std::vector<std::string>{"again"});
}

TEST(KrarrList, ElementAtWalksFromNearerEndAndGrowsOutOfRange) {
  krarr list;
  for (int i = 0; i < 7; ++i) list.add_copy(krval(i * 10));
  for (int i = 0; i < 7; ++i) EXPECT_EQ(list.at(i).as_int(), i * 10);
  krarr three;
  for (int i = 0; i < 3; ++i) three.add_copy(krval(i));
  krval &added = three.at(5);
  EXPECT_EQ(three.count(), 4);
  EXPECT_EQ(added.tag, KR_INT);
  EXPECT_EQ(added.as_int(), 0);
  EXPECT_EQ(&added, &three.last->value);
  three.at(-1);
  EXPECT_EQ(three.count(), 5);
}

TEST(KrarrList, ClearEmptiesAndCursorIndexRestarts) {
  krarr list;
  for (int i = 0; i < 3; ++i) list.add_copy(krval(i));
  krval v;
  list.next(v);
  list.next(v);
  EXPECT_EQ(list.cursor_index, 2);
  list.clear();
  EXPECT_EQ(list.count(), 0);
  EXPECT_EQ(list.cursor_index, 0);
  EXPECT_FALSE(list.next(v));
}

namespace {
std::vector<std::string> split_to_vector(const char *sep, const char *text, int32_t maximum) {
  krarr list;
  split(krval(sep), krval(text), list, maximum);
  return contents(list);
}
}  // namespace

TEST(Split, PiecesBetweenSeparators) {
  using V = std::vector<std::string>;
  EXPECT_EQ(split_to_vector(",", "a,b,,c", 0), (V{"a", "b", "", "c"}));
  EXPECT_EQ(split_to_vector(",", "a,b,,c", 2), (V{"a", "b,,c"}));
  EXPECT_EQ(split_to_vector(",", "a,b,,c", 3), (V{"a", "b", ",c"}));
  EXPECT_EQ(split_to_vector(",", "abc", 0), (V{"abc"}));
  EXPECT_EQ(split_to_vector("ab", "a", 0), V{});
  EXPECT_EQ(split_to_vector(",", "a,", 0), (V{"a", ""}));
  EXPECT_EQ(split_to_vector(",", "", 0), V{});
  EXPECT_EQ(split_to_vector("", "abc", 0), V{});
  EXPECT_EQ(split_to_vector("\\", "C:\\a\\b", 0), (V{"C:", "a", "b"}));
  EXPECT_EQ(split_to_vector("::", "x::y::", 0), (V{"x", "y", ""}));
}

TEST(Split, MaximumOfOneOrNegativeLeavesTheListAlone) {
  krarr list;
  list.add_copy(krval("keep"));
  split(krval(","), krval("a,b"), list, 1);
  EXPECT_EQ(contents(list), std::vector<std::string>{"keep"});
  split(krval(","), krval("a,b"), list, -3);
  EXPECT_EQ(contents(list), std::vector<std::string>{"keep"});
}
