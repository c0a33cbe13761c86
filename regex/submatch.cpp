// Threads follow the program as in a Pike machine, but when two paths reach
// one instruction the survivor is the one POSIX prefers. Every subexpression
// is a level of the pattern's tree; a path climbs below a level when it closes
// the subexpression open there. Of two paths compared from where they forked,
// the one preferred is decided at the lowest level they close at different
// positions: the later closer kept that subexpression longer. Levels closed in
// one frame of empty moves close at one position, so within a frame only how
// low each path climbed counts, and the branch taken first at the fork breaks
// a tie. For paths that forked at an earlier position, each pair of threads
// carries the lowest level each has climbed to since the fork and the verdict
// so far, updated once per byte.
#include "regex/submatch.h"
#include <algorithm>
#include <climits>
#include "regex/kr_regex_core.h"

namespace krx {
namespace {

// Pair entry: the lowest level each thread reached since the fork, and the
// verdict from the levels where they differed (+1 first better, -1 second).
struct Pair {
  int32_t low_a = INT32_MAX;
  int32_t low_b = INT32_MAX;
  int8_t verdict = 0;
};

struct Visit {
  int32_t pc;
  int32_t parent;
  int32_t origin;
  int32_t slots;   // offset into the arena
  int32_t lo;      // level of the edge into this visit
  int32_t fmin;    // lowest level since this position's origin
  int32_t tdepth;  // edges from the origin
  int8_t branch;   // 0 preferred edge of the parent split, 1 the other
};

class Machine {
public:
  Machine(const Program &prog, const unsigned char *text, size_t n, int eflags)
      : prog_(prog), text_(text), n_(n), eflags_(eflags), k_(size_t(prog.nslots)) {
    best_.assign(prog_.insts.size(), -1);
    stamp_.assign(prog_.insts.size(), 0);
  }

  SubmatchResult run(size_t start, size_t end, std::vector<int32_t> &out) {
    // The first position: one origin, the program's start.
    threads_.clear();
    thread_slots_.assign(k_, -1);
    origins_.assign(1, 0);
    pairs_.clear();
    nthreads_ = 1;
    bool first = true;
    for (size_t q = start;; ++q) {
      closure(q, first);
      first = false;
      if (q == end) {
        int32_t m = match_visit_;
        if (m < 0) return SubmatchResult::NotFound;
        const int32_t *s = &arena_[size_t(visits_[size_t(m)].slots)];
        out.assign(s, s + k_);
        return SubmatchResult::Found;
      }
      if (!collect_threads()) return SubmatchResult::TooBig;
      unsigned char c = text_[q];
      origins_.clear();
      for (size_t i = 0; i < threads_.size(); ++i) {
        const Inst &in = prog_.insts[size_t(threads_[i])];
        if (prog_.sets[size_t(in.arg)].has(c)) origins_.push_back(int32_t(i));
      }
      if (origins_.empty()) return SubmatchResult::NotFound;
    }
  }

private:
  const Program &prog_;
  const unsigned char *text_;
  size_t n_;
  int eflags_;
  size_t k_;

  // Threads waiting to consume at the current position.
  std::vector<int32_t> threads_;       // pcs
  std::vector<int32_t> thread_slots_;  // k_ per thread
  std::vector<Pair> pairs_;            // nthreads_ * nthreads_
  size_t nthreads_ = 0;
  std::vector<int32_t> origins_;       // thread indices that consumed the byte

  std::vector<Visit> visits_;
  std::vector<int32_t> arena_;
  std::vector<int32_t> best_;
  std::vector<uint32_t> stamp_;
  uint32_t gen_ = 0;
  std::vector<int32_t> touched_;
  std::vector<int32_t> stack_;
  int32_t match_visit_ = -1;
  // Reused from byte to byte.
  std::vector<int32_t> picked_, chain_, below_, next_slots_;
  std::vector<size_t> chain_start_;
  std::vector<Pair> next_pairs_;

