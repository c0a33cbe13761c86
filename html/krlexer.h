// krlexer: reads the chunks of a krparser byte by byte, as one stream that may
// still be growing.
#pragma once
#include <cstdint>
#include "html/krparser.h"

class krlexer : public krparser {
public:
  // The next byte (0 to 255); -2 when none has arrived yet, -1 at the end of
  // input. Without a byte the position stays, so a chunk added later goes on
  // with its first byte.
  int32_t read_byte();

protected:
  // The unread bytes of the chunk that holds the next byte: their address and
  // count, 0 when no byte is available now. Reading k of them is skip_read(k);
  // the result is the same as k calls of read_byte, without the per-byte work.
  int32_t unread_run(const char *&bytes);
  void skip_read(int32_t k) { offset += k; }

private:
  // Finds the chunk and offset of the byte after the position; false if none.
  bool locate_next(krarrnode *&chunk, int32_t &at);
};

// The tokenizer layer for wide input; single-byte ANSI text needs nothing here.
class kr_unicode_lexer : public krlexer {};
