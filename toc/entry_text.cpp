#include "toc/entry_text.h"

#include <cstring>
#include "toc/node_text.h"

using namespace toc_text;

namespace {

bool is_blank(char c) {
  return static_cast<unsigned char>(c) <= ' ' && (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f');
}

// An attribute value in any letter case against one given in lower case,
// blanks around it allowed (aria-hidden="True ").
bool is_word_any_case(const piece &value, const char *word) {
  int32_t from = 0, to = value.length;
  while (from < to && is_blank(value.bytes[from])) ++from;
  while (to > from && is_blank(value.bytes[to - 1])) --to;
  int32_t i = 0;
  for (; from + i < to && word[i]; ++i)
    if ((value.bytes[from + i] | 0x20) != word[i]) return false;
  return from + i == to && !word[i];
}

// A non-breaking space written as a reference, six bytes from p: &nbsp;,
// &#160; or &#xa0; (in any letter case of its hexadecimal).
bool is_non_breaking_space(const char *p) {
  if (p[0] != '&' || p[5] != ';') return false;
  if (std::memcmp(p + 1, "nbsp", 4) == 0 || std::memcmp(p + 1, "#160", 4) == 0) return true;
  return p[1] == '#' && (p[2] | 0x20) == 'x' && (p[3] | 0x20) == 'a' && p[4] == '0';
}

// Whether the text is tidy already, as most headings are: within it only
// single spaces, at its ends neither a blank nor a reference. (A control
// character may say no where it is tidy: the text is then tidied anyway.)
bool is_tidy(const char *s, size_t n) {
  auto low = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  if (n == 0) return true;
  if (low(s[0]) || low(s[n - 1]) || s[0] == '&' || s[n - 1] == ';') return false;
  for (size_t i = 1; i + 1 < n; ++i)
    if (low(s[i]) && (s[i] != ' ' || low(s[i + 1]))) return false;
  return true;
}

}  // namespace

bool entry_reader::hides_content(const xml_node *n) const {
  if (n->kind != XML_START_TAG) return false;
  if (is_named_any_case(n, "button", 6) || is_named_any_case(n, "template", 8)) return true;
  if (!holds_letters(n->raw_text, "hidden")) return false;
  if (n->attributes().has(hidden_key)) return true;
  krval value;
  return n->attributes().get(aria_hidden_key, value) && is_word_any_case(bytes_of(value), "true");
}

void entry_reader::append_shown(const xml_node *tag, std::string &text) const {
  if (tag->kind != XML_START_TAG && tag->kind != XML_ELEMENT) return;
  if (is_named_any_case(tag, "br", 2)) {
    text += ' ';
    return;
  }
  krval alt;
  if (!is_named_any_case(tag, "img", 3) || !holds_letters(tag->raw_text, "alt") ||
      !tag->attributes().get(alt_key, alt))
    return;
  const piece shown = bytes_of(alt);
  for (int32_t i = 0; i < shown.length; ++i) {
    const char c = shown.bytes[i];
    if (c == '<')
      text += "&lt;";
    else if (c == '>')
      text += "&gt;";
    else
      text += c;
  }
}

// Called for every heading: one pass over the text, then its ends.
void tidy_entry_text(std::string &text) {
  char *s = &text[0];
  const size_t n = text.size();
  if (is_tidy(s, n)) return;
  size_t kept = 0;
  bool blank_before = false;
  for (size_t i = 0; i < n; ++i) {
    const char c = s[i];
    if (is_blank(c)) {
      blank_before = kept > 0;
      continue;
    }
    if (blank_before) s[kept++] = ' ';
    blank_before = false;
    s[kept++] = c;
  }
  size_t from = 0, to = kept;
  for (;;) {
    if (to > from && s[to - 1] == ' ')
      --to;
    else if (to - from >= 6 && is_non_breaking_space(s + to - 6))
      to -= 6;
    else
      break;
  }
  for (;;) {
    if (to > from && s[from] == ' ')
      ++from;
    else if (to - from >= 6 && is_non_breaking_space(s + from))
      from += 6;
    else
      break;
  }
  if (from > 0) std::memmove(s, s + from, to - from);
  text.resize(to - from);
}
