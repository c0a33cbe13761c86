// contents_page: the contents page across the pages of a run (--index): one
// entry per page, its title linking to it, with the page's own TOC entries
// below, every link relative to the contents page. The page is made, or
// remade in place between the TOC markers, by the same engine as any page.
#pragma once
#include <memory>
#include <string>
#include <vector>
#include "toc/toc_tree.h"

// One page as its run left it.
struct contents_source {
  std::string file;                   // where the page's result stands
  std::string title;                  // its <title> text, raw; may be empty
  std::unique_ptr<toc_tree> entries;  // its TOC entries; taken by build_contents
};

// Appends one top-level entry per page to contents, in the given order.
void build_contents(const std::string &contents_file, std::vector<contents_source> &pages,
                    toc_tree &contents);

// The link from a page in from_file's folder to to_file: relative where the
// two share a root, with the bytes a URL may not hold escaped.
std::string relative_link(const std::string &from_file, const std::string &to_file);

// The contents page where OUT does not exist yet; it carries the mark.
extern const char fresh_contents_page[];

