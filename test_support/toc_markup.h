// What the classic style writes, piece by piece, for tests to build the
// pages and blocks they expect.
#pragma once
#include <string>
#include "product/product.h"

namespace toc_markup {

// The stamp the engine's tests make their names with.
const std::string test_stamp = "1007136000";

// The name of the n-th anchor a run with that stamp makes.
inline std::string link_name(int n, const std::string &stamp = test_stamp) {
  return "kryn_link_" + std::to_string(n) + "_" + stamp;
}

// One item of the list, with its line end.
inline std::string item(const std::string &indent, const std::string &href, const std::string &text) {
  return indent + "<li><a href=\"" + href + "\" class=\"toc_item\">" + text + "</a></li>\r\n";
}

// A heading's anchor around its content.
inline std::string anchor(const std::string &name, const std::string &content) {
  return "<a name=\"" + name + "\" class=\"header_item\">" + content + "</a>";
}

// The whole block around a list.
// The comment at the head of every block: seven rows, each ending in CRLF.
inline std::string explanatory_comment() {
  return std::string("\r\n<!--\r\nTOC is created by KRYN Quenby.\r\n") + kryn_web_address +
         "\r\n*Do not edit or delete* start and end tags wrapped within HTML comments.\r\n"
         "If you need to edit TOC, just regenerate it supplying this file as a source.\r\n-->\r\n";
}

inline std::string block(const std::string &list) {
  return "<!--KRYN_HTML_TOC_START-->" + explanatory_comment() + list + "<!--KRYN_HTML_TOC_END-->";
}

// The markup as written into a page whose line ends are LF.
inline std::string with_lf(std::string text) {
  for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at)) text.erase(at, 1);
  return text;
}

}  // namespace toc_markup
