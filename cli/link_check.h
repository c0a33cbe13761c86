// link_check: what --check-links looks at in the pages of a run: every name a
// page gives (ids, and names of a elements) and every link to a fragment,
// each with its line; and the findings across the run's pages: a link whose
// name is in no element of its page, and a name given twice.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>
#include "cli/link_references.h"
#include "html/xml_node.h"

struct page_name {
  std::string name;    // decoded
  int32_t line = 0;
  uint32_t element = 0;   // its element's place in the page: one element may give a name twice
};

// Kept as written, and read again when checked: a run over thousands of
// pages keeps every page's links until the last page is read.
struct page_link {
  std::string href;
  int32_t line = 0;
};

struct page_links {
  bool utf8 = true;               // the page's bytes are valid UTF-8
  std::vector<page_name> names;
  std::vector<page_link> links;   // those that name a fragment, in pages or in this one
};

// Reads a page as written; false when it cannot be parsed (too large).
bool scan_page_links(const char *bytes, size_t length, page_links &out);

// The document of a page's bytes, as the engine reads it; false when it
// cannot be parsed (too large).
bool parse_page(const char *bytes, size_t length, xml_tree &document);

// A page of the run: its name in messages, its file (links are read from
// its folder; empty for standard input), and what scan_page_links found.
struct checked_page {
  std::string name;
  std::string file;
  const page_links *links = nullptr;
};

// The findings, one line each, "NAME:LINE: ...", page by page in the given
// order and by line within a page.
std::vector<std::string> check_links(const std::vector<checked_page> &pages);
