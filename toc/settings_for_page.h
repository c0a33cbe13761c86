// The options one page is made with. The window's are its own. The command
// line's come from layers: the page's TOC comment, then the command line,
// then the settings the page's block records of the run that made it, then
// the defaults; its block records all but the page's comment, so that a page
// is remade, checked and removed as it was made, without options.
#pragma once
#include <cstdint>
#include <string>
#include "html/xml_node.h"
#include "toc/html_toc.h"
#include "toc/page_settings.h"
#include "toc/toc_options.h"
#include "toc/toc_style_file.h"

// What the caller of a page's run chose, and where a style file named by the
// page is looked for.
struct page_settings_request {
  // The run's options, stamp included: made from chosen over defaults,
  // and taken as they are by every page whose layers add nothing.
  const toc_options *options = nullptr;
  // The command line's choices; where null, pages carry no settings and
  // the run's options are every page's.
  const toc_choices *chosen = nullptr;
  std::string style_folder;
  const style_file_reader *style_files = nullptr;   // reads the style files pages name
  // Below every layer; the run's options are these under chosen.
  const toc_choices *defaults = &command_line_defaults();
};

// A page's settings that cannot be used: the reason, and the line of the
// page it is on.
struct page_settings_error {
  int32_t line = 0;
  std::string reason;
};

// The line of a node: one more than the line ends written before it.
int32_t line_of(const xml_tree &document, const xml_node *node);

// The settings the block between the transform's markers records; by its
// markup where its comment holds no record (the window's is classic). False
// where the page has no block.
bool block_settings(const html_toc &transform, toc_choices &settings);

// Sets options to the request's own, or to page_options made for the page.
// False with the error set.
bool options_for_page(const xml_tree &document, const html_toc &transform,
                      const page_settings_request &request, toc_options &page_options,
                      const toc_options *&options, page_settings_error &error);
