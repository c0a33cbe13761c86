#include "toc/settings_for_page.h"

#include <string_view>

#include "toc/node_text.h"

namespace {

// A page names style files in its own folder or below it: a page is input,
// and must not have the program read any file it likes.
bool style_within_page_folder(const std::string &style) {
  if (is_predefined_style(style)) return true;
  if (style.empty() || style[0] == '/' || style[0] == '\\' || style.find(':') != std::string::npos)
    return false;
  size_t at = 0;
  while (at <= style.size()) {
    size_t end = style.find_first_of("/\\", at);
    if (end == std::string::npos) end = style.size();
    if (style.compare(at, end - at, "..") == 0 && end - at == 2) return false;
    at = end + 1;
  }
  return true;
}

}  // namespace

// The line of a node: one more than the line ends written before it.
int32_t line_of(const xml_tree &document, const xml_node *node) {
  int32_t line = 1;
  for (xml_node *n = document.first; n && n != node; n = xml_tree::next_in_order(n)) {
    const char *bytes = n->raw_text.bytes();
    for (int32_t i = 0, length = n->raw_text.length(); i < length; ++i) line += bytes[i] == '\n';
  }
  return line;
}

namespace {

// Where a node's raw text holds these bytes.
bool holds(const xml_node *n, const char *bytes) {
  const node_bytes &raw = n->raw_text;
  if (!raw.bytes()) return false;
  return std::string_view(raw.bytes(), static_cast<size_t>(raw.length())).find(bytes) !=
         std::string_view::npos;
}

// The first line end of the page, or empty where it has none.
std::string first_line_end(const xml_tree &document) {
  for (xml_node *n = document.first; n; n = xml_tree::next_in_order(n)) {
    const char *bytes = n->raw_text.bytes();
    const int32_t length = n->raw_text.length();
    for (int32_t i = 0; i < length; ++i)
      if (bytes[i] == '\n') return i > 0 && bytes[i - 1] == '\r' ? "\r\n" : "\n";
  }
  return std::string();
}

}  // namespace

bool block_settings(const html_toc &transform, toc_choices &settings) {
  if (!transform.start_marker || !transform.end_marker) return false;
  settings = toc_choices();
  const xml_node *end = transform.end_marker;
  for (xml_node *n = xml_tree::next_in_order(transform.start_marker); n && n != end;
       n = xml_tree::next_in_order(n)) {
    if (n->kind == XML_TEXT) continue;
    if (n->kind == XML_COMMENT &&
        read_record(n->raw_text.bytes(), n->raw_text.length(), settings))
      return true;
    break;
  }
  // Made before blocks kept a record: the nav of the styles for valid
  // HTML, or else the window's list.
  settings.style = classic_style;
  for (xml_node *n = transform.start_marker; n && n != end; n = xml_tree::next_in_order(n)) {
    if (n->kind != XML_START_TAG) continue;
    if (toc_text::is_named(n, "nav", 3) && holds(n, "class=\"toc\"")) settings.style = "html5";
    if (*settings.style == "html5" && toc_text::is_named(n, "ol", 2)) settings.style = "ol";
    if (*settings.style == "html5" && toc_text::is_named(n, "details", 7)) settings.style = "details";
  }
  return true;
}

bool options_for_page(const xml_tree &document, const html_toc &transform,
                      const page_settings_request &request, toc_options &page_options,
                      const toc_options *&options, page_settings_error &failure) {
  options = request.options;
  if (!request.chosen) return true;
  auto fail = [&failure](int32_t line, const std::string &reason) {
    failure.line = line;
    failure.reason = reason;
    return false;
  };
  toc_choices page;
  int32_t comment_line = 1;
  if (transform.toc_comment) {
    const node_bytes &comment = transform.toc_comment->raw_text;
    std::string error;
    int32_t line = 0;
    comment_line = line_of(document, transform.toc_comment);
    if (!read_comment_settings(comment.bytes(), comment.length(), page, error, line))
      return fail(comment_line + line, error);
  }
  toc_choices recorded;
  block_settings(transform, recorded);
  const settings_layer from_page{&page, settings_origin::page_comment};
  const settings_layer from_command_line{request.chosen, settings_origin::command_line};
  const settings_layer from_record{&recorded, settings_origin::record};
  const merged_settings merged = merge_settings({from_page, from_command_line, from_record}, *request.defaults);
  const merged_settings lasting = merge_settings({from_command_line, from_record}, *request.defaults);

  // A style the page names (in its comment or its block) is looked for in
  // the page's folder.
  const std::string &style = *merged.choices.style;
  const bool named_by_page = merged.style_origin == settings_origin::page_comment ||
                             merged.style_origin == settings_origin::record;
  auto style_line = [&] {
    return merged.style_origin == settings_origin::record ? line_of(document, transform.start_marker)
                                                          : comment_line;
  };
  if (named_by_page && !is_predefined_style(style) &&
      (!style_within_page_folder(style) ||
       (request.style_files && !request.style_files->lies_within(request.style_folder, style))))
    return fail(style_line(), "a style file named in a page must lie in the page's folder or below it: '" +
                                  style + "'");
  if (!named_by_page) {
    page_options = *request.options;   // its style, a file's too, read once for the run
    apply_settings(merged.choices, page_options);
  } else {
    std::string error;
    page_options.stamp = request.options->stamp;
    if (!resolve_toc_options(merged.choices, request.style_folder, request.style_files, page_options, error))
      return fail(style_line(), error);
  }
  if (!page_options.record.empty()) page_options.record = record_text(lasting.choices);
  if (page_options.line_end_of_page) {
    const std::string line_end = first_line_end(document);
    if (!line_end.empty()) page_options.line_end = line_end;
  }
  options = &page_options;
  return true;
}
