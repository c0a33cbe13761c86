// toc_tree: the TOC entries of a run, nested by heading level, with the markup
// that renders them as a nested list between the two marker comments. The
// writer has the block rendered straight into its output, right after the
// insertion node.
#pragma once
#include <cstddef>
#include <cstdint>
#include <new>
#include <string>
#include "toc/html_sink.h"
#include "toc/toc_options.h"
#include "value/kre_tree.h"
#include "value/krtext.h"
#include "value/krval.h"

struct toc_node : krnode<toc_node> {
  toc_node() = default;   // empty texts, without storage: a page may have many thousands
  int32_t level = 0;      // heading level
  krtext entry_text;      // the heading's text, raw HTML as collected
  krtext link_target;     // "#" + anchor name
  krtext number_prefix;   // empty unless the entries are numbered

  // An entry with room for bytes in the same allocation, where its link
  // target and text can be viewed (view_texts): one allocation for the
  // entry of a heading instead of three. Either text may still be set anew,
  // which gives it storage of its own. Null when out of memory.
  static toc_node *with_room(int32_t bytes, char *&room) noexcept;
  void view_texts(const char *target, int32_t target_length, const char *text, int32_t text_length);

  // Every entry is allocated with malloc, with or without room.
  static void *operator new(std::size_t size);
  static void *operator new(std::size_t size, const std::nothrow_t &) noexcept;
  static void operator delete(void *p) noexcept;
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
  int32_t indentation_length = 0;   // set by every write_toc and write_list
  toc_layout layout;                // classic by default: sub-lists after their parent's item
  krval comment;                    // after the start marker, line ends around it

  // The markup texts of a run: the style's and the layout's, with line_end
  // for every line end they hold (none: as they are written, as the window
  // writes them). Where a record is given, the comment is the layout's
  // words holding it; else the window's.
  void take_markup(const toc_style &style, const toc_layout &list_layout,
                   const std::string &record = std::string(), const std::string &line_end = std::string());

  // Moves the entries of other, with their sub-entries, below parent (an
  // entry of this tree), after any children it has; other is left empty.
  // Constant time per top-level entry of other, whatever lies below them.
  void adopt_entries(toc_tree &other, toc_node *parent);

  // The whole block for the chain from `first` (normally the first top-level
  // entry); nothing at all, not even the markers, when there is no entry.
  void write_toc(html_sink &out, toc_node *first);
  // One sibling chain from `first` on, each item followed by its sub-lists.
  void write_list(toc_node *first, html_sink &out);

private:
  void write_chain(toc_node *first, class toc_block_text &text);
  void append_link(const toc_node *entry, toc_block_text &text) const;
};
