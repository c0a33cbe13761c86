// A lazily built deterministic automaton over a program: answers whether and
// where a match ends (or, over the reversed program, starts) in one pass over
// the subject. States are made on first need and kept in a bounded cache that
// is emptied when full, so memory depends on the program, never the subject.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>
#include "regex/program.h"

namespace krx {

class Dfa {
public:
  // `unanchored`: a new match may begin at every position.
  Dfa(const Program &prog, bool unanchored);

  // Forward. Earliest position where some match ends, or -1. bol_at_start:
  // '^' holds at `from`; eol_at_end: '$' holds at the subject's end.
  long earliest_end(const unsigned char *text, size_t n, size_t from,
                    bool bol_at_start, bool eol_at_end);
  // Forward from `from` with no new starts: the last position where a match
  // begun at `from` ends, or -1.
  long longest_end(const unsigned char *text, size_t n, size_t from,
                   bool bol_at_start, bool eol_at_end);
  // Backward from the end over the reversed program: the smallest position
  // where a match begins, or -1. `at_end_ok` / `at_start_ok` tell whether the
  // subject's end and start count as line boundaries.
  long leftmost_start(const unsigned char *text, size_t n, bool at_end_ok,
                      bool at_start_ok);

private:
  struct State {
    std::vector<int32_t> insts;  // consumers, pending line-end checks, match
    bool bol = false;            // the previous byte allows '^'
  };

  const Program &prog_;
  bool unanchored_;
  uint8_t classes_[256];
  int nclasses_ = 0;
  int stride_ = 0;  // classes + one column for the end of the subject
  int newline_class_ = -1;
  unsigned char class_byte_[257];

  std::vector<State> states_;
  std::vector<int32_t> trans_;  // (next << 1) | matched_before_byte, or -1
  std::unordered_map<std::string, int32_t> index_;
  size_t cache_bytes_ = 0;

  // First-byte skip for unanchored forward search from the idle state.
  bool skip_ok_ = false;
  ByteSet first_bytes_;
  int single_first_ = -1;

  // Scratch for closures.
  std::vector<uint32_t> mark_;
  uint32_t mark_gen_ = 0;
  std::vector<int32_t> stack_, work_;

  void build_classes();
  void reset_cache();
  int32_t intern(std::vector<int32_t> &insts, bool bol);
  void closure(int32_t seed, bool bol_ok, bool eol_ok, bool keep_eol,
               std::vector<int32_t> &out);
  int32_t start_state(bool bol);
  int32_t transition(int32_t state, int cls, bool &matched);
  // The state after a byte of class cls: from the table when it is cached,
  // else computed (and cached) by transition.
  int32_t step(int32_t state, int cls, bool &matched) {
    int32_t t = trans_[size_t(state) * size_t(stride_) + size_t(cls)];
    if (t < 0) return transition(state, cls, matched);
    matched = t & 1;
    return t >> 1;
  }
  bool matches_at_end(int32_t state, bool eol_at_end);
  size_t skip_to_candidate(const unsigned char *text, size_t n, size_t p) const;

  int32_t idle_ = -1;  // the unanchored start state with no progress
};

}  // namespace krx
