#include "toc/page_title.h"

namespace {

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

void append_collapsed(const node_bytes &text, std::string &out, bool &space_pending) {
  const char *bytes = text.bytes();
  for (int32_t i = 0, n = text.length(); i < n; ++i) {
    if (is_space(bytes[i])) {
      space_pending = !out.empty();
      continue;
    }
    if (space_pending) out += ' ';
    space_pending = false;
    out += bytes[i];
  }
}

}  // namespace

std::string page_title(const xml_tree &document) {
  std::string title;
  for (xml_node *n = document.first; n; n = xml_tree::next_in_order(n)) {
    if (n->kind != XML_START_TAG || !(n->name == "title")) continue;
    // The parser reads a title's content as text, up to its end tag.
    bool space_pending = false;
    for (xml_node *c = n->first_child; c; c = c->next)
      if (c->kind == XML_TEXT) append_collapsed(c->raw_text, title, space_pending);
    break;
  }
  return title;
}
