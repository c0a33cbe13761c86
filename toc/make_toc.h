// make_toc: the engine's one entry, bytes in and bytes out. A page's text
// and the options resolved for the run go in; the page with its TOC block
// goes to a sink, and the result tells what was found: the entries, the
// title, where the block went, whether anything changed, or why and on
// which line the page failed. The engine opens no file, starts no thread
// and loads no library: the style files a page names are read through the
// caller's reader, and the TOC comment pattern is matched by the caller's
// matcher (page_files/ gives both to the programs).
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include "html/krhtml.h"
#include "html/xml_node.h"
#include "toc/html_sink.h"
#include "toc/html_toc.h"
#include "toc/page_settings.h"
#include "toc/toc_options.h"
#include "toc/toc_style_file.h"
#include "toc/toc_tree.h"
#include "value/krval.h"

using toc_progress_callback = void (*)(int32_t percent, void *context);

// One page's run: what the caller gives.
struct toc_request {
  const char *bytes = nullptr;    // the page's text; it must outlive the result's page
  std::size_t length = 0;
  std::string page_name;          // the page as messages name it
  toc_options options;            // the run's options, stamp included
  // Where set, a page's TOC comment may carry settings; these choices (the
  // caller's) win over the page's, and the options are made anew from both.
  const toc_choices *chosen = nullptr;
  std::string style_folder;       // where a style file named by a page is looked for
  const style_file_reader *style_files = nullptr;
  toc_comment_matcher comment_matcher = nullptr;   // see html_toc
  uint8_t insert_toc = 1;         // 0: anchors only, old block and markers untouched
  bool remove = false;            // takes out what this tool inserted (block, anchors, ids) instead
  toc_tree *tree = nullptr;       // receives the entries; the caller's
  toc_node *last_entry = nullptr; // of an earlier run on the tree
  // Set for a contents page across pages: the tree already holds the entries
  // its block lists, and the page's own headings are left as they are.
  bool entries_given = false;
  // When the new text is the page's own, nothing is written, and the
  // result's unchanged says so.
  bool leave_unchanged = false;
  // A contents page (one with contents_page_mark) is left as it is, and the
  // result says so: its block lists other pages, and remaking it from its
  // own headings would empty it. Nothing is written.
  bool leave_contents_pages = false;
  bool wants_title = false;       // the result's title is looked for
  // Pages of this many bytes or more are refused: the window's size unless
  // the caller chooses another.
  int32_t size_limit = krhtml::kSizeLimit;
  toc_progress_callback progress = nullptr;   // 0 to 70 reading, 80 made, 100 written to the sink
  void *context = nullptr;
};

// Where the block goes in a made page, and what it lists.
struct toc_placement {
  xml_node *start_marker = nullptr;   // of the old block, left out with it
  xml_node *end_marker = nullptr;
  xml_node *insertion_node = nullptr; // the new block follows it; none: no block
};

// A made page not yet written: for a caller that writes it later (into a
// temporary file, see page_files/) and frees it when it likes. Its nodes
// see the request's bytes, which must stay until it is gone.
struct made_page {
  std::unique_ptr<xml_tree> document;
  toc_placement placement;
  uint8_t insert_toc = 1;
  toc_tree *tree = nullptr;
  toc_node *first_entry = nullptr;

  void write_to(html_sink &sink) const;
};

struct toc_result {
  krval message;                    // the reason of a failure, ending in "\r\n"
  int32_t line = 0;                 // the page's line a failure is on, where it is one
  bool too_large = false;           // the page was refused for its size
  toc_node *first_entry = nullptr;  // the first entry added
  toc_node *last_entry = nullptr;   // the last entry added
  std::string title;                // the page's title, where asked for
  bool unchanged = false;           // the new text is the page's own (leave_unchanged)
  bool left_contents_page = false;  // see leave_contents_pages
  made_page page;                   // kept where no sink was given
};

// 0, or non-zero with the reason in result.message; nothing is then written
// to the sink. Without a sink the made page is left in result.page.
int32_t make_toc(const toc_request &request, html_sink *sink, toc_result &result);

// The message of a run that ran out of memory, as the window has always
// shown it (and shows for a page beyond its size).
extern const char toc_memory_error[];

// A message as one line, without the line end it carries.
std::string message_line(const krval &message);
