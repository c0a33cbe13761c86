#include "toc/settings_for_page.h"

#include <filesystem>
#include <system_error>

namespace {

// A page names style files in its own folder or below it: a page is input,
// and must not have the program read any file it likes.
bool style_within_page_folder(const std::string &style) {
  toc_style style_record;
  toc_layout layout;
  bool prefers_ids = false;
  if (predefined_style(style, style_record, layout, prefers_ids)) return true;
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

// A link in the page's folder may still lead out of it: where the folder
// and the style file both resolve, the file's real place must lie below the
// folder's. A file that does not resolve is left to reading, which names it.
bool style_resolves_within(const std::string &folder, const std::string &style) {
  namespace fs = std::filesystem;
  const fs::path base = folder.empty() ? fs::path(".") : fs::path(folder);
  std::error_code error;
  const fs::path real_folder = fs::canonical(base, error);
  if (error) return true;
  const fs::path real_style = fs::canonical(base / style, error);
  if (error) return true;
  auto at = real_style.begin();
  for (const fs::path &part : real_folder) {
    if (part.empty()) continue;   // a trailing separator
    if (at == real_style.end() || *at != part) return false;
    ++at;
  }
  return true;
}

}  // namespace

// The line of a node: one more than the line ends written before it.
int32_t line_of(const xml_tree &document, const xml_node *node) {
  int32_t line = 1;
  for (xml_node *n = document.first; n && n != node; n = xml_tree::next_in_order(n)) {
    const char *bytes = n->raw_text.c_str();
    for (int32_t i = 0, length = n->raw_text.text_length(); i < length; ++i) line += bytes[i] == '\n';
  }
  return line;
}

bool options_for_page(const xml_tree &document, const html_toc &transform,
                      const page_settings_request &request, toc_options &page_options,
                      const toc_options *&options, page_settings_error &failure) {
  options = request.options;
  if (!request.chosen || !transform.toc_comment) return true;
  auto fail = [&failure](int32_t line, const std::string &reason) {
    failure.line = line;
    failure.reason = reason;
    return false;
  };
  const krtext &comment = transform.toc_comment->raw_text;
  toc_choices page;
  std::string error;
  int32_t line = 0;
  if (!read_comment_settings(comment.c_str(), comment.text_length(), page, error, line)) {
    return fail(line_of(document, transform.toc_comment) + line, error);
  }
  if (!page.any()) return true;
  toc_choices merged = *request.chosen;
  merged.fill_from(page);
  page_options.stamp = request.options->stamp;
  const std::string folder = request.chosen->style.empty() ? request.style_folder : std::string();
  const bool page_names_style = request.chosen->style.empty() && !page.style.empty();
  if (page_names_style &&
      (!style_within_page_folder(page.style) || !style_resolves_within(request.style_folder, page.style))) {
    return fail(line_of(document, transform.toc_comment),
                "a style file named in a page must lie in the page's folder or below it: '" + page.style + "'");
  }
  if (!resolve_toc_options(merged, folder, page_options, error)) {
    return fail(line_of(document, transform.toc_comment), error);
  }
  options = &page_options;
  return true;
}

