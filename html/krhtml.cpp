#include "html/krhtml.h"

#include <cstring>
#include <new>

namespace {

bool same_bytes(const char *a, const char *b, int32_t n) {
  for (int32_t i = 0; i < n; ++i)
    if (a[i] != b[i]) return false;
  return true;
}

struct void_element {
  const char *name;
  int32_t length;
};
const void_element kVoidElements[] = {{"area", 4}, {"br", 2},   {"basefont", 8}, {"base", 4}, {"col", 3},
                                      {"frame", 5}, {"hr", 2},  {"img", 3},      {"input", 5}, {"isindex", 7},
                                      {"link", 4}, {"meta", 4}, {"param", 5}};

bool is_void_element(const krval &name) {
  const krchar &t = name.text;
  for (const void_element &v : kVoidElements)
    if (v.length == t.length && same_bytes(v.name, t.bytes, t.length))
      return true;
  return false;
}

bool same_name(const krval &a, const krval &b) {
  return a.text.length == b.text.length && same_bytes(a.text.bytes, b.text.bytes, a.text.length);
}

// Text of exactly these bytes in storage of its own size.
void set_bytes(krval &v, const char *bytes, int32_t length) {
  v.tag = KR_TEXT;
  v.text.reset(length);
  if (length > 0) std::memcpy(v.text.bytes, bytes, length);
}


// The token's bytes go to the node in storage of their own size; the token
// keeps its buffer for the next one.
void take_token(krval &token, krval &raw) {
  set_bytes(raw, token.text.bytes, token.text.length);
  token.tag = KR_TEXT;
  token.text.length = 0;
}

}  // namespace

krhtml::krhtml() {
  size_limit = kSizeLimit;
  enable_kinds(0x2013);
  table[SGML_START_TAG].closing = ">";
  table[SGML_END_TAG].closing = ">";
  table[SGML_COMMENT].closing = ">";
  table[SGML_SSI].closing = "-->";
  element_name.tag = KR_TEXT;
}

int32_t krhtml::emit_text() {
  if (token.text.length == 0) return 0;
  if (!tree) return SGML_NO_MEMORY;
  xml_node *n = new (std::nothrow) xml_node;
  if (!n) return SGML_NO_MEMORY;
  n->kind = XML_TEXT;
  n->closed = 1;
  take_token(token, n->raw_text);
  attach(n);
  attach_mode = 3;
  current = n;
  return 0;
}

int32_t krhtml::emit_token() {
  if (!tree) return SGML_NO_MEMORY;
  int32_t k = kind;
  const char *bytes = token.text.bytes;
  const int32_t length = token.text.length;
  bool has_attributes = false;
  element_name.text.length = 0;
  if (k == SGML_START_TAG) {
    if (length >= 2 && bytes[length - 2] == '/') k = XML_ELEMENT;
    tag_reader.read(bytes, length - 1, element_name, &attributes);
    has_attributes = true;
  } else if (k == SGML_END_TAG) {
    tag_reader.read(bytes, length - 1, element_name, nullptr);
  }
  if (k == SGML_START_TAG && element_name.text.length > 0 && is_void_element(element_name)) k = XML_ELEMENT;

  xml_node *n = new (std::nothrow) xml_node;
  if (!n) {
    attributes.clear();
    return SGML_NO_MEMORY;
  }
  n->kind = k;
  take_token(token, n->raw_text);
  if (element_name.text.length > 0) set_bytes(n->name, element_name.text.bytes, element_name.text.length);
  if (has_attributes && attributes.count() > 0) n->attributes.take_entries(attributes);
  n->closed = (k == XML_START_TAG || k == XML_END_TAG) ? 0 : 1;

  if (k == XML_END_TAG) {
    xml_node *c = current ? current : tree->first;
    if (c && c->kind == XML_START_TAG && !c->closed && same_name(c->name, n->name)) {
      // <a name="x"></a>: the start tag absorbs its end tag and is complete.
      c->kind = XML_ELEMENT;
      c->closed = 1;
      c->raw_text.append_bytes(n->raw_text.text.bytes, n->raw_text.text.length);
      delete n;
      attach_mode = 3;
      return 0;
    }
    match_end_tag(n);
  }
  attach(n);
  if (k == XML_START_TAG) attach_mode = 1;
  else if (k == XML_END_TAG && n->closed) attach_mode = 2;
  else attach_mode = 3;
  current = n;
  return 0;
}

// Climbs from the current node looking for an open ancestor of the end tag's
// name; when found it is closed, the end tag goes in as its last child, and
// the climbed-over nodes stop being ancestors of what follows.
void krhtml::match_end_tag(xml_node *end_tag) {
  if (skip_hopeless_climbs) {
    if (open_ancestors.get(end_tag->name.text.bytes, end_tag->name.text.length) == 0) return;
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
  attach_mode = 3;
}

void krhtml::enter(xml_node *ancestor) {
  if (!ancestor->closed) open_ancestors.add(ancestor->name.text.bytes, ancestor->name.text.length, 1);
}

void krhtml::leave(xml_node *ancestor) {
  if (ancestor->closed) return;
  open_ancestors.add(ancestor->name.text.bytes, ancestor->name.text.length, -1);
}

// Every node is placed at the end of the document so far, so the sibling walks
// of the tree operations below stop at once.
void krhtml::attach(xml_node *n) {
  xml_node *c = current ? current : tree->first;
  if (!c) {
    tree->append_top_level(n);
    return;
  }
  switch (attach_mode) {
    case 1:
      tree->append_child(n, c);
      enter(c);
      break;
    case 2:
      if (c->parent) {
        xml_node *p = c->parent;
        tree->append_after_last_sibling(n, p);
        leave(p);
      } else {
        tree->append_after_last_sibling(n, c);
      }
      break;
    default:
      tree->append_after_last_sibling(n, c);
      break;
  }
}
