// The document writer: the transformed tree back into HTML, by copying every
// node's source text in document order, leaving out the old TOC block and
// placing the new one right after the insertion node.
#pragma once
#include <cstdint>
#include "html/xml_node.h"
#include "toc/toc_tree.h"

// Where the writer's text goes. A sink that fails keeps failing quietly; its
// owner asks afterwards, so one check covers every piece.
class html_sink {
public:
  virtual ~html_sink() = default;
  // Bytes that may change or go once the call returns.
  virtual void write(const char *bytes, int32_t count) = 0;
  // Bytes that stay unchanged where they are until the sink's owner is done
  // with it (a document's node texts while it is written): a sink may keep
  // where they are instead of copying them.
  virtual void write_lasting(const char *bytes, int32_t count) { write(bytes, count); }
};

void write_html_document(xml_tree &document, html_sink &sink, uint8_t insert_toc,
                         toc_tree &tree, toc_node *first_entry, xml_node *start_marker,
                         xml_node *end_marker, xml_node *insertion_node);

