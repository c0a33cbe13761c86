// Readable names in any script: headings in UTF-8 read as characters, a
// page in a single-byte code page byte by byte, and every name already in
// the form a name is made in.
#include "toc/anchor_slug.h"

#include <gtest/gtest.h>
#include <random>
#include <string>
#include "html/char_references.h"
#include "toc/unicode_tables.h"

namespace {

std::string slug(const std::string &text) { return anchor_slug(text.data(), text.size()); }

TEST(anchor_slug, words_of_every_script) {
  const struct {
    const char *text, *name;
  } cases[] = {
      {"\xc3\x9c" "bersicht & Gr\xc3\xb6\xc3\x9f" "e", "\xc3\xbc" "bersicht-gr\xc3\xb6\xc3\x9f" "e"},
      {"Stra\xc3\x9f" "e \xe2\x80\x93 Ma\xc3\x9fnahmen", "stra\xc3\x9f" "e-ma\xc3\x9fnahmen"},
      {"\xc4\xb0stanbul", "istanbul"},   // U+0130's simple mapping is one "i"
      // Simple mapping, one letter for one: the last sigma too is "σ".
      {"\xce\x9f\xce\x94\xce\x9f\xce\xa3", "\xce\xbf\xce\xb4\xce\xbf\xcf\x83"},
      {"\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e\xe3\x81\xae\xe8\xa6\x8b\xe5\x87\xba\xe3\x81\x97",
       "\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e\xe3\x81\xae\xe8\xa6\x8b\xe5\x87\xba\xe3\x81\x97"},
      {"\xf0\x9f\x9a\x80 Launch", "launch"},
      {"\xe2\x9a\xa0\xef\xb8\x8f Warning", "warning"},   // the emoji's variation selector goes with it
      {"\xc2\xa9 2024 \xe2\x93\x98 \xc2\xa7" "3", "2024-3"},
      {"Cafe\xcc\x81 \xc2\xbd", "cafe\xcc\x81-\xc2\xbd"},   // a combining mark, a number
      // A character, its reference and ASCII's punctuation separate alike.
      {"d\xe2\x80\x94" "e", "d-e"},
      {"d&mdash;e", "d-e"},
      {"&#913;&#x392;&Eacute;&copy2024", "\xce\xb1\xce\xb2\xc3\xa9-2024"},
      {"a\xc2\xa0" "b", "a-b"},
      {"\xe2\x80\x94\xf0\x9f\x9a\x80", "section"},
      // Not UTF-8 (windows-1252): byte by byte, as it always was.
      {"Caf\xe9", "caf\xe9"},
      {"\xc9T\xc9 &Eacute;t&eacute; \x96 x&#0;y", "\xc9t\xc9-\xc3\xa9t\xc3\xa9-\x96-x-y"},
  };
  for (const auto &c : cases) EXPECT_EQ(slug(c.text), c.name) << c.text;
}

bool has_capital(const std::string &utf8) {
  uint32_t c;
  for (std::size_t at = 0; at < utf8.size() && read_utf8(utf8.data(), utf8.size(), at, c);)
    if (unicode_properties_of(c).lower != c) return true;
  return false;
}

// Over texts mixed from every kind of piece: a name is never empty, has no
// "-" at either end or twice in a row, is its own name, and a name made of
// UTF-8 is UTF-8 without capitals.
TEST(anchor_slug, names_are_made_in_one_form) {
  const char *const pieces[] = {
      "A", "z", "9", " ", "-", "'", "&", "&amp;", "&Auml;", "&#x130;", "&#150;", "&copy",
      "\xc3\x84", "\xc3\x9f", "\xc4\xb0", "\xce\xa3", "\xe2\x80\x93", "\xe2\x93\x98",
      "\xe6\x97\xa5", "\xf0\x9f\x9a\x80", "\xcc\x81", "\xef\xb8\x8f", "\xe2\x80\x8d", "\xe2\x85\xa0",
      "\xe9", "\x80"};
  std::mt19937 random(25);
  for (int round = 0; round < 5000; ++round) {
    std::string text;
    for (int n = random() % 8; n > 0; --n) text += pieces[random() % (sizeof pieces / sizeof *pieces)];
    const std::string name = slug(text);
    ASSERT_FALSE(name.empty());
    EXPECT_NE(name.front(), '-') << text;
    EXPECT_NE(name.back(), '-') << text;
    EXPECT_EQ(name.find("--"), std::string::npos) << text;
    EXPECT_EQ(slug(name), name) << text;
    if (is_utf8(text.data(), text.size())) {
      EXPECT_TRUE(is_utf8(name.data(), name.size())) << text;
      EXPECT_FALSE(has_capital(name)) << text;
    }
  }
}

}  // namespace
