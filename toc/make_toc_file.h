// make_toc_file: the whole job behind "Create or remake TOC": read the source
// into a document tree, transform it, and write the destination (which may be
// the source itself) with the TOC block in place of any old one.
#pragma once
#include <cstdint>
#include "toc/toc_style.h"
#include "toc/toc_tree.h"
#include "value/krval.h"

using toc_progress_callback = void (*)(int32_t percent, void *context);

// Largest source the parser takes is one byte less than this.
constexpr int32_t toc_source_size_limit = 4194304;

// 0 on success; otherwise non-zero, with the reason, ending in "\r\n", in
// message. The destination is replaced only when every byte of the new text
// reached the disk: on any failure it stays as it was.
int32_t make_toc_file(const krval &source, const krval &destination, uint8_t insert_toc,
                      const toc_style &style, toc_tree &tree, toc_node *&last_entry,
                      toc_node *&first_entry, krval &message,
                      toc_progress_callback progress, void *context);
