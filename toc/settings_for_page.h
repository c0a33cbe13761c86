// The options one page is made with: the caller's, or, where the page's TOC
// comment carries settings, those merged with the caller's choices.
#pragma once
#include <cstdint>
#include <string>
#include "html/xml_node.h"
#include "toc/html_toc.h"
#include "toc/page_settings.h"
#include "toc/toc_options.h"

// What the caller of a page's run chose, and where a style file named by the
// page is looked for.
struct page_settings_request {
  const toc_options *options = nullptr;   // the run's options, stamp included
  const toc_choices *chosen = nullptr;    // where null, pages carry no settings
  std::string style_folder;
};

// A page's settings that cannot be used: the reason, and the line of the
// page it is on.
struct page_settings_error {
  int32_t line = 0;
  std::string reason;
};

// The line of a node: one more than the line ends written before it.
int32_t line_of(const xml_tree &document, const xml_node *node);

// Sets options to the request's own, or to page_options made for the page
// (where the transform found a TOC comment with settings). False with the
// error set.
bool options_for_page(const xml_tree &document, const html_toc &transform,
                      const page_settings_request &request, toc_options &page_options,
                      const toc_options *&options, page_settings_error &error);