  bool bol_ok(size_t q) const {
    if (q == 0) return !(eflags_ & KR_REG_NOTBOL);
    return prog_.newline && text_[q - 1] == '\n';
  }
  bool eol_ok(size_t q) const {
    if (q == n_) return !(eflags_ & KR_REG_NOTEOL);
    return prog_.newline && text_[q] == '\n';
  }

  Pair pair(int32_t a, int32_t b) const {
    if (a < b) return pairs_[size_t(a) * nthreads_ + size_t(b)];
    Pair p = pairs_[size_t(b) * nthreads_ + size_t(a)];
    std::swap(p.low_a, p.low_b);
    p.verdict = int8_t(-p.verdict);
    return p;
  }

  int32_t new_slots(int32_t from) {
    int32_t at = int32_t(arena_.size());
    arena_.resize(arena_.size() + k_);
    std::copy_n(arena_.begin() + from, k_, arena_.begin() + at);
    return at;
  }

  void push_child(int32_t parent, int32_t pc, int32_t lo, int8_t branch, int32_t slots) {
    const Visit &p = visits_[size_t(parent)];
    Visit v;
    v.pc = pc;
    v.parent = parent;
    v.origin = p.origin;
    v.slots = slots;
    v.lo = lo;
    v.fmin = std::min(p.fmin, lo);
    v.tdepth = p.tdepth + 1;
    v.branch = branch;
    visits_.push_back(v);
    stack_.push_back(int32_t(visits_.size()) - 1);
  }

  // Same-origin paths: the lowest level each climbed to below their fork
  // (capped at the fork's own level), and the tie-break by branch.
  void fork_levels(int32_t a, int32_t b, int32_t &low_a, int32_t &low_b, int &tie) const {
    int32_t ma = INT32_MAX, mb = INT32_MAX, ca = -1, cb = -1;
    while (visits_[size_t(a)].tdepth > visits_[size_t(b)].tdepth) {
      ma = std::min(ma, visits_[size_t(a)].lo);
      ca = a;
      a = visits_[size_t(a)].parent;
    }
    while (visits_[size_t(b)].tdepth > visits_[size_t(a)].tdepth) {
      mb = std::min(mb, visits_[size_t(b)].lo);
      cb = b;
      b = visits_[size_t(b)].parent;
    }
    while (a != b) {
      ma = std::min(ma, visits_[size_t(a)].lo);
      ca = a;
      a = visits_[size_t(a)].parent;
      mb = std::min(mb, visits_[size_t(b)].lo);
      cb = b;
      b = visits_[size_t(b)].parent;
    }
    if (ca < 0 || cb < 0) {  // one path extends the other: keep the shorter
      low_a = low_b = INT32_MIN;
      tie = ca < 0 ? 1 : -1;
      return;
    }
    int32_t h = prog_.insts[size_t(visits_[size_t(a)].pc)].depth;
    low_a = std::min(ma, h);
    low_b = std::min(mb, h);
    tie = visits_[size_t(ca)].branch < visits_[size_t(cb)].branch ? 1 : -1;
  }

  static int verdict(int32_t low_a, int32_t low_b, int fallback) {
    if (low_a != low_b) return low_a > low_b ? 1 : -1;
    return fallback;
  }

  bool better(int32_t a, int32_t b) const {
    const Visit &va = visits_[size_t(a)];
    const Visit &vb = visits_[size_t(b)];
    if (va.origin == vb.origin) {
      int32_t la, lb;
      int tie;
      fork_levels(a, b, la, lb, tie);
      return verdict(la, lb, tie) > 0;
    }
    Pair p = pair(origins_[size_t(va.origin)], origins_[size_t(vb.origin)]);
    return verdict(std::min(p.low_a, va.fmin), std::min(p.low_b, vb.fmin), p.verdict) > 0;
  }

