#include "html/krhtml.h"

#include <cstring>
#include <new>

#include "html/node_text_store.h"
#include "html/same_bytes.h"

namespace {

// What an element holds, as browsers read it: void elements nothing;
// script, style, xmp, iframe, noembed and noframes raw text, textarea and
// title text with references (which stay as written here anyway), each up
// to the element's end tag; plaintext all the rest of the page. Looked at
// for every start tag: the length and first letter pick the few candidates.
enum class element_content : uint8_t { markup, none, text_until_end_tag, text_to_end };

element_content content_of(const char *s, int32_t length) {
  auto is = [&](const char *v) { return same_bytes(v, s, length); };
  using c = element_content;
  switch (length) {
    case 2: return s[1] == 'r' && (s[0] == 'b' || s[0] == 'h') ? c::none : c::markup;
    case 3: return is("col") || is("img") ? c::none : is("xmp") ? c::text_until_end_tag : c::markup;
    case 4:
      return (s[0] == 'a' ? is("area") : s[0] == 'b' ? is("base") : s[0] == 'l' ? is("link") : is("meta"))
                 ? c::none
                 : c::markup;
    case 5:
      switch (s[0]) {
        case 'f': return is("frame") ? c::none : c::markup;
        case 'i': return is("input") ? c::none : c::markup;
        case 'p': return is("param") ? c::none : c::markup;
        case 's': return is("style") ? c::text_until_end_tag : c::markup;
        case 't': return is("title") ? c::text_until_end_tag : c::markup;
        default: return c::markup;
      }
    case 6:
      return (s[0] == 's' ? is("script") : s[0] == 'i' && is("iframe")) ? c::text_until_end_tag : c::markup;
    case 7: return is("isindex") ? c::none : is("noembed") ? c::text_until_end_tag : c::markup;
    case 8:
      return s[0] == 'b'   ? (is("basefont") ? c::none : c::markup)
             : s[0] == 't' ? (is("textarea") ? c::text_until_end_tag : c::markup)
                           : (is("noframes") ? c::text_until_end_tag : c::markup);
    case 9: return is("plaintext") ? c::text_to_end : c::markup;
    default: return c::markup;
  }
}

// The node kind of a token of this configuration.
xml_kind node_kind(int32_t token_kind) {
  switch (token_kind) {
    case SGML_START_TAG: return XML_START_TAG;
    case SGML_END_TAG: return XML_END_TAG;
    case SGML_DECLARATION: return XML_DECLARATION;
    case SGML_COMMENT: return XML_COMMENT;
    case SGML_SSI: return XML_SSI;
    default: return XML_UNCLASSIFIED;   // no other kind is enabled
  }
}

// Names kept by one parser are equal exactly when they are the same bytes.
bool same_name(const node_name &a, const node_name &b) {
  if (a.bytes() == b.bytes()) return true;
  const int32_t length = a.length();
  return length == b.length() && same_bytes(a.bytes(), b.bytes(), length);
}

// h1 to h6: the headings whose start tag ends an open one.
bool is_heading_name(const node_name &name) {
  const char *s = name.bytes();
  return name.length() == 2 && s[0] == 'h' && s[1] >= '1' && s[1] <= '6';
}

bool is_open_element(const xml_node *n) { return n && n->kind == XML_START_TAG && !n->closed; }

}  // namespace

bool holds_text_content(const node_name &name) {
  return !name.empty() && content_of(name.bytes(), name.length()) >= element_content::text_until_end_tag;
}

krhtml::krhtml() {
  size_limit = kSizeLimit;
  enable_kinds(kind_bit(SGML_START_TAG) | kind_bit(SGML_END_TAG) | kind_bit(SGML_COMMENT) | kind_bit(SGML_SSI));
  table[SGML_START_TAG].closing = ">";
  table[SGML_END_TAG].closing = ">";
  table[SGML_COMMENT].closing = ">";
  table[SGML_SSI].closing = "-->";
  element_name.tag = KR_TEXT;
  node_text_store::hold();
}

krhtml::~krhtml() {
  // The chunks' views go first: the store may be released as it is let go.
  clear();
  node_text_store::let_go();
}

// The chunk moves into the store, and its own storage goes back at once: the
// next chunk read is given the same storage, and the store keeps exactly the
// bytes, without the chunk's spare capacity.
void krhtml::add(krval &v) {
  krparser::add(v);
  krchar &chunk = last->value.text;
  if (last->value.tag != KR_TEXT || chunk.capacity == 0 || chunk.length == 0) return;
  char *kept = node_text_store::allocate(static_cast<std::size_t>(chunk.length));
  if (!kept) return;   // out of memory: its tokens are copied instead
  std::memcpy(kept, chunk.bytes, chunk.length);
  chunk.borrow(kept, chunk.length);
}

