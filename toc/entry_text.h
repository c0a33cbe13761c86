// What a reader sees of a heading, as the text of its entry: images stand
// by their alt text; buttons, templates and hidden content show nothing;
// blanks are collapsed and trimmed.
#pragma once
#include <string>
#include "html/xml_node.h"
#include "value/krval.h"

class entry_reader {
public:
  // Whether the content of a node inside a heading (or of the heading
  // itself) is none of what a reader sees: a button's label, a template,
  // an element with hidden or aria-hidden="true".
  bool hides_content(const xml_node *n) const;
  // What a tag shows by itself: an image's alt text (its < and > written
  // as references, since the entry holds it as text), a blank for a line
  // break; nothing for other tags.
  void append_shown(const xml_node *tag, std::string &text) const;

private:
  const krval alt_key{"alt"}, hidden_key{"hidden"}, aria_hidden_key{"aria-hidden"};
};

// Runs of blanks become one space; none is left at either end, nor a
// non-breaking space written as a reference (as a heading's last word is
// often kept from a button that follows it).
void tidy_entry_text(std::string &text);
