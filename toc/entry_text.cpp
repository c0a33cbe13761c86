#include "toc/entry_text.h"

#include "toc/node_text.h"

using namespace toc_text;

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }

// An attribute value in any letter case against one given in lower case,
// blanks around it allowed.
bool is_word_any_case(const piece &value, const char *word) {
  int32_t from = 0, to = value.length;
  while (from < to && is_blank(value.bytes[from])) ++from;
  while (to > from && is_blank(value.bytes[to - 1])) --to;
  int32_t i = 0;
  for (; from + i < to && word[i]; ++i)
    if ((value.bytes[from + i] | 0x20) != word[i]) return false;
  return from + i == to && !word[i];
}

constexpr const char *non_breaking_spaces[] = {"&nbsp;", "&#160;", "&#xa0;", "&#xA0;", "&#XA0;"};

// The length of a blank or a non-breaking space reference that text ends
// with (at_end) or begins with, else 0.
size_t space_at(const std::string &text, bool at_end) {
  if (text.empty()) return 0;
  if (is_blank(at_end ? text.back() : text.front())) return 1;
  for (const char *space : non_breaking_spaces) {
    const size_t length = std::char_traits<char>::length(space);
    if (text.size() >= length &&
        text.compare(at_end ? text.size() - length : 0, length, space) == 0)
      return length;
  }
  return 0;
}

}  // namespace

bool entry_reader::hides_content(const xml_node *n) const {
  if (n->kind != XML_START_TAG) return false;
  if (is_named_any_case(n, "button", 6) || is_named_any_case(n, "template", 8)) return true;
  if (!holds_letters(n->raw_text, "hidden")) return false;
  if (n->attributes.has(hidden_key)) return true;
  krval value;
  return n->attributes.get(aria_hidden_key, value) && is_word_any_case(bytes_of(value), "true");
}

void entry_reader::append_shown(const xml_node *tag, std::string &text) const {
  if (tag->kind != XML_START_TAG && tag->kind != XML_ELEMENT) return;
  if (is_named_any_case(tag, "br", 2)) {
    text += ' ';
    return;
  }
  krval alt;
  if (!is_named_any_case(tag, "img", 3) || !holds_letters(tag->raw_text, "alt") ||
      !tag->attributes.get(alt_key, alt))
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

void tidy_entry_text(std::string &text) {
  size_t kept = 0;
  bool blank_before = false;
  for (const char c : text) {
    if (is_blank(c)) {
      blank_before = kept > 0;
      continue;
    }
    if (blank_before) text[kept++] = ' ';
    blank_before = false;
    text[kept++] = c;
  }
  text.resize(kept);
  while (size_t length = space_at(text, true)) text.resize(text.size() - length);
  size_t from = 0;
  while (size_t length = space_at(text.substr(from, 8), false)) from += length;
  text.erase(0, from);
}
