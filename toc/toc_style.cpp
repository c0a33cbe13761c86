#include "toc/toc_style.h"

toc_style::toc_style()
    : range_from(int32_t(1)),
      range_to(int32_t(6)),
      list_start("<ul>\r\n"),
      list_end("</ul>\r\n"),
      item_start("<li>"),
      item_end("</li>\r\n"),
      item_indentation("  "),
      toc_anchor_attributes(" class=\"toc_item\""),
      named_anchor_attributes(" class=\"header_item\""),
      process_title(int32_t(0)),
      process_decimal_notation(int32_t(0)),
      reserved("") {}

const char *const toc_style_keys[11] = {
    "range_from",          "range_to",
    "list_start",          "list_end",
    "item_start",          "item_end",
    "item_indentation",    "toc_anchor_attributes",
    "named_anchor_attributes", "process_title",
    "process_decimal_notation",
};