bool krhtml::keep_token(node_bytes &raw) {
  const int32_t length = token.text.length;
  krarrnode *chunk = token_chunk();
  const bool kept = token.text.is_view() && chunk && chunk->value.text.is_view()
                        ? raw.borrow(token.text.bytes, length)   // the chunk's bytes are the store's
                        : raw.assign(token.text.bytes, length);
  if (!kept) return false;
  token.tag = KR_TEXT;
  token.text.length = 0;
  return true;
}

bool krhtml::keep_name(node_name &name) {
  const krchar &t = element_name.text;
  const char *kept = names.keep(t.bytes, t.length);
  if (!kept) return false;
  name = node_name(kept);
  return true;
}

// The attributes are read from the tag's own bytes when first asked for.
bool krhtml::keep_tag_attributes(xml_node *n) {
  const node_bytes &raw = n->raw_text;
  return n->attributes().keep_tag(raw.bytes(), raw.length() - 1);   // without the ">"
}

int32_t krhtml::emit_text() {
  if (token.text.length == 0) return 0;
  if (!tree) return SGML_NO_MEMORY;
  if (current && current->kind == XML_TEXT && attach_place == place::after_current)
    return join_current_text() ? 0 : SGML_NO_MEMORY;
  xml_node *n = new (std::nothrow) xml_node;
  if (!n) return SGML_NO_MEMORY;
  n->kind = XML_TEXT;
  n->closed = 1;
  if (!keep_token(n->raw_text)) {
    delete n;
    return SGML_NO_MEMORY;
  }
  attach(n);
  attach_place = place::after_current;
  current = n;
  return 0;
}

int32_t krhtml::emit_token() {
  if (!tree) return SGML_NO_MEMORY;
  xml_kind k = node_kind(kind);
  const char *bytes = token.text.bytes;
  const int32_t length = token.text.length;
  element_name.text.length = 0;
  bool may_have_attributes = false;
  element_content content = element_content::markup;
  if (k == XML_START_TAG) {
    const bool slash_closed = length >= 2 && bytes[length - 2] == '/';
    may_have_attributes = tag_reader.read_name(bytes, length - 1, element_name);
    if (element_name.text.length > 0) content = content_of(element_name.text.bytes, element_name.text.length);
    if (slash_closed || content == element_content::none) k = XML_ELEMENT;
  } else if (k == XML_END_TAG) {
    tag_reader.read(bytes, length - 1, element_name, static_cast<attribute_sink *>(nullptr));
  }

  xml_node *n = new (std::nothrow) xml_node;
  if (!n) return SGML_NO_MEMORY;
  n->kind = static_cast<int8_t>(k);
  if (!keep_token(n->raw_text) || (element_name.text.length > 0 && !keep_name(n->name)) ||
      (may_have_attributes && !keep_tag_attributes(n))) {
    delete n;
    return SGML_NO_MEMORY;
  }
  n->closed = (k == XML_START_TAG || k == XML_END_TAG) ? 0 : 1;

  if (k == XML_END_TAG) {
    xml_node *c = current ? current : tree->first;
    if (c && c->kind == XML_START_TAG && !c->closed && same_name(c->name, n->name)) {
      // <a name="x"></a>: the start tag absorbs its end tag and is complete.
      c->kind = XML_ELEMENT;
      c->closed = 1;
      node_bytes &start = c->raw_text;
      const node_bytes::seen end = n->raw_text.view();
      const bool joined = (n->raw_text.is_view() && start.grow_view_over(end.bytes, end.length)) ||   // one chunk
                          start.append(end.bytes, end.length);
      delete n;
      if (!joined) return SGML_NO_MEMORY;
      attach_place = place::after_current;
      return 0;
    }
    match_end_tag(n);
  }
  if (k == XML_START_TAG && is_heading_name(n->name)) end_open_heading();
  // As in browsers, "<script/>" starts a script all the same.
  if (content >= element_content::text_until_end_tag) {
    if (content == element_content::text_to_end) read_content_as_text(nullptr, 0);
    else read_content_as_text(n->name.bytes(), n->name.length());
  }
  attach(n);
  if (k == XML_START_TAG) attach_place = place::as_last_child;
  else if (k == XML_END_TAG && n->closed) attach_place = place::after_parent;
  else attach_place = place::after_current;
  current = n;
  return note_if_landmark(n) ? 0 : SGML_NO_MEMORY;
}

