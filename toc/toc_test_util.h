// Running the transform and the writer on a text in memory, for the engine's
// tests: the same steps as the file job, without files.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include "html/krhtml_test_util.h"
#include "page_files/make_toc_file.h"
#include "toc/html_toc.h"
#include "toc/html_writer.h"
#include "toc/toc_options.h"
#include "toc/toc_style.h"

namespace toc_test {

constexpr int32_t example_stamp = 1007136000;

struct run {
  parse_test::parsed document;
  toc_tree tree;
  html_toc transform;
  int32_t result = -1;
  std::string output;
};

// Parses html, transforms it with the options, and writes it back with or
// without the TOC block. The transform looks at the parser's landmarks, as in
// the file job, or else walks every node.
inline std::unique_ptr<run> transform_with(const std::string &html, const toc_options &options,
                                           uint8_t insert_toc = 1, bool with_landmarks = true,
                                           bool remove = false) {
  auto r = std::make_unique<run>();
  r->document = parse_test::parse(html, {}, true, html_toc::is_landmark);
  r->transform.take_style(options.style);
  r->tree.take_markup(options.style, options.layout, options.record, options.line_end);
  r->transform.options = &options;
  r->transform.document = r->document.tree.get();
  if (with_landmarks) r->transform.landmarks = &r->document.landmarks;
  r->transform.tree = &r->tree;
  r->transform.comment_matcher = toc_comment_matches;
  if (!remove)
    r->result = r->transform.transform();
  else if ((r->result = r->transform.find_places()) == 0)
    r->result = r->transform.remove_insertions();
  r->transform.options = nullptr;
  string_sink sink(r->output);
  write_html_document(*r->document.tree, sink, insert_toc, r->tree, r->tree.first,
                      r->transform.start_marker, r->transform.end_marker,
                      r->transform.insertion_node);
  return r;
}

// What --remove makes of html with the options.
inline std::string removed_from(const std::string &html, const toc_options &options) {
  return transform_with(html, options, 1, true, true)->output;
}

// The same with the default style and the given stamp.
inline std::unique_ptr<run> transform_text(const std::string &html, uint8_t insert_toc = 1,
                                           int32_t stamp = example_stamp,
                                           bool with_landmarks = true) {
  toc_options options;
  options.stamp = stamp;
  return transform_with(html, options, insert_toc, with_landmarks);
}

inline std::string toc_of(const std::string &html, int32_t stamp = example_stamp) {
  return transform_text(html, 1, stamp)->output;
}

}  // namespace toc_test
