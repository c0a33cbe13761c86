// page_title: the text of a parsed page's <title>, as a browser shows it:
// the first title element's content with its white space collapsed. Its
// character references stay as written (the engine never decodes text).
#pragma once
#include <string>
#include "html/xml_node.h"

// Empty when the page has no title, or an empty one.
std::string page_title(const xml_tree &document);
