#include "toc/html_toc.h"

#include <cstring>
#include <initializer_list>
#include <new>
#include "html/regex_binding.h"
#include "toc/run_stamp.h"

const char toc_comment_pattern_text[] = "<!--[ \t\r\n]*toc[ \t\r\n]*-->";

// Called for every start tag of a page, twice: it reads the name's bytes in
// place instead of asking for a terminated copy.
int32_t pre_html_toc::heading_level(const krval &name) const {
  if (!name.is_text()) return heading_level(krval(name.c_str()));
  if (name.text.length != 2) return 0;
  const char *s = name.text.bytes;
  if (s[0] != 'h' && s[0] != 'H') return 0;
  int32_t level = static_cast<signed char>(s[1]) - '0';
  return level >= range_from && level <= range_to ? level : 0;
}

html_toc::html_toc()
    : named_anchor_attributes(""), toc_comment_pattern(toc_comment_pattern_text) {}

static bool is_comment(const xml_node *n) {
  return n->kind == XML_COMMENT || n->kind == XML_SSI;
}

static bool is_named(const xml_node *n, const char *name, int32_t length) {
  return n->name.is_text() && n->name.text.length == length &&
         std::memcmp(n->name.text.bytes, name, static_cast<size_t>(length)) == 0;
}

static bool is_text(const xml_node *n) {
  return n->kind == XML_TEXT || n->kind == XML_ROOT;
}

// The pattern can only match where the letters t, o, c stand together, so
// comments without them are passed over without compiling the pattern: a page
// of many comments before its TOC comment stays linear and cheap.
static bool may_hold_toc_word(const krval &text) {
  // Read in place: terminating the text would copy a parsed node's bytes.
  int32_t n = text.text_length();   // renders a non-text Value's text there too
  const char *s = text.text.bytes;
  for (int32_t i = 0; i + 2 < n; ++i)
    if ((s[i] | 0x20) == 't' && (s[i + 1] | 0x20) == 'o' && (s[i + 2] | 0x20) == 'c')
      return true;
  return false;
}

bool html_toc::is_toc_comment(const xml_node *comment) const {
  if (!may_hold_toc_word(comment->raw_text)) return false;
  return regex_match(toc_comment_pattern, REGEX_ICASE, comment->raw_text) == 0;
}

// The level of a start tag with content and a heading name within the
// range, else 0. The name's length is looked at first: most start tags are
// not headings.
int32_t html_toc::qualifying_level(const xml_node *n) const {
  if (n->kind != XML_START_TAG || !n->first_child) return 0;
  const krval &name = n->name;
  if (name.is_text() && (name.text.length != 2 || (name.text.bytes[0] | 0x20) != 'h')) return 0;
  return heading_level(name);
}

// The first pass: the nodes in document order, numbered as they are met:
// the landmarks where the parser listed them, else every node. It finds the
// places of the first body, heading, TOC comment and markers, and lists
// every qualifying heading, so that the second pass need not walk the
// document again.
void html_toc::find_places() {
  headings.clear();
  if (landmarks) {
    uint32_t place = 0;
    for (xml_node *n : *landmarks) look_at(n, place++);
    return;
  }
  uint32_t place = 0;
  for (xml_node *n = document->first; n; n = xml_tree::next_in_order(n)) look_at(n, place++);
}

void html_toc::look_at(xml_node *n, uint32_t place) {
  if (n->kind == XML_START_TAG) {
    if (int32_t level = qualifying_level(n)) {
      if (!first_heading) first_heading = n;
      headings.push_back(heading_place{n, level, place});
    } else if (!body_node && is_named(n, "body", 4)) {
      body_node = n;
      body_place = place;
    }
  } else if (is_comment(n)) {
    if (!insertion_node && is_toc_comment(n)) {
      insertion_node = n;
      toc_comment_place = place;
    } else if (!start_marker && n->raw_text == toc_start_marker) {
      start_marker = n;
      start_marker_place = place;
    } else if (!end_marker && n->raw_text == toc_end_marker) {
      end_marker = n;
    }
  }
}

// The node written just before n: the deepest last descendant of its previous
// sibling, or else its parent.
static xml_node *previous_in_order(xml_node *n) {
  if (!n->previous) return n->parent;
  xml_node *p = n->previous;
  while (p->first_child) p = xml_tree::last_sibling(p->first_child);
  return p;
}

// The second pass begins at the insertion node: it takes the headings from
// that node's place on, the ones it would meet walking on from there.
void html_toc::choose_insertion_node() {
  if (insertion_node) {
    insertion_place = toc_comment_place;
    return;
  }
  if (body_node) {
    insertion_node = body_node;
    insertion_place = body_place;
    return;
  }
  // Without a heading, the root; else a node before the first heading: every
  // heading comes after either.
  insertion_place = 0;
  if (!first_heading) {
    insertion_node = document->first;
    return;
  }
  xml_node *climb = first_heading;
  while (climb && !climb->previous) climb = climb->parent;
  insertion_node = climb ? climb->previous : nullptr;

  // In a remade page without a body, the climb can land on the old end marker
  // (or inside the old block): the writer leaves that stretch out, so the new
  // block would vanish with the old one. It takes the old block's place instead.
  if (!insertion_node || !start_marker || !end_marker) return;
  bool inside_old_block = false;
  for (xml_node *n = start_marker; n; n = xml_tree::next_in_order(n)) {
    if (n == insertion_node) {
      inside_old_block = true;
      break;
    }
    if (n == end_marker) break;
  }
  if (!inside_old_block) return;
  if (xml_node *before = previous_in_order(start_marker)) {
    insertion_node = before;
    insertion_place = start_marker_place;   // and the node just before it
  }
}

