#include "value/krhash.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
std::vector<std::string> keys_in_order(krhash &map) {
  std::vector<std::string> out;
  map.begin_iteration();
  krval k, v;
  while (map.next(k, v)) out.push_back(k.str() + "=" + v.str());
  return out;
}
}  // namespace

TEST(Krhash, IteratesInKeyOrderAndReplacesDuplicates) {
  krhash map;
  map.set(krval("b"), krval(2));
  map.set(krval("a"), krval(1));
  map.set(krval("c"), krval(3));
  EXPECT_EQ(keys_in_order(map), (std::vector<std::string>{"a=1", "b=2", "c=3"}));
  map.set(krval("a"), krval("new"));
  EXPECT_EQ(map.count(), 3);
  EXPECT_EQ(keys_in_order(map), (std::vector<std::string>{"a=new", "b=2", "c=3"}));
}

TEST(Krhash, KeysCompareAsText) {
  krhash map;
  map.set(krval(1), krval("one"));
  krval out;
  EXPECT_TRUE(map.get(krval("1"), out));
  EXPECT_EQ(out.str(), "one");
  map.set(krval(9), krval(0));
  map.set(krval(10), krval(0));
  map.set(krval("B"), krval(0));
  map.set(krval("a"), krval(0));
  map.set(krval("\xe9"), krval(0));
  EXPECT_EQ(keys_in_order(map), (std::vector<std::string>{"1=one", "10=0", "9=0", "B=0", "a=0", "\xe9=0"}));
}

TEST(Krhash, MissingKeyGivesIntegerZero) {
  krhash map;
  krval out("stale");
  EXPECT_FALSE(map.get(krval("x"), out));
  EXPECT_EQ(out.tag, KR_INT);
  EXPECT_EQ(out.as_int(), 0);
}

TEST(Krhash, IterationQueueRules) {
  krhash map;
  krval k, v;
  EXPECT_FALSE(map.next(k, v));   // no begin
  map.begin_iteration();
  EXPECT_FALSE(map.next(k, v));   // empty map
  EXPECT_EQ(k.tag, KR_INT);

  map.set(krval("a"), krval(1));
  map.set(krval("b"), krval(2));
  map.begin_iteration();
  ASSERT_TRUE(map.next(k, v));
  EXPECT_EQ(k.str(), "a");
  map.set(krval("b"), krval(20));   // replacing a value keeps the iteration going
  ASSERT_TRUE(map.next(k, v));
  EXPECT_EQ(v.as_int(), 20);
  EXPECT_FALSE(map.next(k, v));

  map.begin_iteration();
  ASSERT_TRUE(map.next(k, v));
  map.set(krval("c"), krval(3));    // a new key ends it
  EXPECT_FALSE(map.next(k, v));
}

TEST(Krhash, ClearAndTakeEntries) {
  krhash source;
  for (int i = 0; i < 5; ++i) source.set(krval(i), krval(i * i));
  krhash target;
  target.take_entries(source);
  EXPECT_EQ(target.count(), 5);
  EXPECT_EQ(source.count(), 0);
  krval v;
  EXPECT_TRUE(target.get(krval("4"), v));
  EXPECT_EQ(v.as_int(), 16);
  target.clear();
  EXPECT_EQ(target.count(), 0);
  EXPECT_FALSE(target.get(krval("4"), v));
}

TEST(Krhash, AscendingKeysStayFast) {
  // A plain search tree degenerates into a chain here; 200000 keys must stay quick.
  krhash map;
  char key[16];
  for (int i = 0; i < 200000; ++i) {
    std::snprintf(key, sizeof key, "a%07d", i);
    map.set(krval(key), krval(i));
  }
  EXPECT_EQ(map.count(), 200000);
  krval v;
  EXPECT_TRUE(map.get(krval("a0199999"), v));
  EXPECT_EQ(v.as_int(), 199999);
}
