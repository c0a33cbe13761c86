// krhtml: the HTML parser. Tokenizes with the HTML configuration of krsgml
// (start tags, end tags, comments, server-side includes) and builds the
// document tree while reading: every token becomes an xml_node holding its
// exact bytes, so the tree written in document order is the input again.
#pragma once
#include <cstdint>
#include <vector>
#include "html/element_names.h"
#include "html/krsgml.h"
#include "html/krtag_reader.h"
#include "html/xml_node.h"

// Whether an element's content is read as text, not markup (script, style,
// textarea, title, xmp, iframe, noembed, noframes, plaintext): it is inert
// where it stands, and must never be copied anywhere as markup.
bool holds_text_content(const node_name &name);

class krhtml : public krsgml {
public:
  static constexpr int32_t kSizeLimit = 4194304;

  krhtml();
  ~krhtml() override;

  // Takes a chunk like krparser::add. Its bytes go to the node text store,
  // so that the nodes made of it can see them in place.
  void add(krval &v) override;

  // The tree to fill (not owned). It should hold the file job's root node;
  // all content goes after it.
  void set_tree(xml_tree *t) { tree = t; }

  int32_t emit_text() override;
  int32_t emit_token() override;

  xml_tree *tree = nullptr;
  // Where the next node goes, relative to the current one.
  enum class place : uint8_t {
    as_last_child = 1,   // after a start tag: into the element it opens
    after_parent = 2,    // after an end tag that closed its element
    after_current = 3,
  };
  place attach_place = place::after_current;
  xml_node *current = nullptr;

  // Off, an end tag climbs towards the top even when no open element of its
  // name is there (the outcome is the same, only slower); for tests.
  bool skip_hopeless_climbs = true;

  // Which nodes the caller wants listed as they are read (landmarks), asked
  // of each node as it is attached, before a later end tag may still make
  // a start tag a complete element. None: no node is listed.
  using node_test = bool (*)(const xml_node &n);
  node_test is_landmark = nullptr;

  // The landmarks in document order. A page has few among hundreds of
  // thousands of nodes, so what looks for them need not walk the whole
  // tree. They stay valid for as long as the tree keeps those nodes.
  std::vector<xml_node *> take_landmarks() { return std::move(landmarks_); }

private:
  // The token's bytes as the node text raw: a view of the chunk where they
  // stand in one piece, else a copy; false when out of memory.
  bool keep_token(node_bytes &raw);
  bool keep_name(node_name &name);
  bool keep_tag_attributes(xml_node *n);
  void attach(xml_node *n);
  void match_end_tag(xml_node *end_tag);
  bool join_current_text();
  xml_node *open_element() const;
  void end_implied(xml_node *element);
  void end_open_heading();
  void enter(xml_node *ancestor);
  void leave(xml_node *ancestor);
  bool note_if_landmark(xml_node *n);   // false when out of memory

  krtag_reader tag_reader;
  krval element_name;

  // Every element name kept once, with its count of open ancestors; the
  // names of this parser's nodes are all kept here, and the ancestors of
  // the nodes it attaches are all its own.
  element_names names;

  std::vector<xml_node *> landmarks_;
};
