// toc_options: everything one run of the engine is told by its caller: the
// style's twelve fields, how the list nests, how headings get their anchors
// and names, which headings are left out, and the run's time stamp. The
// window's run is the defaults with the current time.
#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "toc/toc_style.h"

// Where a heading's anchor name goes.
enum class toc_anchor_mode : uint8_t {
  name,   // an <a name="..."> around the heading's content
  id,     // an id="..." attribute in the heading's start tag
};

// How new anchor names are made.
enum class toc_naming : uint8_t {
  stamp,   // "kryn_link_" + counter + "_" + stamp
  slug,    // readable, from the heading's text
};

// What the twelve fields of a style cannot say: text around the whole list,
// and lists that nest inside their parent's item (as valid HTML has them)
// rather than after it. A branch is an item with a sub-list; its texts are
// written only in a nested layout.
struct toc_layout {
  std::string toc_start;            // after the explanatory comment, before the list
  std::string toc_end;              // after the list, before the end marker
  bool nested = false;              // a sub-list inside its parent's item
  std::string branch_start;         // after a branch's item start
  std::string branch_link_end;      // after a branch's link, before its sub-list
  std::string branch_end;           // after a branch's sub-list, before its item end
  // Around the number a heading gets at the start of its content; the start
  // marks it as this tool's, so that a remake finds it again.
  std::string number_start = "<span class=\"toc_number\">";
  std::string number_end = "</span>";
  // The words of the comment after the start marker, where the settings of
  // the run are recorded: at {record}, else after the words.
  std::string comment = "Table of contents by {record}; remade on every run, edits between the markers are lost";
  // What a screen reader calls the list; {label} in toc_start stands for it.
  std::string label = "Table of contents";
};

// What a style gives a page unless its settings say otherwise.
struct style_preferences {
  toc_anchor_mode anchors = toc_anchor_mode::name;
  toc_naming names = toc_naming::stamp;
  // Where the page has no line end of its own.
  const char *line_end = "\r\n";
  bool classic = true;   // the window's style, not one over it
};

struct toc_options {
  toc_style style;                          // markup and heading range
  toc_layout layout;
  toc_anchor_mode anchors = toc_anchor_mode::name;
  toc_naming names = toc_naming::stamp;
  // An id the heading already has names its anchor. Off in the window's
  // form of the page (classic with nothing else), which knows only the
  // <a name> inside a heading.
  bool heading_ids = false;
  std::vector<std::string> skip_classes;    // headings with one of these class words stay out
  int32_t stamp = 0;                        // of this run's new names
  // Decimal numbers ("1.4.2. ") at the start of every listed heading and in
  // its TOC item.
  bool number = false;
  // Numbers this tool put into headings are known again: replaced, or taken
  // out where numbering is off. Off for the window's run, which knows none.
  bool numbers_known = false;
  // Entries are what a reader sees of their headings (alt text for images;
  // no buttons, templates or hidden text; blanks collapsed), and headings
  // in menus and pop-ups (nav, aside, dialog, hidden) or of class notoc are
  // left out. Off for the classic style, the window's.
  bool reader_entries = false;
  // Only headings inside the first element that this selects ("main",
  // "#id", ".class"), wherever the TOC stands; empty: every heading after
  // the TOC's place.
  std::string within;
  // The settings the block records in its comment ("quenby-toc
  // (style=html5 levels=2-3)"); empty: the window's comment, read back as
  // classic.
  std::string record;
  // The line end of the block's markup and comment: none for the window,
  // which writes the markup as it stands; else the page's own (its first),
  // chosen for each page.
  std::string line_end;
  bool line_end_of_page = false;
  style_preferences preferred;   // of the style, under the settings
};

// The window's options, with stamp 0: what the window's run starts from.
const toc_options &default_toc_options();

// The style of the window, which every style file starts from.
extern const char classic_style[];

// The predefined styles by name (classic, html5, ol, details): false for
// another name.
bool predefined_style(const std::string &name, toc_style &style, toc_layout &layout,
                      style_preferences &preferences);
bool is_predefined_style(const std::string &name);

// The attribute that marks an id this tool added to a heading, so that it is
// known again as ours (the author's ids carry no such mark).
constexpr char toc_made_id_mark[] = " data-kryn-toc";
