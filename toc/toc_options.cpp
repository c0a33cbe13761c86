#include "toc/toc_options.h"

const toc_options &default_toc_options() {
  static thread_local const toc_options defaults;   // each thread's: reading a Value's text writes to it
  return defaults;
}

bool predefined_style(const std::string &name, toc_style &style, toc_layout &layout,
                      bool &prefers_ids) {
  style = toc_style();
  layout = toc_layout();
  prefers_ids = false;
  if (name == "classic") return true;
  if (name != "html5" && name != "ol" && name != "details") return false;
  // Valid HTML: the list in a nav, each sub-list inside its parent's item.
  prefers_ids = true;
  layout.toc_start = "<nav class=\"toc\">\r\n";
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
