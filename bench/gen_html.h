// Deterministic generator of realistic HTML for benchmarks: a document with
// headings every couple of kilobytes, paragraphs with inline markup, lists,
// tables, comments, character references and CRLF line ends. The same size
// and seed give the same bytes on every platform.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// How often headings come and how deep they go. The defaults make a page
// with a heading every 1.5 to 3 KB, h1 to h3; dense_page_shape() one with a
// heading every ~700 bytes, h1 to h4, as generated reference pages have.
struct page_shape {
  uint32_t heading_gap_least = 1500;   // bytes of body between two headings, at least
  uint32_t heading_gap_spread = 1500;  // plus up to this many
  uint32_t deepest_level = 3;          // 3 or 4
};

inline page_shape dense_page_shape() { return page_shape{250, 400, 4}; }

// A document of at most max_bytes bytes (and close to it, for sizes above a
// few hundred bytes).
std::string generate_html(size_t max_bytes, uint32_t seed = 1, page_shape shape = {});
