// The document writer: the transformed tree back into HTML, by copying every
// node's source text in document order, leaving out the old TOC block and
// placing the new one right after the insertion node.
#pragma once
#include <cstdint>
#include "html/xml_node.h"
#include "toc/html_sink.h"
#include "toc/toc_tree.h"

void write_html_document(xml_tree &document, html_sink &sink, uint8_t insert_toc,
                         toc_tree &tree, toc_node *first_entry, xml_node *start_marker,
                         xml_node *end_marker, xml_node *insertion_node);

