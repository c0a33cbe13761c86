// krtext: text fields that read as text Values and never write through a view.
#include "value/krtext.h"

#include <gtest/gtest.h>

namespace {

TEST(krtext, ReadsAsTheTextFormOfAValue) {
  krtext t;
  EXPECT_EQ(t.text.bytes, nullptr);
  EXPECT_TRUE(t == "");
  t = krval(int32_t(-42));
  EXPECT_EQ(t.str(), "-42");
  t = krval(2.5);
  EXPECT_EQ(t.str(), krval(2.5).str());
  t = krval("");
  EXPECT_TRUE(t.empty());
  t = "abc";
  EXPECT_TRUE(t == "abc");
  EXPECT_FALSE(t == "ab");
  EXPECT_EQ(t.value().str(), "abc");
}

// Every change of a view, and every copy of one, leaves the bytes it saw as
// they were.
TEST(krtext, AViewIsNeverWrittenThrough) {
  const char source[] = "<H2 ID=x>rest";
  krtext view;
  view.text.borrow(source, 8);
  krtext copy(view);
  EXPECT_FALSE(copy.text.is_view());
  EXPECT_STREQ(view.c_str(), "<H2 ID=x");
  krtext lowered;
  lowered.text.borrow(source, 8);
  lowered.lower_case();
  EXPECT_EQ(lowered.str(), "<h2 id=x");
  krtext longer;
  longer.text.borrow(source, 3);
  longer.append_bytes(">", 1);
  longer.append("!");
  EXPECT_EQ(longer.str(), "<H2>!");
  krtext written;
  written.text.borrow(source, 2);
  written.text_bytes()[0] = '[';
  EXPECT_EQ(written.str(), "[H");
  krtext moved(std::move(copy));
  EXPECT_EQ(moved.str(), "<H2 ID=x");
  EXPECT_STREQ(source, "<H2 ID=x>rest");
}

}  // namespace
