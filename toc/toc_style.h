// toc_style: what the TOC engine makes of a document: the heading levels it
// takes, the markup of the nested list, and the attributes of the links and of
// the heading anchors. It always holds its defaults; the engine only reads it.
#pragma once
#include "value/krval.h"

class toc_style {
public:
  toc_style();

  krval range_from;                 // lowest heading level taken (integer)
  krval range_to;                   // highest heading level taken (integer)
  krval list_start;                 // before the first item of every list level
  krval list_end;                   // after the last item of every list level
  krval item_start;                 // after the indentation of every item
  krval item_end;                   // after the link of every item
  krval item_indentation;           // repeated once per nesting depth
  krval toc_anchor_attributes;      // after the quoted href of every TOC link
  krval named_anchor_attributes;    // after the quoted name of every heading anchor
  krval process_title;              // page-title switch, always 0
  krval process_decimal_notation;   // decimal-numbering switch, always 0
  krval reserved;                   // carried, never read
};

// The field names in field order, as the program keeps them.
extern const char *const toc_style_keys[11];
