// Readable anchor names made from a heading's text: "Getting started" gives
// getting-started. The text is raw HTML text as it stands in the page.
#pragma once
#include <cstddef>
#include <string>

// Character references are decoded (html/char_references.h, as in text).
// Text that is valid UTF-8 is read as characters: letters of every script in
// lower case (Unicode's simple mapping, one character for one: "İ" gives
// "i", and "Σ" always "σ", never the final "ς", which takes the word around
// it), letters, digits and marks kept, and everything else, punctuation and
// symbols of every script as ASCII's, separates words, so that "—" and
// "&mdash;" and "-" give the same name. A mark after a character that is not
// kept belongs to it (the variation selector after an emoji) and goes too.
// Other text (a page in a single-byte code page) is read byte by byte: ASCII
// letters lower-cased, letters, digits and bytes 128 to 255 kept, a decoded
// reference beyond ASCII kept as UTF-8 where it is a letter. Either way a run
// of what is not kept is one "-", none at either end, and "section" is the
// name when nothing is left.
std::string anchor_slug(const char *text, std::size_t length);
