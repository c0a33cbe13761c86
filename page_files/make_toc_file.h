// page_files/ is the file side of a run, above the engine (toc/, which works
// on bytes alone): it reads pages, replaces them safely and keeps stale
// temporaries and batches of destinations in hand.
//
// make_toc_file: the whole job behind "Create or remake TOC": read the source,
// make its TOC with the engine (toc/make_toc.h), and replace the destination
// (which may be the source itself) with the new text. Beneath it, the same
// job with all the engine's options and the ways a destination is replaced.
#pragma once
#include <cstdint>
#include <string>
#include "page_files/replace_file.h"
#include "page_files/toc_comment_matcher.h"
#include "toc/make_toc.h"
#include "toc/toc_style.h"
#include "toc/toc_tree.h"
#include "value/krval.h"

// 0 on success; otherwise non-zero, with the reason, ending in "\r\n", in
// message. The destination is replaced only when every byte of the new text
// reached the disk: on any failure it stays as it was. The run takes the
// current time as its stamp.
int32_t make_toc_file(const krval &source, const krval &destination, uint8_t insert_toc,
                      const toc_style &style, toc_tree &tree, toc_node *&last_entry,
                      toc_node *&first_entry, krval &message,
                      toc_progress_callback progress, void *context);

// The engine's result of a job on files, and the system's reason for a
// failed read or write where it gave one.
struct toc_file_result : toc_result {
  std::string reason;
};

// The job from file to file with the request's options (its bytes are the
// source's): the results of make_toc_file. Where the destination is the
// source and leave_unchanged is set, a page whose remake is its own text is
// not written (it keeps its time). The rules' read_as is the source's own.
int32_t make_toc_with_options(const krval &source, const krval &destination, const toc_request &request,
                              const replacement_rules &rules, toc_file_result &result);
