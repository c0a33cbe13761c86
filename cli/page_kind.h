// Whether a FILE can be an HTML page at all: a binary file (one holding a
// NUL byte) or a text without a single tag (a README, notes) would only be
// given a TOC after its first line, so it is refused and left as it is.
#pragma once
#include <cstddef>
#include <string>

// Takes the bytes in pieces, as a file is read.
class page_kind_scan {
public:
  void take(const char *bytes, std::size_t count);
  bool is_html() const { return !has_nul_ && has_tag_; }
  // Why the bytes taken are no page: "it holds a NUL byte", "no tag in it".
  std::string why_not() const;

private:
  bool has_nul_ = false;
  bool has_tag_ = false;   // a start or end tag: '<' or "</" before a letter
  char last_ = 0, before_last_ = 0;   // the end of the piece before
};
