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
  virtual void write(const char *bytes, int32_t count) = 0;
};

void write_html_document(xml_tree &document, html_sink &sink, uint8_t insert_toc,
                         toc_tree &tree, toc_node *first_entry, xml_node *start_marker,
                         xml_node *end_marker, xml_node *insertion_node);

