#include "html/krlexer.h"

namespace {
int32_t chunk_length(krarrnode *chunk) {
  if (chunk->value.tag != KR_TEXT) chunk->value.set_type(KR_TEXT);   // read as text once reached
  return chunk->value.text.length;
}
}  // namespace

bool krlexer::locate_next(krarrnode *&chunk, int32_t &at) {
  if (current_chunk) {
    chunk = current_chunk;
    at = offset + 1;
  } else {
    chunk = first;
    at = 0;
  }
  while (chunk && at >= chunk_length(chunk)) {
    chunk = chunk->next;
    at = 0;
  }
  return chunk != nullptr;
}

int32_t krlexer::read_byte() {
  krarrnode *chunk;
  int32_t at;
  if (!locate_next(chunk, at)) return end_of_input ? -1 : -2;
  current_chunk = chunk;
  offset = at;
  return static_cast<unsigned char>(chunk->value.text.bytes[at]);
}

int32_t krlexer::unread_run(const char *&bytes) {
  krarrnode *chunk;
  int32_t at;
  if (!locate_next(chunk, at)) return 0;
  current_chunk = chunk;
  offset = at - 1;
  bytes = chunk->value.text.bytes + at;
  return chunk->value.text.length - at;
}
