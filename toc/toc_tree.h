// toc_tree: the TOC entries of a run, nested by heading level, with the markup
// that renders them as a nested list between the two marker comments. The
// block goes into a Value list piece by piece; the writer empties that list
// into the output right after the insertion node.
#pragma once
#include <cstdint>
#include "value/kre_tree.h"
#include "toc/toc_options.h"
#include "value/krarr.h"
#include "value/krval.h"

struct toc_node : krnode<toc_node> {
  toc_node();
  int32_t level = 0;     // heading level
  krval entry_text;      // the heading's text, raw HTML as collected
  krval link_target;     // "#" + anchor name
  krval number_prefix;   // always empty
};

extern const char toc_start_marker[];   // "<!--KRYN_HTML_TOC_START-->"
extern const char toc_end_marker[];     // "<!--KRYN_HTML_TOC_END-->"

// The comment that follows the start marker: it tells a reader who made the
// block and that editing it is pointless, since the next run replaces it.
krval toc_explanatory_comment();

class toc_tree : public kre_tree<toc_node> {
public:
  toc_tree();

  krval indentation_unit;
  krval list_start;
  krval list_end;
  krval item_start;
  krval item_end;
  krval toc_anchor_attributes;
  int32_t indentation_length = 0;   // set by every write_toc
  toc_layout layout;                // classic by default: sub-lists after their parent's item

  // The markup texts of a run: the style's and the layout's.
  void take_markup(const toc_style &style, const toc_layout &list_layout);

  // The whole block for the chain from `first` (normally the first top-level
  // entry); nothing at all, not even the markers, when there is no entry.
  void write_toc(krarr &sink, toc_node *first);
  // One sibling chain from `first` on, each item followed by its sub-lists.
  void write_list(toc_node *first, krarr &sink);

private:
  krval indentation_for(int32_t depth) const;
  void append_item(const toc_node *entry, const krval &indentation, krarr &sink) const;
  // In a nested layout: the start of an item whose sub-list follows, and
  // its end after that sub-list.
  void append_branch_start(const toc_node *entry, const krval &indentation, krarr &sink) const;
  void append_branch_end(const krval &indentation, krarr &sink) const;
};
