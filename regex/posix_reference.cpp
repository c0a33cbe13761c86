#include "regex/posix_reference.h"
#include <map>
#include <memory>
#include <tuple>
#include "regex/ast.h"
#include "regex/kr_regex_core.h"

namespace krx_test {
namespace {

using krx::Ast;
using krx::Node;
using krx::NodeKind;

struct Parse;
using ParseRef = std::shared_ptr<const Parse>;
struct Parse {
  int i = 0, j = 0;
  int alt = -1;                // Alt: branch taken
  std::vector<ParseRef> kids;  // Concat: one per child; Repeat: iterations
};
using Parses = std::vector<ParseRef>;

constexpr size_t kMaxParses = 4000;

class Enumerator {
public:
  Enumerator(const Ast &ast, const std::string &s, int cflags, int eflags)
      : ast_(ast), s_(s), newline_(cflags & KR_REG_NEWLINE), eflags_(eflags) {}
  bool overflow = false;

  const Parses &parses(int node, int i, int j) {
    auto key = std::make_tuple(node, i, j);
    auto it = memo_.find(key);
    if (it != memo_.end()) return it->second;
    Parses out = build(node, i, j);
    if (out.size() > kMaxParses) {
      overflow = true;
      out.resize(kMaxParses);
    }
    return memo_[key] = std::move(out);
  }

private:
  const Ast &ast_;
  const std::string &s_;
  bool newline_;
  int eflags_;
  std::map<std::tuple<int, int, int>, Parses> memo_;
  std::map<std::tuple<int, int, int, int, int>, std::vector<std::vector<ParseRef>>> seq_memo_;

  bool bol(int i) const {
    if (i == 0) return !(eflags_ & KR_REG_NOTBOL);
    return newline_ && s_[size_t(i) - 1] == '\n';
  }
  bool eol(int i) const {
    if (i == int(s_.size())) return !(eflags_ & KR_REG_NOTEOL);
    return newline_ && s_[size_t(i)] == '\n';
  }
  static ParseRef leaf(int i, int j) {
    auto p = std::make_shared<Parse>();
    p->i = i;
    p->j = j;
    return p;
  }

  Parses build(int id, int i, int j) {
    const Node &n = ast_.nodes[size_t(id)];
    Parses out;
    switch (n.kind) {
      case NodeKind::Empty:
        if (i == j) out.push_back(leaf(i, j));
        break;
      case NodeKind::Set:
        if (j == i + 1 && ast_.sets[size_t(n.set)].has((unsigned char)s_[size_t(i)]))
          out.push_back(leaf(i, j));
        break;
      case NodeKind::Bol:
        if (i == j && bol(i)) out.push_back(leaf(i, j));
        break;
      case NodeKind::Eol:
        if (i == j && eol(i)) out.push_back(leaf(i, j));
        break;
      case NodeKind::Group:
        for (const ParseRef &k : parses(n.kids[0], i, j)) {
          auto p = std::make_shared<Parse>(*leaf(i, j));
          p->kids.push_back(k);
          out.push_back(p);
        }
        break;
      case NodeKind::Alt:
        for (size_t b = 0; b < n.kids.size(); ++b)
          for (const ParseRef &k : parses(n.kids[b], i, j)) {
            auto p = std::make_shared<Parse>(*leaf(i, j));
            p->alt = int(b);
            p->kids.push_back(k);
            out.push_back(p);
          }
        break;
      case NodeKind::Concat:
      case NodeKind::Repeat:
        for (auto &seq : sequences(id, 0, i, j)) {
          auto p = std::make_shared<Parse>(*leaf(i, j));
          p->kids = seq;
          out.push_back(p);
        }
        break;
    }
    return out;
  }

