// Turns the tree into a program. Each node's instructions sit at its depth;
// an edge left dangling is given the depth of the node that connects it, which
// is the shallowest level the edge climbs to. Counted repetitions become
// copies of their body, so programs are bounded by the parser's size estimate.
#include <cstddef>
#include "regex/program.h"

namespace krx {
using std::size_t;
namespace {

struct Hole {
  int inst;
  bool second;  // the y edge
};

struct Frag {
  int start;
  std::vector<Hole> holes;
};

class Compiler {
public:
  Compiler(const Ast &ast, bool reverse, Program &prog)
      : ast_(ast), reverse_(reverse), prog_(prog) {}

  void run(bool newline) {
    prog_ = Program{};
    prog_.sets = ast_.sets;
    prog_.newline = newline;
    prog_.has_anchors = ast_.has_anchors;
    prog_.ngroups = ast_.ngroups;
    next_slot_ = 2 * (ast_.ngroups + 1);
    iter_slot_.assign(ast_.nodes.size(), -1);
    entry_slot_.assign(ast_.nodes.size(), -1);
    Frag f = node(ast_.root, 1);
    int match = emit(OP_MATCH, 0);
    patch(f, match, 0);
    prog_.start = f.start;
    prog_.nslots = next_slot_;
    for (const Inst &i : prog_.insts)
      if (i.op == OP_SET) ++prog_.nconsumers;
  }

private:
  const Ast &ast_;
  bool reverse_;
  Program &prog_;
  int next_slot_ = 0;
  // Bookkeeping slots belong to the tree node, shared by all copies of it
  // that a counted repetition makes: the copies are never live at once.
  std::vector<int> iter_slot_, entry_slot_;

  int slot_of(std::vector<int> &table, int id) {
    if (table[size_t(id)] < 0) table[size_t(id)] = next_slot_++;
    return table[size_t(id)];
  }

  int emit(Op op, int depth, int arg = 0) {
    Inst i;
    i.op = op;
    i.depth = depth;
    i.arg = arg;
    i.lo_x = i.lo_y = depth;
    prog_.insts.push_back(i);
    return int(prog_.insts.size()) - 1;
  }
  void patch(const Frag &f, int target, int depth) {
    for (const Hole &h : f.holes) {
      Inst &i = prog_.insts[h.inst];
      if (h.second) {
        i.y = target;
        i.lo_y = depth;
      } else {
        i.x = target;
        i.lo_x = depth;
      }
    }
  }
  Frag single(int inst) { return Frag{inst, {Hole{inst, false}}}; }
  void link(int from, int to) { prog_.insts[from].x = to; }
  bool bookkeeping() const { return !reverse_; }

  Frag node(int id, int depth) {
    const Node &n = ast_.nodes[id];
    switch (n.kind) {
      case NodeKind::Empty:
        return single(emit(OP_JMP, depth));
      case NodeKind::Set:
        return single(emit(OP_SET, depth, n.set));
      case NodeKind::Bol:
        return single(emit(reverse_ ? OP_EOL : OP_BOL, depth));
      case NodeKind::Eol:
        return single(emit(reverse_ ? OP_BOL : OP_EOL, depth));
      case NodeKind::Group: {
        if (!bookkeeping()) return node(n.kids[0], depth + 1);
        int open = emit(OP_SAVE, depth, 2 * n.group);
        Frag inner = node(n.kids[0], depth + 1);
        link(open, inner.start);
        int close = emit(OP_SAVE, depth, 2 * n.group + 1);
        patch(inner, close, depth);
        return single_from(open, close);
      }
      case NodeKind::Concat: {
        size_t k = n.kids.size();
        Frag first = node(n.kids[reverse_ ? k - 1 : 0], depth + 1);
        Frag cur = first;
        for (size_t i = 1; i < k; ++i) {
          Frag next = node(n.kids[reverse_ ? k - 1 - i : i], depth + 1);
          patch(cur, next.start, depth);
          cur.holes = std::move(next.holes);
        }
        return Frag{first.start, std::move(cur.holes)};
      }
      case NodeKind::Alt: {
        Frag out;
        out.start = -1;
        int prev_split = -1;
        size_t k = n.kids.size();
        for (size_t i = 0; i < k; ++i) {
          Frag b = node(n.kids[i], depth + 1);
          int entry = b.start;
          if (i + 1 < k) {
            int split = emit(OP_SPLIT, depth);
            prog_.insts[split].x = b.start;
            entry = split;
          }
          if (prev_split < 0) out.start = entry;
          else prog_.insts[prev_split].y = entry;
          if (i + 1 < k) prev_split = entry;
          out.holes.insert(out.holes.end(), b.holes.begin(), b.holes.end());
        }
        return out;
      }
      case NodeKind::Repeat:
        return repeat(id, n, depth);
    }
    return single(emit(OP_JMP, depth));
  }

