// Character references (&amp; &#233; &#xE9;) read as a browser reads them,
// and code points written as UTF-8: the one decoder of the program, for the
// text of headings and for attribute values alike.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// Where a reference stands. The legacy names (the five of markup's own and
// HTML 4's Latin-1 set: &amp &lt &copy &eacute ...) count without their ";"
// in both, as in browsers; in an attribute value not where a letter, a digit
// or "=" follows, since "?a=1&copy=2" is a link's text.
enum class reference_place { text, attribute };

struct char_reference {
  uint32_t code_point = 0;
  std::size_t length = 0;   // bytes from the '&' on, its ';' included
};

// The reference that starts at text[at] (an '&'), or false where what
// follows is no reference this reads: then the bytes stand as written.
// Numbers are taken as browsers take them: 0, surrogates and numbers beyond
// Unicode give U+FFFD, 128 to 159 windows-1252's characters. Names are the
// five of markup, the Latin-1 set and the punctuation pages use most
// (browsers know over two thousand); a name outside them that ends in ";"
// stays as written whole, not read as a shorter legacy name (&notin; is
// not &not;), since a browser may know it.
bool read_char_reference(const char *text, std::size_t length, std::size_t at,
                         reference_place place, char_reference &reference);

// What windows-1252 makes of a byte (bytes 128 to 159 differ from Latin-1).
uint32_t windows_1252_code_point(unsigned char byte);

void append_utf8(std::string &out, uint32_t code_point);

// Whether the bytes are valid UTF-8: no overlong forms, surrogates or code
// points beyond Unicode.
bool is_utf8(const char *bytes, std::size_t length);

// The code point whose UTF-8 starts at bytes[at], `at` moved past it; false,
// with `at` where it was, where no valid sequence starts there.
bool read_utf8(const char *bytes, std::size_t length, std::size_t &at, uint32_t &code_point);