  // Concat: children from index t on covering [i, j]. Repeat: iterations
  // numbered from t + 1 on, each empty only if within the minimum or the
  // first and only one.
  std::vector<std::vector<ParseRef>> sequences(int id, int t, int i, int j) {
    auto key = std::make_tuple(id, t, i, j, 0);
    auto it = seq_memo_.find(key);
    if (it != seq_memo_.end()) return it->second;
    const Node &n = ast_.nodes[size_t(id)];
    std::vector<std::vector<ParseRef>> out;
    if (n.kind == NodeKind::Concat) {
      if (size_t(t) == n.kids.size()) {
        if (i == j) out.emplace_back();
      } else {
        for (int m = i; m <= j && out.size() <= kMaxParses; ++m)
          for (const ParseRef &k : parses(n.kids[size_t(t)], i, m))
            for (auto &rest : sequences(id, t + 1, m, j)) {
              std::vector<ParseRef> seq{k};
              seq.insert(seq.end(), rest.begin(), rest.end());
              out.push_back(std::move(seq));
            }
      }
    } else {
      int done = t;  // iterations so far
      if (i == j && done >= n.min) out.emplace_back();
      bool may_continue = n.max == krx::kUnbounded || done < n.max;
      if (may_continue) {
        for (int m = i; m <= j && out.size() <= kMaxParses; ++m) {
          int number = done + 1;
          if (m == i && number > n.min && number != 1) continue;
          for (const ParseRef &k : parses(n.kids[0], i, m))
            for (auto &rest : sequences(id, t + 1, m, j)) {
              // An empty first iteration beyond the minimum stands alone.
              if (m == i && number > n.min && !rest.empty()) continue;
              std::vector<ParseRef> seq{k};
              seq.insert(seq.end(), rest.begin(), rest.end());
              out.push_back(std::move(seq));
            }
        }
      }
    }
    if (out.size() > kMaxParses) {
      overflow = true;
      out.resize(kMaxParses);
    }
    return seq_memo_[key] = out;
  }
};

// >0 when a is preferred: at the first subexpression (in the order of the
// tree) where they differ, the longer one; a missing one counts as shorter
// than an empty one.
int compare(const Ast &ast, int id, const Parse &a, const Parse &b) {
  int la = a.j - a.i, lb = b.j - b.i;
  if (la != lb) return la > lb ? 1 : -1;
  const Node &n = ast.nodes[size_t(id)];
  switch (n.kind) {
    case NodeKind::Group:
      return compare(ast, n.kids[0], *a.kids[0], *b.kids[0]);
    case NodeKind::Alt:
      if (a.alt != b.alt) return a.alt < b.alt ? 1 : -1;
      return compare(ast, n.kids[size_t(a.alt)], *a.kids[0], *b.kids[0]);
    case NodeKind::Concat:
      for (size_t k = 0; k < n.kids.size(); ++k)
        if (int r = compare(ast, n.kids[k], *a.kids[k], *b.kids[k])) return r;
      return 0;
    case NodeKind::Repeat:
      for (size_t k = 0;; ++k) {
        bool ha = k < a.kids.size(), hb = k < b.kids.size();
        if (!ha && !hb) return 0;
        if (ha != hb) return ha ? 1 : -1;
        if (int r = compare(ast, n.kids[0], *a.kids[k], *b.kids[k])) return r;
      }
    default:
      return 0;
  }
}

void extract(const Ast &ast, int id, const Parse &p, std::vector<int> &off) {
  const Node &n = ast.nodes[size_t(id)];
  switch (n.kind) {
    case NodeKind::Group:
      off[size_t(2 * n.group)] = p.i;
      off[size_t(2 * n.group + 1)] = p.j;
      extract(ast, n.kids[0], *p.kids[0], off);
      break;
    case NodeKind::Alt:
      extract(ast, n.kids[size_t(p.alt)], *p.kids[0], off);
      break;
    case NodeKind::Concat:
      for (size_t k = 0; k < n.kids.size(); ++k) extract(ast, n.kids[k], *p.kids[k], off);
      break;
    case NodeKind::Repeat: {
      const Node &body = ast.nodes[size_t(n.kids[0])];
      for (const ParseRef &it : p.kids) {
        for (int g = body.first_group; g < body.end_group; ++g)
          off[size_t(2 * g)] = off[size_t(2 * g + 1)] = -1;
        extract(ast, n.kids[0], *it, off);
      }
      break;
    }
    default:
      break;
  }
}

}  // namespace

ReferenceResult reference_match(const std::string &pattern, int cflags,
                                const std::string &subject, int eflags) {
  ReferenceResult r;
  Ast ast;
  if (krx::parse_pattern(pattern.c_str(), cflags, ast) != 0) return r;
  Enumerator en(ast, subject, cflags, eflags);
  int n = int(subject.size());
  for (int s = 0; s <= n; ++s)
    for (int e = n; e >= s; --e) {
      const Parses &all = en.parses(ast.root, s, e);
      if (en.overflow) return r;
      if (all.empty()) continue;
      const Parse *best = all[0].get();
      for (const ParseRef &p : all)
        if (compare(ast, ast.root, *p, *best) > 0) best = p.get();
      r.ok = true;
      r.matched = true;
      r.offsets.assign(size_t(2 * (ast.ngroups + 1)), -1);
      r.offsets[0] = s;
      r.offsets[1] = e;
      extract(ast, ast.root, *best, r.offsets);
      return r;
    }
  r.ok = true;
  return r;
}

}  // namespace krx_test