namespace {

struct piece {
  const char *bytes;
  int32_t length;
};

piece piece_of(const krval &v) { return piece{v.c_str(), v.text_length()}; }

// The pieces one after the other as v's text, with one allocation: a page
// has thousands of headings, each needing a few such texts.
void set_joined(krval &v, std::initializer_list<piece> pieces) {
  int32_t total = 0;
  for (const piece &p : pieces) total += p.length;
  v.tag = KR_TEXT;
  v.text.reset(total);
  if (total > 0 && !v.text.bytes) throw std::bad_alloc();
  char *to = v.text.bytes;
  for (const piece &p : pieces) {
    if (p.length > 0) std::memcpy(to, p.bytes, static_cast<size_t>(p.length));
    to += p.length;
  }
}

// The decimal digits of a non-negative number; returns their count.
int32_t put_decimal(uint32_t value, char *out) {
  char digits[10];
  int32_t n = 0;
  do {
    digits[n++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value);
  for (int32_t i = 0; i < n; ++i) out[i] = digits[n - 1 - i];
  return n;
}

xml_node *new_text_node() {
  xml_node *n = new (std::nothrow) xml_node;
  if (!n) return nullptr;
  n->kind = XML_TEXT;
  n->closed = 1;
  return n;
}

// The text of every anchor's end, seen in place by the nodes that hold it.
const char closing_anchor[] = "</a>";

}  // namespace

// The listed headings inside this one are part of its entry's text: the
// walk over its descendants passes them, and next_heading with them.
int32_t html_toc::anchor_heading(xml_node *heading, toc_node *entry, size_t &next_heading) {
  // The heading's descendants end where the walk leaves its subtree.
  xml_node *const after = xml_tree::next_after_subtree(heading);
  krval own_name;
  bool anchor_found = false;
  krval text;
  text.tag = KR_TEXT;
  static const krval name_key("name");
  for (xml_node *d = heading->first_child; d && d != after; d = xml_tree::next_in_order(d)) {
    if (next_heading < headings.size() && headings[next_heading].node == d) ++next_heading;
    if (!anchor_found && d->kind == XML_START_TAG && is_named(d, "a", 1)) {
      krval value;
      if (d->attributes.get(name_key, value) && value.text_length() > 0) {
        own_name.assign_text_of(value);
        anchor_found = true;
      }
    }
    if (is_text(d)) text.append(d->raw_text);
  }

  // "kryn_link_", the counter and the stamp's suffix of at most 12 bytes.
  char new_name[10 + 10 + 16];
  piece name{nullptr, 0};
  if (anchor_found) {
    name = piece_of(own_name);
  } else {
    std::memcpy(new_name, "kryn_link_", 10);
    int32_t length = 10 + put_decimal(static_cast<uint32_t>(anchor_counter), new_name + 10);
    const piece suffix = piece_of(stamp_suffix);
    std::memcpy(new_name + length, suffix.bytes, static_cast<size_t>(suffix.length));
    name = piece{new_name, length + suffix.length};

    xml_node *opening = new_text_node();
    xml_node *closing = new_text_node();
    if (!opening || !closing) {
      delete opening;
      delete closing;
      return 3;
    }
    try {
      set_joined(opening->raw_text,
                 {{"<a name=\"", 9}, name, {"\"", 1}, piece_of(named_anchor_attributes), {">", 1}});
    } catch (const std::bad_alloc &) {
      delete opening;
      delete closing;
      return 3;
    }
    closing->raw_text.text.borrow(closing_anchor, 4);
    document->insert_first_child(opening, heading);
    xml_node *last = xml_tree::last_sibling(heading->first_child);
    if (last->kind == XML_END_TAG && last->closed)
      document->insert_before(closing, last);
    else
      document->insert_after(closing, last);
  }

  entry->entry_text = std::move(text);
  try {
    set_joined(entry->link_target, {{"#", 1}, name});
  } catch (const std::bad_alloc &) {
    return 3;
  }
  return 0;
}

int32_t html_toc::transform() {
  stamp = take_run_stamp();
  stamp_suffix = "_";
  stamp_suffix.append(krval(stamp));
  anchor_counter = 0;
  if (!document || !tree) return 0;

  try {
    find_places();
  } catch (const std::bad_alloc &) {
    return 3;
  }
  choose_insertion_node();

  if (!insertion_node) return 0;
  // Listed in document order, the headings inside one that gets its anchor
  // follow it: anchoring it moves past them.
  size_t next = 0;
  while (next < headings.size()) {
    const heading_place &h = headings[next++];
    if (h.place < insertion_place && h.node != insertion_node) continue;
    ++anchor_counter;
    toc_node *entry = new (std::nothrow) toc_node;
    if (!entry) return 3;
    entry->level = h.level;
    add_entry(entry);
    if (anchor_heading(h.node, entry, next) != 0) return 3;
  }
  return 0;
}

// The current entry and all its ancestors are the last entries of their
// chains (every entry goes to the end of one), so each append starts from the
// node the climb is at and finds the chain's end at once: a page of hundreds
// of thousands of headings costs no more per heading than a short one.
void html_toc::add_entry(toc_node *entry) {
  const int32_t level = entry->level;
  toc_node *from_below = nullptr;   // the child of c the climb came from
  for (toc_node *c = current_entry; c; from_below = c, c = c->parent) {
    if (level > c->level) {
      if (from_below)
        tree->insert_after(entry, toc_tree::last_sibling(from_below));
      else
        tree->append_child(entry, c);
      current_entry = entry;
      return;
    }
    if (level == c->level) {
      tree->append_after_last_sibling(entry, c);
      current_entry = entry;
      return;
    }
  }
  if (!tree->first)
    tree->append_top_level(entry);
  else
    tree->append_after_last_sibling(entry, from_below ? from_below : tree->first);
  current_entry = entry;
}
