// Deterministic generator of realistic HTML for benchmarks: a document with
// headings every couple of kilobytes, paragraphs with inline markup, lists,
// tables, comments, character references and CRLF line ends. The same size
// and seed give the same bytes on every platform.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// A document of at most max_bytes bytes (and close to it, for sizes above a
// few hundred bytes).
std::string generate_html(size_t max_bytes, uint32_t seed = 1);
