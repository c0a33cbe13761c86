// link_references: attribute values and links read as a browser reads them,
// so that a link and a name compare as they would in the browser: character
// references decoded, the page's bytes taken as UTF-8 when they are valid
// UTF-8 and as windows-1252 otherwise, and a link's escapes (%XX) undone.
// Every result is UTF-8.
#pragma once
#include <string>
#include "html/char_references.h"   // is_utf8: whether the whole page is valid UTF-8

// Text in windows-1252 as UTF-8.
std::string windows_1252_as_utf8(const std::string &text);

// An attribute value as written, with its character references decoded.
std::string decoded_attribute(const std::string &value, bool page_is_utf8);

// A link whose attribute value is decoded, split as a browser splits it.
struct link_parts {
  bool other_site = false;    // a scheme ("http:", "mailto:") or "//host"
  bool from_root = false;     // a path beginning with "/"
  std::string path;           // escapes undone; empty: this page
  bool has_fragment = false;
  std::string fragment;       // after '#', escapes undone
  // The fragment as the address holds it: as written, with what an address
  // may not hold (controls, blanks, quotes, <, >, `, bytes beyond ASCII)
  // escaped. A browser looks for an element of this name first, then for
  // one of the unescaped name.
  std::string written_fragment;
};
link_parts split_link(const std::string &decoded_href);

// Whether a link's path names a page: its last part ends in .htm, .html or
// .shtml, in any letter case.
bool names_a_page(const std::string &path);
