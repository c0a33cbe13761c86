// Which headings a run takes for where they stand: a site's menus and
// pop-ups (nav, aside, dialog, anything hidden) are not its sections, and
// a user may name the one element whose headings alone count ("main",
// "#content", ".article").
#pragma once
#include <cstdint>
#include <string>
#include <unordered_map>
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
  struct ancestor {
    const xml_node *node;
    bool out;      // it or one above it leaves its headings out
    bool inside;   // it or one above it is the chosen element
  };
  bool leaves_out(const xml_node *n) const;
  const ancestor *lowest_ancestor(const xml_node *parent);

  const bool menus_out, within_chosen;
  const xml_node *const within;
  const krval hidden_key{"hidden"};
  const entry_reader reader;
  // The ancestors of the last heading asked about, the topmost first, and
  // where each stands among them. The heading asked about is not among
  // them: headings side by side would each be added and taken out again.
  std::vector<ancestor> chain;
  std::unordered_map<const xml_node *, size_t> place_in_chain;
  std::vector<const xml_node *> climbed;
};
