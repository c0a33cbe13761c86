// Which headings a run takes for where they stand: a site's menus and
// pop-ups (nav, aside, dialog, anything hidden) are not its sections, and
// a user may name the one element whose headings alone count ("main",
// "#content", ".article").
#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "html/xml_node.h"
#include "toc/entry_text.h"
#include "value/krval.h"

// An element chosen by its tag name, its id or one of its class words.
struct element_selector {
  enum class kind : uint8_t { tag, id, class_word };
  kind by = kind::tag;
  std::string word;   // a tag name in lower case
};

// "main", "#id" or ".class"; false for anything else (nothing after # or
// ., blanks, a second selector or a combinator).
bool parse_element_selector(const std::string &text, element_selector &selector);

// The first element in document order that matches, passing over the old
// block (from start to end marker, which holds this tool's own nav); null
// where none does. Reads the attributes of those tags alone whose bytes
// hold the attribute's name.
const xml_node *first_matching_element(const xml_tree &document, const element_selector &selector,
                                       const xml_node *old_block_start, const xml_node *old_block_end);

// Asked about headings in document order, it looks at each of their
// ancestors once over all: consecutive headings share the ancestors above
// the lower of the two, which are kept with what they decide, and an
// ancestor that a heading does not have is never an ancestor of a later
// one. A page nested as deep as it is long costs no more than a flat one.
class heading_scope {
public:
  // menus_out: headings inside nav, aside, dialog or an element with the
  // hidden attribute are out, and those hidden themselves (hidden, or
  // aria-hidden="true"), which show a reader nothing. within_chosen: only
  // headings inside within are in, none where within is null.
  heading_scope(bool menus_out, bool within_chosen, const xml_node *within)
      : menus_out(menus_out), within_chosen(within_chosen), within(within) {}

  bool takes(const xml_node *heading);

private:
  bool leaves_out(const xml_node *n) const;
  // The place in the chain of the parent, made the chain's last.
  size_t lowest_ancestor(const xml_node *parent);

  const bool menus_out, within_chosen;
  const xml_node *const within;
  const krval hidden_key{"hidden"};
  const entry_reader reader;
  // The ancestors of the last heading asked about, the topmost first. The
  // heading asked about is not among them: headings side by side would
  // each be added and taken out again. A page nested a million deep has a
  // chain of a million: an ancestor weighs a link, what it decides is where
  // in the chain it starts (leaving out holds for all below the first that
  // leaves out, and so does being inside the chosen element).
  std::vector<node_link<xml_node>> chain;
  size_t first_out = SIZE_MAX, first_inside = SIZE_MAX;   // places in the chain
  // Where every kSpacing'th of them stands in the chain: an open-addressed
  // table of places in the chain plus one (0: free), twice as many as it
  // holds at least.
  static constexpr size_t kSpacing = 8;
  std::vector<uint32_t> places;
  size_t home_of(const xml_node *n) const;
  size_t place_of(const xml_node *n) const;   // chain.size() when absent
  void remember_place(size_t in_chain);
  void forget_place(size_t in_chain);
};
