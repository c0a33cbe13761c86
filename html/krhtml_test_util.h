// Helpers shared by the parser tests and the fuzz target: parsing a text cut
// at given places, and describing a tree so that two trees can be compared.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>
#include "html/krhtml.h"

namespace parse_test {

struct parsed {
  std::unique_ptr<xml_tree> tree = std::make_unique<xml_tree>();
  int32_t status = -1;
  std::vector<xml_node *> landmarks;   // the parser's, after the final step
};

// Parses text as a file job does: a root node first, chunks ending at the
// given cut positions (ascending), a step after each, then the final step.
inline parsed parse(const std::string &text, const std::vector<size_t> &cuts = {},
                    bool skip_hopeless_climbs = true, krhtml::node_test is_landmark = nullptr) {
  parsed out;
  xml_node *root = new xml_node;
  out.tree->append_top_level(root);
  krhtml parser;
  parser.skip_hopeless_climbs = skip_hopeless_climbs;
  parser.is_landmark = is_landmark;
  parser.set_tree(out.tree.get());
  size_t from = 0;
  std::vector<size_t> ends = cuts;
  ends.push_back(text.size());
  for (size_t end : ends) {
    if (end < from || end > text.size()) continue;
    krval chunk(text.data() + from, static_cast<int32_t>(end - from));
    parser.add(chunk);
    from = end;
    out.status = parser.step();
    if (out.status != 0) return out;
  }
  parser.mark_input_complete();
  out.status = parser.step();
  out.landmarks = parser.take_landmarks();
  return out;
}

inline std::string bytes_of(const node_bytes &v) { return v.str(); }

// The raw texts of all nodes in document order: what the writer produces.
inline std::string written(const xml_tree &t) {
  std::string out;
  for (xml_node *n = t.first; n; n = xml_tree::next_in_order(n)) out += bytes_of(n->raw_text);
  return out;
}

inline std::string escaped(const std::string &s) {
  std::string out;
  for (unsigned char c : s) {
    if (c >= 32 && c < 127 && c != '\\') {
      out += static_cast<char>(c);
    } else {
      static const char hex[] = "0123456789abcdef";
      out += "\\x";
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

// One line per node in document order: depth, kind, name, closed flag,
// attributes and raw text. Iterative, so it serves deep trees too.
inline std::string describe(const xml_tree &t, bool with_raw = true) {
  std::string out;
  int depth = 0;
  for (xml_node *n = t.first; n;) {
    out += std::to_string(depth) + " k" + std::to_string(n->kind) + " c" + std::to_string(n->closed);
    if (!n->name.empty()) out += " <" + escaped(n->name.str()) + ">";
    if (const krhash *map = n->attributes().find_map()) {
      krhash &m = const_cast<krhash &>(*map);
      krval key, value;
      m.begin_iteration();
      while (m.next(key, value)) out += " " + escaped(key.str()) + "=\"" + escaped(value.str()) + "\"";
    }
    if (with_raw) out += " |" + escaped(bytes_of(n->raw_text)) + "|";
    out += "\n";
    if (n->first_child) {
      n = n->first_child;
      ++depth;
      continue;
    }
    while (n && !n->next) {
      n = n->parent;
      --depth;
    }
    if (n) n = n->next;
  }
  return out;
}

// Links agree everywhere (a lost parent or sibling link shows here).
inline bool links_consistent(const xml_tree &t) {
  int32_t top = 0;
  for (xml_node *n = t.first; n; n = n->next) {
    if (n->parent || (n->previous ? n->previous->next != n : n != t.first)) return false;
    ++top;
  }
  if (top != t.count) return false;
  for (xml_node *n = t.first; n; n = xml_tree::next_in_order(n)) {
    for (xml_node *c = n->first_child; c; c = c->next)
      if (c->parent != n || (c->previous ? c->previous->next != c : c != n->first_child)) return false;
  }
  return true;
}

// Document nodes do not count their children: they are counted here.
inline int32_t child_count(const xml_node *n) {
  int32_t count = 0;
  for (const xml_node *c = n->first_child; c; c = c->next) ++count;
  return count;
}

}  // namespace parse_test
