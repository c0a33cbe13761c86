// contents_head: what a contents page declares besides its list, in its
// head: the mark that tells it from the pages it lists, and the encoding of
// the text beyond ASCII that its list may hold.
#pragma once
#include <string>
#include "toc/toc_tree.h"

// The contents page's text ready to be remade with the list in contents:
// the mark added where it has none, and where the list holds text beyond
// ASCII, <meta charset="utf-8"> added where it declares no encoding, or
// that text written as character references where it declares one other
// than UTF-8. Both go right after its <head> start tag (else after <html>,
// else after a leading <!DOCTYPE>, else first). False where the page cannot
// be parsed.
bool prepare_contents_page(const std::string &page, toc_tree &contents, std::string &prepared);
