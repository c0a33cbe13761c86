// The TOC comment, read in one place for the transform that finds where the
// TOC goes and for the settings a page carries in it.
//
// Plain: somewhere in the comment's text "<!--", the word toc in any letter
// case and "-->", with only blanks, tabs and line ends between them: the
// window's rule, which is all a TOC comment is where settings are off.
// With settings on (quenby-toc), a comment where the first word after some
// "<!--" is toc, and the comment's last bytes are "-->", is a TOC comment
// too: the rest up to those bytes is its settings, KEY=VALUE, blanks allowed
// around the "=". Settings that cannot be read make an error for the page,
// not a comment that is passed over.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

enum class toc_comment_form { none, plain, with_settings };

toc_comment_form toc_comment_form_of(const char *comment, int32_t length, bool settings_on);

// One setting of a TOC comment; line: the line ends in the comment before
// its key.
struct toc_comment_setting {
  std::string key, value;
  int32_t line;
};

// The settings of a comment read with settings on, in order: none for a
// plain comment or one that is no TOC comment. False for a word that is
// not KEY=VALUE, with the reason in error and its line as above.
bool read_toc_comment_settings(const char *comment, int32_t length,
                               std::vector<toc_comment_setting> &settings, std::string &error,
                               int32_t &line);
