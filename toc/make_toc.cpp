#include "toc/make_toc.h"
#include "toc/settings_for_page.h"

#include <vector>

#include "html/krhtml.h"
#include "toc/contents_page_mark.h"
#include "toc/html_writer.h"
#include "toc/page_title.h"
#include "toc/same_text_sink.h"

namespace {

constexpr int32_t chunk_size = 16384;   // what the parser is given at a time

krval too_large_message(const std::string &name, int32_t size_limit) {
  return krval((name + ": too large; pages of " + std::to_string(size_limit) + " bytes or more are refused\r\n").c_str());
}

void report(const toc_request &request, int32_t percent) {
  if (request.progress) request.progress(percent, request.context);
}

// 0 to 70 while reading.
int32_t reading_percent(std::size_t read, std::size_t size) {
  if (size == 0) return 70;
  return static_cast<int32_t>(static_cast<double>(read) / static_cast<double>(size) * 70.0);
}

// Parses the page into the document, and hands on the parser's landmarks of
// it (with the tags that may hold a name, where asked); 0, or the result's
// status with the message set. The nodes see the page's bytes in place.
int32_t read_page(const toc_request &request, xml_tree &document, std::vector<xml_node *> &landmarks,
                  bool list_named, toc_result &result) {
  krhtml parser;
  parser.size_limit = request.size_limit;
  parser.is_landmark = list_named ? html_toc::is_landmark_or_named : html_toc::is_landmark;
  parser.set_tree(&document);
  for (std::size_t at = 0; at < request.length; at += chunk_size) {
    const std::size_t left = request.length - at;
    const int32_t piece = left < static_cast<std::size_t>(chunk_size) ? static_cast<int32_t>(left) : chunk_size;
    parser.add_view(request.bytes + at, piece);
    const int32_t status = parser.step();
    if (status == SGML_TOO_LARGE) {
      result.too_large = true;
      result.message = too_large_message(request.page_name, request.size_limit);
      return status;
    }
    if (status != 0) {
      result.message = toc_memory_error;
      return status;
    }
    report(request, reading_percent(at + static_cast<std::size_t>(piece), request.length));
  }
  parser.mark_input_complete();
  const int32_t status = parser.step();
  if (status != SGML_DONE) {
    result.message = toc_memory_error;
    return status;
  }
  landmarks = parser.take_landmarks();
  return 0;
}

void set_page_error(const toc_request &request, toc_result &result, int32_t line, const std::string &error) {
  result.line = line;
  result.message = (request.page_name + ":" + std::to_string(line) + ": " + error + "\r\n").c_str();
}

// Anchors the headings of a parsed page and lists them in the request's
// tree; 0, or the result's status with the message set.
int32_t transform_page(xml_tree &document, std::vector<xml_node *> &landmarks, const toc_request &request,
                       html_toc &transform, toc_result &result) {
  transform.document = &document;
  transform.landmarks = &landmarks;
  transform.tree = request.tree;
  transform.current_entry = request.last_entry;
  transform.comment_matcher = request.comment_matcher;
  transform.settings_in_comments = request.chosen != nullptr;
  if (transform.find_places() != 0) {
    result.message = toc_memory_error;
    return 1;
  }
  toc_options page_options;
  const toc_options *options = nullptr;
  page_settings_error error;
  if (!options_for_page(document, transform,
                        page_settings_request{&request.options, request.chosen, request.style_folder,
                                              request.style_files},
                        page_options, options, error)) {
    set_page_error(request, result, error.line, error.reason);
    return 1;
  }
  const toc_style &style = options->style;
  transform.take_style(style);
  transform.options = options;
  request.tree->take_markup(style, options->layout, options->record, options->line_end);
  if (request.entries_given) transform.range_to = transform.range_from - 1;   // no heading qualifies

  if ((request.remove ? transform.remove_insertions() : transform.anchor_headings()) != 0) {
    result.message = toc_memory_error;
    return 1;
  }
  transform.options = nullptr;   // the page's options go with this call
  if (request.entries_given) {
    result.first_entry = request.tree->first;
    result.last_entry = request.last_entry;
  } else {
    result.first_entry = request.last_entry ? toc_tree::next_in_order(request.last_entry) : request.tree->first;
    result.last_entry = transform.current_entry;
  }
  report(request, 80);
  return 0;
}

}  // namespace

const char toc_memory_error[] = "Memory error occured\r\n";

void made_page::write_to(html_sink &sink) const {
  write_html_document(*document, sink, insert_toc, *tree, first_entry, placement.start_marker,
                      placement.end_marker, placement.insertion_node);
}

int32_t make_toc(const toc_request &request, html_sink *sink, toc_result &result) {
  made_page &page = result.page;
  page.document = std::make_unique<xml_tree>();
  xml_tree &document = *page.document;
  document.insert_first_top_level(new xml_node);
  std::vector<xml_node *> landmarks;
  // Readable names are checked against every name of the page.
  const bool list_named = request.options.names == toc_naming::slug && !request.remove;
  int32_t status = read_page(request, document, landmarks, list_named, result);
  if (status != 0) return status;
  report(request, 70);
  if (request.wants_title) result.title = page_title(document);
  result.left_contents_page = request.leave_contents_pages && has_contents_page_mark(document);
  if (result.left_contents_page) {
    result.unchanged = true;
    return 0;
  }

  html_toc transform;
  transform.landmarks_hold_names = list_named;
  status = transform_page(document, landmarks, request, transform, result);
  if (status != 0) return status;
  page.placement = toc_placement{transform.start_marker, transform.end_marker, transform.insertion_node};
  page.insert_toc = request.insert_toc;
  page.tree = request.tree;
  page.first_entry = result.first_entry;
  result.unchanged = false;
  if (request.leave_unchanged) {
    std::vector<source_piece> pieces;
    if (request.length > 0) pieces.push_back(source_piece{request.bytes, static_cast<int32_t>(request.length)});
    same_text_sink comparison(pieces);
    page.write_to(comparison);
    result.unchanged = comparison.same();
  }
  if (!sink) return 0;
  if (!result.unchanged) page.write_to(*sink);
  page.document.reset();
  report(request, 100);
  return 0;
}

std::string message_line(const krval &message) {
  std::string text = message.str();
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}
