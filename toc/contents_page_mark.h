// contents_page_mark: what tells a contents page across pages (made by
// quenby-toc --index) from a page of the site. Its TOC block lists other
// pages, so a run that makes the page's own TOC would empty it: such a run
// leaves a page with the mark as it is.
#pragma once
#include "html/xml_node.h"

// <meta name="generator" content="quenby-toc --index">
extern const char contents_page_mark[];

// Whether a meta element of the page, anywhere in it, is the mark: its
// name "generator" in any letter case, its content exactly the mark's.
bool has_contents_page_mark(const xml_tree &document);
