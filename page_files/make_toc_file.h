// make_toc_file: the whole job behind "Create or remake TOC": read the source
// into a document tree, transform it, and write the destination (which may be
// the source itself) with the TOC block in place of any old one. Beneath it,
// the same job with all the engine's options, on files or on bytes in memory.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include "html/krhtml.h"
#include "toc/html_writer.h"
#include "toc/page_settings.h"
#include "toc/toc_options.h"
#include "toc/toc_style.h"
#include "toc/toc_tree.h"
#include "value/krval.h"

using toc_progress_callback = void (*)(int32_t percent, void *context);

// 0 on success; otherwise non-zero, with the reason, ending in "\r\n", in
// message. The destination is replaced only when every byte of the new text
// reached the disk: on any failure it stays as it was. The run takes the
// current time as its stamp.
int32_t make_toc_file(const krval &source, const krval &destination, uint8_t insert_toc,
                      const toc_style &style, toc_tree &tree, toc_node *&last_entry,
                      toc_node *&first_entry, krval &message,
                      toc_progress_callback progress, void *context);

// The last two steps of writing a destination, which a test may make fail
// as a failing device would (failing writes come from the file layer's seams).
enum class destination_step { flush, move };
using destination_step_check = bool (*)(destination_step step);

class destination_batch;

// One page's run with options: what the caller gives and gets back.
struct toc_job {
  toc_options options;            // the run's options, stamp included
  // Where set, a page's TOC comment may carry settings; these choices (the
  // caller's) win over the page's, and the options are made anew from both.
  const toc_choices *chosen = nullptr;
  std::string style_folder;       // where a style file named by a page is looked for
  std::string page_name;          // the page as messages name it
  uint8_t insert_toc = 1;         // 0: anchors only, old block and markers untouched
  // Takes out what this tool inserted (block, anchors, ids) instead.
  bool remove = false;
  toc_tree *tree = nullptr;       // receives the entries; the caller's
  toc_node *last_entry = nullptr;   // in: of an earlier run on the tree; out: the last added
  toc_node *first_entry = nullptr;  // out: the first added
  // Set for a contents page across pages: the tree already holds the entries
  // its block lists, and the page's own headings are left as they are.
  bool entries_given = false;
  std::string *title = nullptr;   // where set, receives the page's title (page_title)
  krval message;                  // the reason of a failure, ending in "\r\n"
  bool too_large = false;         // out: the page was refused for its size
  toc_progress_callback progress = nullptr;
  void *context = nullptr;
  // Tests only: asked before each step; false makes it fail.
  destination_step_check step_allowed = nullptr;
  // Where set, the destination's complete new text is left in a closed
  // temporary file that the batch makes durable together with others and
  // then moves (see destination_batch), under batch_key; the job's result
  // 0 then says only that the text is written.
  destination_batch *batch = nullptr;
  // Where the destination is the source: when the new text is the source's
  // own, nothing is written (the file keeps its time), and unchanged says so.
  bool leave_unchanged = false;
  bool unchanged = false;
  // Where set, a contents page (one with contents_page_mark) is left as it
  // is, and left_contents_page says so: its block lists other pages, and
  // remaking it from its own headings would empty it. Nothing is written,
  // not even to a sink.
  bool leave_contents_pages = false;
  bool left_contents_page = false;
  std::size_t batch_key = 0;
  // Pages of this many bytes or more are refused: the window's size unless
  // the caller chooses another.
  int32_t size_limit = krhtml::kSizeLimit;
  // Refuses to write a destination of size_limit bytes or more, which no
  // run with that limit could read again. Off, as the window has always
  // been: its pages may grow past its limit.
  bool readable_again = false;
  // The system's reason for a failed write, where it gave one ("No space
  // left on device"); the message itself stays as the window shows it.
  std::string reason;
};

// A job's message as one line, without the line end it carries.
std::string message_line(const krval &message);

// The job from file to file, as make_toc_file; the same results.
int32_t make_toc_with_options(const krval &source, const krval &destination, toc_job &job);

// The job from bytes in memory to a sink: 0, or non-zero with the reason
// in job.message (nothing is then written to the sink).
int32_t make_toc_in_memory(const char *bytes, size_t length, html_sink &sink, toc_job &job);
// The same to a destination file, replaced as by the file job.
int32_t make_toc_in_memory_to_file(const char *bytes, size_t length, const krval &destination,
                                   toc_job &job);
