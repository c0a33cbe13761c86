#include "regex/dfa.h"
#include <algorithm>
#include <cstring>

namespace krx {
namespace {
constexpr size_t kCacheBudget = size_t(4) << 20;
}

Dfa::Dfa(const Program &prog, bool unanchored) : prog_(prog), unanchored_(unanchored) {
  mark_.assign(prog_.insts.size(), 0);
  build_classes();
  reset_cache();
  if (unanchored_ && !prog_.has_anchors) {
    stack_.clear();
    ++mark_gen_;
    std::vector<int32_t> seeds;
    closure(prog_.start, false, false, true, seeds);
    skip_ok_ = true;
    for (int32_t i : seeds) {
      const Inst &in = prog_.insts[i];
      if (in.op == OP_MATCH) skip_ok_ = false;
      else if (in.op == OP_SET)
        for (int w = 0; w < 4; ++w) first_bytes_.w[w] |= prog_.sets[in.arg].w[w];
    }
    int count = 0;
    for (unsigned c = 1; c < 256; ++c)
      if (first_bytes_.has(c)) {
        ++count;
        single_first_ = int(c);
      }
    if (count != 1) single_first_ = -1;
    if (count == 0) skip_ok_ = false;
  }
}

// Bytes that every set and line rule treat alike share one column.
void Dfa::build_classes() {
  std::vector<int> cls(256, 0);
  int count = 1;
  auto split = [&](auto in_group) {
    std::vector<int> remap(size_t(count) * 2, -1);
    int next = 0;
    for (unsigned c = 0; c < 256; ++c) {
      int key = cls[c] * 2 + (in_group(c) ? 1 : 0);
      if (remap[key] < 0) remap[key] = next++;
      cls[c] = remap[key];
    }
    count = next;
  };
  for (const ByteSet &s : prog_.sets) split([&](unsigned c) { return s.has(c); });
  split([](unsigned c) { return c == '\n'; });
  nclasses_ = count;
  stride_ = count + 1;
  for (unsigned c = 256; c-- > 0;) {
    classes_[c] = uint8_t(cls[c]);
    class_byte_[cls[c]] = (unsigned char)c;
  }
  newline_class_ = cls['\n'];
}

void Dfa::reset_cache() {
  states_.clear();
  trans_.clear();
  index_.clear();
  cache_bytes_ = 0;
  std::vector<int32_t> none;
  intern(none, false);  // 0: dead
  idle_ = -1;
  if (unanchored_ && !prog_.has_anchors) idle_ = start_state(false);
}

int32_t Dfa::intern(std::vector<int32_t> &insts, bool bol) {
  std::sort(insts.begin(), insts.end());
  std::string key(reinterpret_cast<const char *>(insts.data()), insts.size() * sizeof(int32_t));
  key.push_back(bol ? '\1' : '\0');
  auto it = index_.find(key);
  if (it != index_.end()) return it->second;
  int32_t id = int32_t(states_.size());
  cache_bytes_ += key.size() * 2 + sizeof(State) + size_t(stride_) * sizeof(int32_t) + 64;
  states_.push_back(State{insts, bol});
  trans_.resize(trans_.size() + size_t(stride_), -1);
  index_.emplace(std::move(key), id);
  return id;
}

// Follows empty moves from `seed`. '^' needs bol_ok; '$' is kept in the state
// when keep_eol (the next byte decides it), else needs eol_ok.
void Dfa::closure(int32_t seed, bool bol_ok, bool eol_ok, bool keep_eol,
                  std::vector<int32_t> &out) {
  stack_.push_back(seed);
  while (!stack_.empty()) {
    int32_t i = stack_.back();
    stack_.pop_back();
    if (i < 0 || mark_[i] == mark_gen_) continue;
    mark_[i] = mark_gen_;
    const Inst &in = prog_.insts[i];
    switch (in.op) {
      case OP_SET:
      case OP_MATCH:
        out.push_back(i);
        break;
      case OP_SPLIT:
      case OP_ITER_END:
        stack_.push_back(in.y);
        stack_.push_back(in.x);
        break;
      case OP_BOL:
        if (bol_ok) stack_.push_back(in.x);
        break;
      case OP_EOL:
        if (keep_eol) out.push_back(i);
        else if (eol_ok) stack_.push_back(in.x);
        break;
      default:
        stack_.push_back(in.x);
        break;
    }
  }
}

int32_t Dfa::start_state(bool bol) {
  bol = bol && prog_.has_anchors;
  ++mark_gen_;
  std::vector<int32_t> seeds;
  closure(prog_.start, bol, false, true, seeds);
  return intern(seeds, bol);
}

int32_t Dfa::transition(int32_t state, int cls, bool &matched) {
  const std::vector<int32_t> insts = states_[size_t(state)].insts;
  bool bol = states_[size_t(state)].bol;
  unsigned char c = class_byte_[cls];
  bool nl = prog_.newline && c == '\n';
  // Settle the pending line-end checks now that the next byte is known.
  ++mark_gen_;
  work_.clear();
  for (int32_t i : insts) {
    if (prog_.insts[i].op == OP_EOL) {
      if (nl) closure(prog_.insts[i].x, bol, true, false, work_);
    } else if (mark_[i] != mark_gen_) {
      mark_[i] = mark_gen_;
      work_.push_back(i);
    }
  }
  matched = false;
  std::vector<int32_t> seeds;
  for (int32_t i : work_) {
    const Inst &in = prog_.insts[i];
    if (in.op == OP_MATCH) matched = true;
    else if (in.op == OP_SET && prog_.sets[in.arg].has(c)) seeds.push_back(in.x);
  }
  bool next_bol = nl && prog_.has_anchors;
  ++mark_gen_;
  std::vector<int32_t> next;
  for (int32_t s : seeds) closure(s, next_bol, false, true, next);
  if (unanchored_) closure(prog_.start, next_bol, false, true, next);
  if (cache_bytes_ > kCacheBudget) {
    reset_cache();
    return intern(next, next_bol);
  }
  int32_t id = intern(next, next_bol);
  trans_[size_t(state) * size_t(stride_) + size_t(cls)] = (id << 1) | (matched ? 1 : 0);
  return id;
}

bool Dfa::matches_at_end(int32_t state, bool eol_at_end) {
  const std::vector<int32_t> insts = states_[size_t(state)].insts;
  bool bol = states_[size_t(state)].bol;
  ++mark_gen_;
  work_.clear();
  for (int32_t i : insts) {
    const Inst &in = prog_.insts[i];
    if (in.op == OP_MATCH) return true;
    if (in.op == OP_EOL && eol_at_end) closure(in.x, bol, true, false, work_);
  }
  for (int32_t i : work_)
    if (prog_.insts[i].op == OP_MATCH) return true;
  return false;
}

size_t Dfa::skip_to_candidate(const unsigned char *text, size_t n, size_t p) const {
  if (single_first_ >= 0) {
    const void *hit = std::memchr(text + p, single_first_, n - p);
    return hit ? size_t(static_cast<const unsigned char *>(hit) - text) : n;
  }
  while (p < n && !first_bytes_.has(text[p])) ++p;
  return p;
}

long Dfa::earliest_end(const unsigned char *text, size_t n, size_t from,
                       bool bol_at_start, bool eol_at_end) {
  int32_t cur = start_state(bol_at_start);
  for (size_t p = from; p < n; ++p) {
    if (cur == idle_ && skip_ok_) {
      p = skip_to_candidate(text, n, p);
      if (p == n) break;
    }
    bool matched;
    cur = step(cur, classes_[text[p]], matched);
    if (matched) return long(p);
  }
  return matches_at_end(cur, eol_at_end) ? long(n) : -1;
}

long Dfa::longest_end(const unsigned char *text, size_t n, size_t from,
                      bool bol_at_start, bool eol_at_end) {
  int32_t cur = start_state(bol_at_start);
  long last = -1;
  for (size_t p = from; p < n; ++p) {
    if (cur == 0) return last;
    bool matched;
    cur = step(cur, classes_[text[p]], matched);
    if (matched) last = long(p);
  }
  if (cur != 0 && matches_at_end(cur, eol_at_end)) last = long(n);
  return last;
}

long Dfa::leftmost_start(const unsigned char *text, size_t n, bool at_end_ok,
                         bool at_start_ok) {
  int32_t cur = start_state(at_end_ok);
  long best = -1;
  for (size_t p = n; p > 0; --p) {
    bool matched;
    cur = step(cur, classes_[text[p - 1]], matched);
    if (matched) best = long(p);
  }
  if (matches_at_end(cur, at_start_ok)) best = 0;
  return best;
}

}  // namespace krx