// Text that goes right after a text node (a "<" that began no tag, and the
// text on either side of it) joins that node: a run of lone "<" is one node,
// not one a byte, and the bytes written are the same. Where it stands right
// after the node's bytes in the store, the node's view grows over it; else
// (across chunks) the node's text becomes a copy, so that the tree is the
// same however the page was cut into chunks. False when out of memory.
bool krhtml::join_current_text() {
  node_bytes &before = current->raw_text;
  const krchar &text = token.text;
  krarrnode *chunk = token_chunk();
  const bool in_store = text.is_view() && chunk && chunk->value.text.is_view();
  if (!(in_store && before.grow_view_over(text.bytes, text.length))) {
    if (before.length() > INT32_MAX - text.length || !before.append(text.bytes, text.length)) return false;
  }
  token.tag = KR_TEXT;
  token.text.length = 0;
  return true;
}

// The innermost open element, the one the next node goes into; none at
// the top level.
xml_node *krhtml::open_element() const {
  xml_node *c = current ? current : tree->first;
  if (!c) return nullptr;
  switch (attach_place) {
    case place::as_last_child: return c;
    case place::after_current: return c->parent;
    case place::after_parent: return c->parent ? c->parent->parent : nullptr;
  }
  return nullptr;
}

// Ends the innermost open element without an end tag of its own: what
// follows goes after it.
void krhtml::end_implied(xml_node *element) {
  if (element->first_child) leave(element);   // it was entered with its first child
  element->closed = 1;
  current = element;
  attach_place = place::after_current;
}

// As browsers read a heading's start tag: an open p that is the current
// element ends, then an open heading that is current ends too, and the new
// heading follows it instead of going inside. So a page that never closes
// its headings ("<h2>Question<p>Answer<h2>...") has sibling headings, as a
// browser shows them, and no heading holds the rest of the page.
void krhtml::end_open_heading() {
  xml_node *open = open_element();
  if (is_open_element(open) && open->name.length() == 1 && open->name.bytes()[0] == 'p') {
    end_implied(open);
    open = open->parent;
  }
  if (is_open_element(open) && is_heading_name(open->name)) end_implied(open);
}

bool krhtml::note_if_landmark(xml_node *n) {
  if (!is_landmark || !is_landmark(*n)) return true;
  try {
    landmarks_.push_back(n);
  } catch (const std::bad_alloc &) {
    return false;
  }
  return true;
}

// Climbs from the current node looking for an open ancestor of the end tag's
// name; when found it is closed, the end tag goes in as its last child, and
// the climbed-over nodes stop being ancestors of what follows.
void krhtml::match_end_tag(xml_node *end_tag) {
  if (skip_hopeless_climbs) {
    const node_name &name = end_tag->name;
    if (name.empty() || element_names::open_count(name.bytes()) == 0) return;
  }
  xml_node *start = current ? current : tree->first;
  xml_node *reached = start;
  while (reached && reached->parent &&
         (reached->parent->closed || !same_name(reached->parent->name, end_tag->name)))
    reached = reached->parent;
  if (!reached || !reached->parent) return;   // no open element of that name: stays unmatched
  xml_node *element = reached->parent;
  for (xml_node *a = start->parent; a != element; a = a->parent) leave(a);
  leave(element);
  element->closed = 1;
  end_tag->closed = 1;
  current = reached;
  attach_place = place::after_current;
}

void krhtml::enter(xml_node *ancestor) {
  if (!ancestor->closed && !ancestor->name.empty()) element_names::add_open(ancestor->name.bytes(), 1);
}

void krhtml::leave(xml_node *ancestor) {
  if (ancestor->closed || ancestor->name.empty()) return;
  element_names::add_open(ancestor->name.bytes(), -1);
}

// Every node is placed at the end of the document so far, so the sibling walks
// of the tree operations below stop at once.
void krhtml::attach(xml_node *n) {
  xml_node *c = current ? current : tree->first;
  if (!c) {
    tree->append_top_level(n);
    return;
  }
  switch (attach_place) {
    case place::as_last_child:
      tree->append_child(n, c);
      enter(c);
      break;
    case place::after_parent:
      if (c->parent) {
        xml_node *p = c->parent;
        tree->append_after_last_sibling(n, p);
        leave(p);
      } else {
        tree->append_after_last_sibling(n, c);
      }
      break;
    case place::after_current:
      tree->append_after_last_sibling(n, c);
      break;
  }
}
