#include "toc/html_writer.h"

#include "value/krarr.h"

// Every node passes here: a text Value's bytes are written as they stand,
// without refreshing or terminating anything.
static void write_value(html_sink &sink, const krval &text) {
  if (!text.is_text()) {
    int32_t length = text.text_length();
    if (length > 0) sink.write(text.c_str(), length);
  } else if (text.text.length > 0) {
    sink.write(text.text.bytes, text.text.length);
  }
}

void write_html_document(xml_tree &document, html_sink &sink, uint8_t insert_toc,
                         toc_tree &tree, toc_node *first_entry, xml_node *start_marker,
                         xml_node *end_marker, xml_node *insertion_node) {
  if (!insert_toc) {
    for (xml_node *n = document.first; n; n = xml_tree::next_in_order(n))
      write_value(sink, n->raw_text);
    return;
  }

  krarr block;
  tree.write_toc(block, first_entry);
  bool writing = true;
  for (xml_node *n = document.first; n; n = xml_tree::next_in_order(n)) {
    if (n == start_marker && end_marker) {
      writing = false;
    } else if (n == end_marker) {
      writing = true;
    } else if (writing) {
      write_value(sink, n->raw_text);
      if (n == insertion_node) {
        krval piece;
        while (block.pop_front(piece)) write_value(sink, piece);
      }
    }
  }
}
