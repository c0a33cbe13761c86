// The transform's knowledge of what it put into a page before: the anchors,
// ids and numbers it made, taken out by --remove, and the numbers it makes
// anew on every run.
#include <cstring>
#include <string>
#include "toc/html_toc.h"
#include "toc/node_text.h"

using namespace toc_text;

// Names made from the stamp: "kryn_link_", digits, "_", digits, and "-"
// and digits where the name stood in the page already.
static bool is_stamp_name(const char *s, int32_t n) {
  if (n < 13 || std::memcmp(s, made_name_prefix, 10) != 0) return false;
  int32_t i = 10;
  auto digits = [&] {
    const int32_t from = i;
    while (i < n && s[i] >= '0' && s[i] <= '9') ++i;
    return i > from;
  };
  if (!digits() || i >= n || s[i++] != '_' || !digits()) return false;
  if (i < n && s[i] == '-') {
    ++i;
    if (!digits()) return false;
  }
  return i == n;
}

// An id this tool added: right after the tag's name, ` id="NAME"` and the
// mark, then what ends an attribute. The tag keeps the rest as it was.
bool html_toc::remove_made_id(xml_node *heading) {
  const node_bytes &tag = heading->raw_text;
  const char *s = tag.bytes();
  const int32_t n = tag.length();
  const int32_t mark_length = static_cast<int32_t>(sizeof toc_made_id_mark - 1);
  if (n < 3 + 5 || s[0] != '<' || std::memcmp(s + 3, " id=\"", 5) != 0) return true;
  const char *close = static_cast<const char *>(std::memchr(s + 8, '"', static_cast<size_t>(n - 8)));
  if (!close) return true;
  const int32_t end = static_cast<int32_t>(close - s) + 1;
  if (n - end < mark_length || std::memcmp(s + end, toc_made_id_mark, static_cast<size_t>(mark_length)) != 0)
    return true;
  const int32_t after = end + mark_length;
  if (after < n && s[after] != ' ' && s[after] != '\t' && s[after] != '\r' && s[after] != '\n' &&
      s[after] != '>' && s[after] != '/')
    return true;
  krtext without;
  try {
    set_joined(without, {{s, 3}, {s + after, n - after}});
  } catch (const std::bad_alloc &) {
    return false;
  }
  heading->raw_text = std::move(without);
  return true;
}

// An anchor this tool put around a heading's content: the heading's first
// child, exactly as the style writes it (with the style's attributes, or
// where the style has none, the mark or a name made from the stamp), and
// the "</a>" that closes it. Its nodes are left with no text, so they write nothing.
void html_toc::remove_made_anchor(xml_node *heading) {
  xml_node *anchor = heading->first_child;
  while (anchor && is_number(anchor)) anchor = anchor->next;
  if (!anchor || anchor->kind != XML_START_TAG || !is_named(anchor, "a", 1)) return;
  const node_bytes &tag = anchor->raw_text;
  const char *s = tag.bytes();
  const int32_t n = tag.length();
  // After the name: the style's attributes, or where it has none, the mark
  // (a name not from the stamp) or nothing (a name from the stamp).
  auto ends_with = [&](const char *attributes, int32_t length) {
    return n >= 11 + length && std::memcmp(s, "<a name=\"", 9) == 0 && s[n - 1] == '>' &&
           std::memcmp(s + n - 1 - length, attributes, static_cast<size_t>(length)) == 0 &&
           s[n - 2 - length] == '"' &&
           !std::memchr(s + 9, '"', static_cast<size_t>(n - 11 - length));
  };
  const int32_t mark_length = static_cast<int32_t>(sizeof toc_made_id_mark - 1);
  const int32_t own = named_anchor_attributes.text_length();
  if (own > 0) {
    if (!ends_with(named_anchor_attributes.c_str(), own)) return;
  } else if (!ends_with(toc_made_id_mark, mark_length) &&
             !(ends_with("", 0) && is_stamp_name(s + 9, n - 11))) {
    return;
  }
  // Its end: the end tag that closed it, else an "</a>" standing where this
  // tool puts one, last in the heading before the heading's own end tag.
  // Any other "</a>" is the author's. Where there is none (taken out by
  // hand), the start goes alone.
  xml_node *closing = nullptr;
  xml_node *last = anchor->first_child ? xml_tree::last_sibling(anchor->first_child) : nullptr;
  if (last && last->kind == XML_END_TAG && last->closed && last->raw_text == closing_anchor) {
    closing = last;
  } else {
    xml_node *in_heading = xml_tree::last_sibling(anchor);
    if (in_heading != anchor && in_heading->kind == XML_END_TAG && in_heading->closed &&
        in_heading->previous != anchor)
      in_heading = in_heading->previous;
    if (in_heading != anchor && in_heading->raw_text == closing_anchor) closing = in_heading;
  }
  anchor->raw_text = "";
  if (closing) closing->raw_text = "";
}

