// krparser: the input side of every tokenizer: a list of text chunks (the
// Value list itself, whose add takes a chunk), a size limit on their total,
// and the position of the last byte read.
#pragma once
#include <cstdint>
#include "value/krarr.h"

class krparser : public krarr {
public:
  krparser() = default;

  // Takes a chunk (moved in, v is left empty) and counts its bytes, so the
  // size check of every step costs nothing however many chunks there are.
  void add(krval &v) override;
  // Takes a chunk whose bytes stay unchanged for as long as the parser and
  // the nodes made of it live (the node text store's): the chunk is a view
  // of them, not a copy.
  void add_view(const char *bytes, int32_t length);
  void mark_input_complete() { end_of_input = 1; }
  // Bytes of all chunks received.
  int64_t received() const { return received_bytes; }

  int32_t size_limit = 65536;
  uint8_t end_of_input = 0;
  int32_t offset = -1;              // of the last byte read in current_chunk
  krarrnode *current_chunk = nullptr;

private:
  int64_t received_bytes = 0;
};