  Frag single_from(int start, int last) { return Frag{start, {Hole{last, false}}}; }

  // One iteration: the body behind an instruction that marks where it began
  // and forgets the groups of the previous iteration.
  Frag iteration(const Node &n, int depth, int slot) {
    const Node &body = ast_.nodes[n.kids[0]];
    if (!bookkeeping()) return node(n.kids[0], depth + 1);
    int mark = emit(OP_ITER_START, depth, slot);
    prog_.insts[mark].arg2 = 2 * body.first_group;
    prog_.insts[mark].arg3 = 2 * body.end_group;
    Frag b = node(n.kids[0], depth + 1);
    link(mark, b.start);
    return Frag{mark, std::move(b.holes)};
  }

  Frag repeat(int id, const Node &n, int depth) {
    int slot = bookkeeping() ? slot_of(iter_slot_, id) : 0;
    if (n.max == 0) return single(emit(OP_JMP, depth));
    Frag out;
    out.start = -1;
    std::vector<Hole> tail;  // edges to the next iteration
    bool have_tail = false;
    auto attach = [&](int start) {
      if (!have_tail) out.start = start;
      else {
        Frag t{0, tail};
        patch(t, start, depth);
      }
      have_tail = true;
    };
    for (int t = 1; t <= n.min; ++t) {
      Frag it = iteration(n, depth, slot);
      attach(it.start);
      tail = std::move(it.holes);
    }
    if (n.max == kUnbounded) {
      int entry = -1;
      if (bookkeeping() && n.min == 0) {
        entry = slot_of(entry_slot_, id);
        int mark = emit(OP_STAR_ENTRY, depth, entry);
        attach(mark);
        tail = {Hole{mark, false}};
      }
      int loop = emit(OP_SPLIT, depth);
      attach(loop);
      Frag it = iteration(n, depth, slot);
      prog_.insts[loop].x = it.start;
      out.holes.push_back(Hole{loop, true});
      if (bookkeeping()) {
        int end = emit(OP_ITER_END, depth, slot);
        prog_.insts[end].arg2 = entry;
        patch(it, end, depth);
        prog_.insts[end].x = loop;
        out.holes.push_back(Hole{end, true});
      } else {
        patch(it, loop, depth);
      }
      tail.clear();
      return out;
    }
    for (int t = n.min + 1; t <= n.max; ++t) {
      int split = emit(OP_SPLIT, depth);
      attach(split);
      Frag it = iteration(n, depth, slot);
      prog_.insts[split].x = it.start;
      out.holes.push_back(Hole{split, true});
      if (bookkeeping() && t >= 2) {
        int check = emit(OP_NONEMPTY, depth, slot);
        patch(it, check, depth);
        tail = {Hole{check, false}};
      } else {
        tail = std::move(it.holes);
      }
    }
    out.holes.insert(out.holes.end(), tail.begin(), tail.end());
    return out;
  }
};

}  // namespace

void compile_forward(const Ast &ast, bool newline, Program &out) {
  Compiler c(ast, false, out);
  c.run(newline);
}

void compile_reverse(const Ast &ast, bool newline, Program &out) {
  Compiler c(ast, true, out);
  c.run(newline);
}

}  // namespace krx