// The text of a number this tool writes: "1. ", "1.4.2. ": digits and a
// dot, one or more times, then one blank.
static bool is_number_text(const std::string &text) {
  size_t i = 0;
  bool any = false;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
    if (i >= text.size() || text[i++] != '.') return false;
    any = true;
  }
  return any && i + 1 == text.size() && text[i] == ' ';
}

// A number this tool put at the start of a heading: the first child, a
// start tag exactly as the style writes the number's start, holding a
// number's text alone and closed by the number's end; or what is left of
// one taken out. Anything else in such a span is the author's.
bool html_toc::is_number(const xml_node *n) const {
  if (n->kind != XML_START_TAG) return false;
  const node_bytes &tag = n->raw_text;
  if (tag.length() == 0) return true;   // taken out in this run
  const std::string &start = options->layout.number_start;
  if (static_cast<size_t>(tag.length()) != start.size() ||
      std::memcmp(tag.bytes(), start.data(), start.size()) != 0 || !n->first_child)
    return false;
  const xml_node *last = xml_tree::last_sibling(n->first_child);
  const std::string &end = options->layout.number_end;
  if (last->kind != XML_END_TAG || !last->closed ||
      static_cast<size_t>(last->raw_text.length()) != end.size() ||
      std::memcmp(last->raw_text.bytes(), end.data(), end.size()) != 0)
    return false;
  std::string text;
  for (const xml_node *c = n->first_child; c != last; c = c->next) {
    if (!is_text(c) || c->first_child) return false;
    const piece bytes = bytes_of(c->raw_text);
    text.append(bytes.bytes, static_cast<size_t>(bytes.length));
  }
  return is_number_text(text);
}

// Its nodes are left with no text: they write nothing, and give the entry
// no text.
void html_toc::remove_number(xml_node *heading) {
  xml_node *first = heading->first_child;
  if (!first || !is_number(first)) return;
  first->raw_text = "";
  for (xml_node *c = first->first_child; c; c = c->next) c->raw_text = "";
}

// The entry's number, after its parent's: "1.", "1.2.", ... and a blank; as
// the heading's new first child too. False when out of memory.
bool html_toc::insert_number(xml_node *heading, toc_node *entry) {
  const int32_t place = entry->parent ? entry->parent->child_count : tree->count;
  std::string number;
  if (entry->parent) {
    const krtext &above = entry->parent->number_prefix;
    number.assign(above.c_str(), static_cast<size_t>(above.text_length() > 0 ? above.text_length() - 1 : 0));
  }
  number += std::to_string(place) + ". ";
  entry->number_prefix = krval(number.data(), static_cast<int32_t>(number.size()));
  xml_node *text = new_text_node();
  if (!text) return false;
  const std::string whole = options->layout.number_start + number + options->layout.number_end;
  text->raw_text = krval(whole.data(), static_cast<int32_t>(whole.size()));
  document->insert_first_child(text, heading);
  return true;
}

int32_t html_toc::remove_insertions() {
  if (!options) options = &default_toc_options();
  if (!document) return 0;
  heading_place h;
  for (size_t place = 0; place < places().size(); ++place) {
    if (!heading_at(place, h)) continue;
    if (options->numbers_known) remove_number(h.node);
    if (!remove_made_id(h.node)) return toc_out_of_memory;
    remove_made_anchor(h.node);
  }
  return 0;
}

