// A sink that writes nothing and tells whether what the writer gives it is
// byte for byte the source's text, which it sees in the pieces it was read
// in. A page whose remake is its own text need not be written at all.
#pragma once
#include <cstdint>
#include <cstring>
#include <vector>
#include "toc/html_writer.h"

struct source_piece {
  const char *bytes;
  int32_t count;   // more than 0
};

class same_text_sink : public html_sink {
public:
  explicit same_text_sink(const std::vector<source_piece> &source) : source_(source) {}

  void write(const char *bytes, int32_t count) override {
    while (same_ && count > 0) {
      if (piece_ == source_.size()) {
        same_ = false;   // longer than the source
        return;
      }
      const source_piece &piece = source_[piece_];
      const int32_t n = piece.count - at_ < count ? piece.count - at_ : count;
      if (std::memcmp(bytes, piece.bytes + at_, static_cast<size_t>(n)) != 0) same_ = false;
      bytes += n;
      count -= n;
      at_ += n;
      if (at_ == piece.count) {
        ++piece_;
        at_ = 0;
      }
    }
  }

  bool same() const { return same_ && piece_ == source_.size(); }

private:
  const std::vector<source_piece> &source_;
  std::size_t piece_ = 0;
  int32_t at_ = 0;
  bool same_ = true;
};
