// Small pieces the transform's files share: node tests, texts joined with
// one allocation, and the texts the transform puts into pages.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <new>
#include "html/node_text_store.h"
#include "html/xml_node.h"
#include "value/krtext.h"
#include "value/krval.h"

namespace toc_text {

inline bool is_named(const xml_node *n, const char *name, int32_t length) {
  return n->name.length() == length && std::memcmp(n->name.bytes(), name, static_cast<size_t>(length)) == 0;
}

inline bool is_text(const xml_node *n) { return n->kind == XML_TEXT || n->kind == XML_ROOT; }

// A tag's name against one given in lower case, in any letter case: pages
// write <NAV> as often as <nav>.
inline bool is_named_any_case(const xml_node *n, const char *name, int32_t length) {
  if (n->name.length() != length) return false;
  const char *bytes = n->name.bytes();
  for (int32_t i = 0; i < length; ++i)
    if ((bytes[i] | 0x20) != name[i]) return false;
  return true;
}

// Whether a tag's bytes hold a word (a literal in lower case, beginning
// with a letter) in any letter case: only such tags may have that
// attribute, and the others' attributes are never read. Asked for many tags
// of a page: where a tag is long (a link's address) memchr finds the first
// letter in either case, where it is short one pass of few steps does.
template <std::size_t size>
inline bool holds_letters(const node_bytes &raw, const char (&word)[size]) {
  constexpr std::size_t length = size - 1;
  static_assert(length > 0, "a word to look for");
  const node_bytes::seen seen = raw.view();
  const std::size_t n = static_cast<std::size_t>(seen.length);
  if (n < length) return false;
  const char *s = seen.bytes;
  const char *last = s + (n - length);   // where the word may begin at the latest
  auto rest_matches = [&](const char *at) {
    std::size_t k = 1;
    while (k < length && (at[k] | 0x20) == word[k]) ++k;
    return k == length;
  };
  if (n < 48) {
    for (const char *at = s; at <= last; ++at)
      if ((*at | 0x20) == word[0] && rest_matches(at)) return true;
    return false;
  }
  for (const char first : {word[0], static_cast<char>(word[0] & ~0x20)}) {
    for (const char *at = s; at <= last; ++at) {
      at = static_cast<const char *>(std::memchr(at, first, static_cast<std::size_t>(last - at) + 1));
      if (!at) break;
      if (rest_matches(at)) return true;
    }
  }
  return false;
}

struct piece {
  const char *bytes;
  int32_t length;
};

inline piece piece_of(const krval &v) { return piece{v.c_str(), v.text_length()}; }

// The pieces one after the other into fresh storage of their own.
inline void join_into(krchar &text, std::initializer_list<piece> pieces) {
  int32_t total = 0;
  for (const piece &p : pieces) total += p.length;
  krchar joined;
  joined.reset(total);
  if (total > 0 && !joined.bytes) throw std::bad_alloc();
  char *to = joined.bytes;
  for (const piece &p : pieces) {
    if (p.length > 0) std::memcpy(to, p.bytes, static_cast<size_t>(p.length));
    to += p.length;
  }
  text.move_from(joined);
}

// The pieces one after the other in the node text store; false when out of
// memory. The text sees them there once they are copied: a piece may be
// the text's own bytes.
inline bool join_in_store(krchar &text, std::initializer_list<piece> pieces) {
  int32_t total = 0;
  for (const piece &p : pieces) total += p.length;
  char *to = total > 0 ? node_text_store::allocate(static_cast<std::size_t>(total)) : nullptr;
  if (total > 0 && !to) return false;
  char *at = to;
  for (const piece &p : pieces) {
    if (p.length > 0) std::memcpy(at, p.bytes, static_cast<size_t>(p.length));
    at += p.length;
  }
  text.borrow(to, total);
  return true;
}

// The pieces one after the other as v's text, with one allocation: a page
// has thousands of headings, each needing a few such texts.
inline void set_joined(krval &v, std::initializer_list<piece> pieces) {
  v.tag = KR_TEXT;
  join_into(v.text, pieces);
}
inline void set_joined(krtext &v, std::initializer_list<piece> pieces) { join_into(v.text, pieces); }

// The pieces one after the other as the text of a document node, kept in
// the node text store with the page's own bytes rather than in an
// allocation of its own; false when out of memory. Only for texts of nodes
// of a living document: the store goes when its last node does.
inline bool set_joined_in_store(krval &v, std::initializer_list<piece> pieces) {
  if (!join_in_store(v.text, pieces)) return false;
  v.tag = KR_TEXT;
  return true;
}
inline bool set_joined_in_store(node_bytes &v, std::initializer_list<piece> pieces) {
  krchar joined;
  return join_in_store(joined, pieces) && v.borrow(joined.bytes, joined.length);
}

// A Value's text where it stands, without terminating a text Value's bytes
// (which would copy a node's view of them).
inline piece bytes_of(const krval &v) {
  return v.is_text() ? piece{v.text.bytes, v.text.length} : piece_of(v);
}
inline piece bytes_of(const krtext &v) { return piece{v.text.bytes, v.text.length}; }
inline piece bytes_of(const node_bytes &v) {
  const node_bytes::seen seen = v.view();
  return piece{seen.bytes, seen.length};
}

// The decimal digits of a non-negative number; returns their count.
inline int32_t put_decimal(uint32_t value, char *out) {
  char digits[10];
  int32_t n = 0;
  do {
    digits[n++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value);
  for (int32_t i = 0; i < n; ++i) out[i] = digits[n - 1 - i];
  return n;
}

inline xml_node *new_text_node() {
  xml_node *n = new (std::nothrow) xml_node;
  if (!n) return nullptr;
  n->kind = XML_TEXT;
  n->closed = 1;
  return n;
}

// The text of every anchor's end, seen in place by the nodes that hold it.
constexpr char closing_anchor[] = "</a>";

// What every name made from the stamp begins with.
constexpr char made_name_prefix[] = "kryn_link_";

}  // namespace toc_text
