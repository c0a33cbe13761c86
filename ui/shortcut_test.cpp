#include "ui/shortcut.h"

#include <gtest/gtest.h>

TEST(ParseShortcut, LettersFunctionKeysAndModifiers) {
  shortcut_key k;
  ASSERT_TRUE(parse_shortcut("Ctrl+T", k));
  EXPECT_EQ(k.key, 'T');
  EXPECT_TRUE(k.ctrl);
  EXPECT_FALSE(k.shift);
  EXPECT_FALSE(k.alt);

  ASSERT_TRUE(parse_shortcut("F1", k));
  EXPECT_EQ(k.key, 0x70);
  EXPECT_FALSE(k.ctrl);

  ASSERT_TRUE(parse_shortcut("F12", k));
  EXPECT_EQ(k.key, 0x7B);

  ASSERT_TRUE(parse_shortcut("Ctrl+Shift+Alt+7", k));
  EXPECT_EQ(k.key, '7');
  EXPECT_TRUE(k.ctrl && k.shift && k.alt);
}

TEST(ParseShortcut, UnknownNamesAreRefusedAndLeaveTheKeyAlone) {
  shortcut_key k;
  k.key = 42;
  for (const char *bad : {"", "Ctrl+", "F0", "F13", "F1x", "Ctrl+t", "Enter", "TT", "Win+T"})
    EXPECT_FALSE(parse_shortcut(bad, k)) << bad;
  EXPECT_FALSE(parse_shortcut(nullptr, k));
  EXPECT_EQ(k.key, 42);
}
