#include "toc/name_set.h"
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <unordered_set>

// The set against the standard one: the same answers for names that collide
// often, the empty name, bytes of every value, and long names, across the
// table's growth and after clear.
TEST(name_set, answers_as_a_set_of_strings_does) {
  std::mt19937 random(7);
  name_set names;
  std::unordered_set<std::string> expected;
  auto some_name = [&] {
    std::string name(random() % 4 == 0 ? random() % 300 : random() % 4, '\0');
    for (char &c : name) c = static_cast<char>(random() % 6 == 0 ? random() % 256 : 'a' + random() % 3);
    return name;
  };
  for (int round = 0; round < 2; ++round) {
    for (int i = 0; i < 20000; ++i) {
      const std::string name = some_name();
      ASSERT_EQ(names.insert(name), expected.insert(name).second) << i;
      const std::string probe = some_name();
      ASSERT_EQ(names.contains(probe), expected.count(probe) == 1) << i;
    }
    for (const std::string &name : expected) ASSERT_TRUE(names.contains(name));
    names.clear();
    expected.clear();
    EXPECT_TRUE(names.empty());
    EXPECT_FALSE(names.contains(""));
  }
}