  // All paths of empty moves into position q, best per instruction.
  void closure(size_t q, bool first) {
    ++gen_;
    visits_.clear();
    arena_.clear();
    touched_.clear();
    match_visit_ = -1;
    const int32_t pos = int32_t(q);
    for (size_t o = 0; o < origins_.size(); ++o) {
      int32_t t = origins_[o];
      Visit root;
      root.origin = int32_t(o);
      root.parent = -1;
      root.tdepth = 0;
      root.branch = 0;
      if (first) {
        root.pc = prog_.start;
        root.lo = root.fmin = INT32_MAX;
      } else {
        const Inst &in = prog_.insts[size_t(threads_[size_t(t)])];
        root.pc = in.x;
        root.lo = root.fmin = in.lo_x;
      }
      root.slots = int32_t(arena_.size());
      arena_.insert(arena_.end(), thread_slots_.begin() + long(size_t(t) * k_),
                    thread_slots_.begin() + long(size_t(t + 1) * k_));
      visits_.push_back(root);
      stack_.push_back(int32_t(visits_.size()) - 1);
      while (!stack_.empty()) {
        int32_t v = stack_.back();
        stack_.pop_back();
        int32_t pc = visits_[size_t(v)].pc;
        if (stamp_[size_t(pc)] == gen_) {
          if (!better(v, best_[size_t(pc)])) continue;
        } else {
          stamp_[size_t(pc)] = gen_;
          touched_.push_back(pc);
        }
        best_[size_t(pc)] = v;
        expand(v, pos);
      }
    }
    if (stamp_[size_t(match_pc())] == gen_) match_visit_ = best_[size_t(match_pc())];
  }

  int32_t match_pc_ = -1;
  int32_t match_pc() {
    if (match_pc_ < 0)
      for (size_t i = 0; i < prog_.insts.size(); ++i)
        if (prog_.insts[i].op == OP_MATCH) match_pc_ = int32_t(i);
    return match_pc_;
  }

  void expand(int32_t v, int32_t pos) {
    const Inst &in = prog_.insts[size_t(visits_[size_t(v)].pc)];
    int32_t slots = visits_[size_t(v)].slots;
    switch (in.op) {
      case OP_SET:
      case OP_MATCH:
        return;
      case OP_SPLIT:
        // The preferred edge is explored first: it is pushed last.
        push_child(v, in.y, in.lo_y, 1, slots);
        push_child(v, in.x, in.lo_x, 0, slots);
        return;
      case OP_JMP:
        push_child(v, in.x, in.lo_x, 0, slots);
        return;
      case OP_SAVE:
      case OP_STAR_ENTRY: {
        int32_t s = new_slots(slots);
        arena_[size_t(s + in.arg)] = pos;
        push_child(v, in.x, in.lo_x, 0, s);
        return;
      }
      case OP_ITER_START: {
        int32_t s = new_slots(slots);
        for (int32_t i = in.arg2; i < in.arg3; ++i) arena_[size_t(s + i)] = -1;
        arena_[size_t(s + in.arg)] = pos;
        push_child(v, in.x, in.lo_x, 0, s);
        return;
      }
      case OP_ITER_END:
        // An iteration that matched nothing may not be followed by another,
        // and is allowed at all only as the first and last one.
        if (arena_[size_t(slots + in.arg)] != pos) push_child(v, in.x, in.lo_x, 0, slots);
        else if (in.arg2 >= 0 && arena_[size_t(slots + in.arg2)] == pos)
          push_child(v, in.y, in.lo_y, 0, slots);
        return;
      case OP_NONEMPTY:
        if (arena_[size_t(slots + in.arg)] != pos) push_child(v, in.x, in.lo_x, 0, slots);
        return;
      case OP_BOL:
        if (bol_ok(size_t(pos))) push_child(v, in.x, in.lo_x, 0, slots);
        return;
      case OP_EOL:
        if (eol_ok(size_t(pos))) push_child(v, in.x, in.lo_x, 0, slots);
        return;
    }
  }

