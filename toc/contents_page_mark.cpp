#include "toc/contents_page_mark.h"

const char contents_page_mark[] = "<meta name=\"generator\" content=\"quenby-toc --index\">";

bool has_contents_page_mark(const xml_tree &document) {
  const krval name_key("name"), content_key("content");
  krval value;
  for (xml_node *n = document.first; n; n = xml_tree::next_in_order(n)) {
    if ((n->kind != XML_START_TAG && n->kind != XML_ELEMENT) || !(n->name == "meta")) continue;
    if (!n->attributes().get(name_key, value)) continue;
    value.lower_case();
    if (value == "generator" && n->attributes().get(content_key, value) && value == "quenby-toc --index")
      return true;
  }
  return false;
}
