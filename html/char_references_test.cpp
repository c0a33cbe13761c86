// The one decoder of character references, where text and attribute values
// differ, and UTF-8 written and read back.
#include "html/char_references.h"

#include <gtest/gtest.h>
#include <string>

namespace {

// Text with its references decoded (as UTF-8), the rest as written.
std::string decoded(const std::string &text, reference_place place) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    char_reference reference;
    if (text[i] == '&' && read_char_reference(text.data(), text.size(), i, place, reference)) {
      append_utf8(out, reference.code_point);
      i += reference.length;
    } else {
      out += text[i++];
    }
  }
  return out;
}

TEST(char_references, read_as_browsers_read_them_in_text_and_in_attributes) {
  const struct {
    const char *written, *in_text, *in_attribute;
  } cases[] = {
      {"&amp;&lt&gt;&Eacute", "&<>\xc3\x89", "&<>\xc3\x89"},
      // Legacy names without ";": text takes them before anything, an
      // attribute not before a letter, a digit or "=".
      {"&copy2020", "\xc2\xa9" "2020", "&copy2020"},
      {"x&copy=1", "x\xc2\xa9=1", "x&copy=1"},
      {"&notit", "\xc2\xacit", "&notit"},
      // A name we do not know, ended by ";", stays whole.
      {"&notin; &nope;", "&notin; &nope;", "&notin; &nope;"},
      // Newer names need their ";".
      {"&apos &ndash &ndash;", "&apos &ndash \xe2\x80\x93", "&apos &ndash \xe2\x80\x93"},
      {"&#65x&#X42;&#x;&#", "AxB&#x;&#", "AxB&#x;&#"},
      {"&#150;&#138;", "\xe2\x80\x93\xc5\xa0", "\xe2\x80\x93\xc5\xa0"},   // windows-1252's
      {"&#0;&#xD800;&#99999999999;", "\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd",
       "\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd"},
  };
  for (const auto &c : cases) {
    EXPECT_EQ(decoded(c.written, reference_place::text), c.in_text) << c.written;
    EXPECT_EQ(decoded(c.written, reference_place::attribute), c.in_attribute) << c.written;
  }
  // Past the longest name a browser knows, a ";" no longer makes the run one name.
  const std::string letters(40, 'x');
  EXPECT_EQ(decoded("&not" + letters + ";", reference_place::text), "\xc2\xac" + letters + ";");
}

TEST(char_references, every_code_point_goes_to_utf8_and_back) {
  for (uint32_t code_point = 0; code_point <= 0x10FFFF; ++code_point) {
    if (code_point >= 0xD800 && code_point <= 0xDFFF) continue;
    std::string bytes;
    append_utf8(bytes, code_point);
    std::size_t at = 0;
    uint32_t read = 0;
    ASSERT_TRUE(is_utf8(bytes.data(), bytes.size())) << code_point;
    ASSERT_TRUE(read_utf8(bytes.data(), bytes.size(), at, read));
    ASSERT_EQ(read, code_point);
    ASSERT_EQ(at, bytes.size());
  }
  EXPECT_FALSE(is_utf8("\xed\xa0\x80", 3));       // a surrogate
  EXPECT_FALSE(is_utf8("\xf4\x90\x80\x80", 4));   // beyond U+10FFFF
  EXPECT_FALSE(is_utf8("\xe2\x80", 2));           // cut short
}

}  // namespace