  // The best visits at consuming instructions become the next threads, with
  // their pairwise order carried over.
  bool collect_threads() {
    std::vector<int32_t> &picked = picked_;
    picked.clear();
    for (int32_t pc : touched_)
      if (prog_.insts[size_t(pc)].op == OP_SET) picked.push_back(best_[size_t(pc)]);
    size_t t = picked.size();
    if (t > kMaxSubmatchThreads) return false;
    // Each thread's path from its origin, and the lowest level below each
    // point of it, so that two paths of one origin meet in a binary search.
    chain_start_.assign(t + 1, 0);
    chain_.clear();
    below_.clear();
    for (size_t i = 0; i < t; ++i) {
      size_t first = chain_.size();
      for (int32_t v = picked[i]; v >= 0; v = visits_[size_t(v)].parent) chain_.push_back(v);
      std::reverse(chain_.begin() + long(first), chain_.end());
      size_t len = chain_.size() - first;
      below_.resize(chain_.size(), INT32_MAX);
      below_[first + len - 1] = INT32_MAX;
      for (size_t d = len - 1; d-- > 0;)
        below_[first + d] = std::min(below_[first + d + 1], visits_[size_t(chain_[first + d + 1])].lo);
      chain_start_[i + 1] = chain_.size();
    }
    std::vector<Pair> &next = next_pairs_;
    next.assign(t * t, Pair{});
    for (size_t i = 0; i < t; ++i)
      for (size_t j = i + 1; j < t; ++j) {
        const Visit &a = visits_[size_t(picked[i])];
        const Visit &b = visits_[size_t(picked[j])];
        Pair p;
        if (a.origin == b.origin) {
          const int32_t *ca = chain_.data() + chain_start_[i];
          const int32_t *cb = chain_.data() + chain_start_[j];
          size_t la = chain_start_[i + 1] - chain_start_[i];
          size_t lb = chain_start_[j + 1] - chain_start_[j];
          const int32_t *ba = below_.data() + chain_start_[i];
          const int32_t *bb = below_.data() + chain_start_[j];
          size_t lo = 0, hi = std::min(la, lb);  // ca[lo] == cb[lo]
          while (hi - lo > 1) {
            size_t mid = (lo + hi) / 2;
            if (ca[mid] == cb[mid]) lo = mid;
            else hi = mid;
          }
          int tie;
          if (lo + 1 >= la || lo + 1 >= lb) {  // not expected: one extends the other
            p.low_a = p.low_b = INT32_MIN;
            tie = lo + 1 >= la ? 1 : -1;
          } else {
            int32_t h = prog_.insts[size_t(visits_[size_t(ca[lo])].pc)].depth;
            p.low_a = std::min(ba[lo], h);
            p.low_b = std::min(bb[lo], h);
            tie = visits_[size_t(ca[lo + 1])].branch < visits_[size_t(cb[lo + 1])].branch ? 1 : -1;
          }
          p.verdict = int8_t(verdict(p.low_a, p.low_b, tie));
        } else {
          Pair old = pair(origins_[size_t(a.origin)], origins_[size_t(b.origin)]);
          p.low_a = std::min(old.low_a, a.fmin);
          p.low_b = std::min(old.low_b, b.fmin);
          p.verdict = int8_t(verdict(p.low_a, p.low_b, old.verdict));
        }
        next[i * t + j] = p;
      }
    pairs_.swap(next);
    nthreads_ = t;
    threads_.resize(t);
    std::vector<int32_t> &slots = next_slots_;
    slots.resize(t * k_);
    for (size_t i = 0; i < t; ++i) {
      const Visit &v = visits_[size_t(picked[i])];
      threads_[i] = v.pc;
      std::copy_n(arena_.begin() + v.slots, k_, slots.begin() + long(i * k_));
    }
    thread_slots_.swap(slots);
    return true;
  }
};

}  // namespace

SubmatchResult posix_submatches(const Program &prog, const unsigned char *text,
                                size_t n, size_t start, size_t end, int eflags,
                                std::vector<int32_t> &slots) {
  Machine m(prog, text, n, eflags);
  return m.run(start, end, slots);
}

}  // namespace krx
