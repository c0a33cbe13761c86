#include "toc/toc_options.h"

const toc_options &default_toc_options() {
  static thread_local const toc_options defaults;   // each thread's: reading a Value's text writes to it
  return defaults;
}

const char classic_style[] = "classic";

bool is_predefined_style(const std::string &name) {
  return name == classic_style || name == "html5" || name == "ol" || name == "details";
}

bool predefined_style(const std::string &name, toc_style &style, toc_layout &layout,
                      style_preferences &preferences) {
  style = toc_style();
  layout = toc_layout();
  preferences = style_preferences();
  if (name == classic_style) return true;
  if (!is_predefined_style(name)) return false;
  preferences.classic = false;
  // Valid HTML: the list in a nav, each sub-list inside its parent's item;
  // anchors and names a reader can use in a link.
  preferences.anchors = toc_anchor_mode::id;
  preferences.names = toc_naming::slug;
  preferences.line_end = "\n";
  layout.toc_start = "<nav class=\"toc\" aria-label=\"{label}\">\r\n";
  layout.toc_end = "</nav>\r\n";
  layout.nested = true;
  layout.branch_link_end = "\r\n";
  if (name == "ol") {
    style.list_start = "<ol>\r\n";
    style.list_end = "</ol>\r\n";
  } else if (name == "details") {
    // Collapsible without script: the summary holds the link, the sub-list
    // folds away.
    layout.branch_start = "<details open><summary>";
    layout.branch_link_end = "</summary>\r\n";
    layout.branch_end = "</details>";
  }
  return true;
}
