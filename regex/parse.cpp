// Recursive-descent parser for POSIX extended patterns. Recursion follows the
// nesting of parentheses and repetitions only, and stops at kMaxNesting.
#include <cstring>
#include <string>
#include "regex/ast.h"
#include "regex/kr_regex_core.h"

namespace krx {
namespace {

uint32_t sat_add(uint32_t a, uint32_t b) {
  uint64_t s = uint64_t(a) + b;
  return s > kMaxProgram ? kMaxProgram + 1 : uint32_t(s);
}
uint32_t sat_mul(uint32_t a, uint32_t b) {
  uint64_t s = uint64_t(a) * b;
  return s > kMaxProgram ? kMaxProgram + 1 : uint32_t(s);
}

struct ClassName {
  const char *name;
  bool (*test)(unsigned c);
};

bool is_upper(unsigned c) { return c >= 'A' && c <= 'Z'; }
bool is_lower(unsigned c) { return c >= 'a' && c <= 'z'; }
bool is_digit(unsigned c) { return c >= '0' && c <= '9'; }
bool is_alpha(unsigned c) { return is_upper(c) || is_lower(c); }
bool is_alnum(unsigned c) { return is_alpha(c) || is_digit(c); }
bool is_xdigit(unsigned c) {
  return is_digit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
bool is_space(unsigned c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool is_blank(unsigned c) { return c == ' ' || c == '\t'; }
bool is_cntrl(unsigned c) { return c < 32 || c == 127; }
bool is_print(unsigned c) { return c >= 32 && c < 127; }
bool is_graph(unsigned c) { return c > 32 && c < 127; }
bool is_punct(unsigned c) { return is_graph(c) && !is_alnum(c); }

const ClassName kClasses[] = {
    {"alpha", is_alpha}, {"upper", is_upper}, {"lower", is_lower},
    {"digit", is_digit}, {"xdigit", is_xdigit}, {"alnum", is_alnum},
    {"space", is_space}, {"blank", is_blank}, {"punct", is_punct},
    {"print", is_print}, {"graph", is_graph}, {"cntrl", is_cntrl},
};

class Parser {
public:
  Parser(const char *p, int cflags, Ast &ast)
      : p_(reinterpret_cast<const unsigned char *>(p)), cflags_(cflags), ast_(ast) {}

  int run() {
    int root = parse_alt(0);
    if (err_) return err_;
    if (p_[pos_] != 0) return KR_REG_EPAREN;  // not reached: ')' ends only groups
    if (ast_.nodes[root].size > kMaxProgram) return KR_REG_ESPACE;
    ast_.root = root;
    ast_.ngroups = groups_;
    return 0;
  }

private:
  const unsigned char *p_;
  size_t pos_ = 0;
  int cflags_;
  Ast &ast_;
  int err_ = 0;
  int groups_ = 0;
  int open_groups_ = 0;

  unsigned peek(size_t ahead = 0) const {
    // Never reads past the terminating NUL.
    for (size_t i = 0; i < ahead; ++i)
      if (p_[pos_ + i] == 0) return 0;
    return p_[pos_ + ahead];
  }
  bool icase() const { return cflags_ & KR_REG_ICASE; }

  int add_node(Node n) {
    ast_.nodes.push_back(std::move(n));
    return int(ast_.nodes.size()) - 1;
  }
  int fail(int code) {
    if (!err_) err_ = code;
    return add_node(Node{});
  }
  int add_set(ByteSet s) {
    if (icase()) s.fold_ascii_case();
    return add_set_as_is(s);
  }
  // A set node of exactly these bytes (already folded where it must be).
  int add_set_as_is(const ByteSet &s) {
    ast_.sets.push_back(s);
    Node n;
    n.kind = NodeKind::Set;
    n.set = int(ast_.sets.size()) - 1;
    n.size = 1;
    n.first_group = n.end_group = groups_ + 1;
    return add_node(n);
  }
  int add_leaf(NodeKind k) {
    Node n;
    n.kind = k;
    n.size = 1;
    n.first_group = n.end_group = groups_ + 1;
    if (k == NodeKind::Bol || k == NodeKind::Eol) ast_.has_anchors = true;
    return add_node(n);
  }

  int parse_alt(int depth) {
    if (depth > kMaxNesting) return fail(KR_REG_ESPACE);
    int first_group = groups_ + 1;
    std::vector<int> branches;
    branches.push_back(parse_concat(depth));
    while (!err_ && peek() == '|') {
      ++pos_;
      branches.push_back(parse_concat(depth));
    }
    if (err_ || branches.size() == 1) return branches[0];
    Node n;
    n.kind = NodeKind::Alt;
    n.first_group = first_group;
    n.end_group = groups_ + 1;
    n.size = 0;
    for (int b : branches) n.size = sat_add(n.size, ast_.nodes[b].size + 1);
    n.kids = std::move(branches);
    return add_node(std::move(n));
  }

  int parse_concat(int depth) {
    int first_group = groups_ + 1;
    std::vector<int> items;
    for (;;) {
      unsigned c = peek();
      if (c == 0 || c == '|' || (c == ')' && open_groups_ > 0)) break;
      items.push_back(parse_repeat(depth));
      if (err_) return items.back();
    }
    if (items.size() == 1) return items[0];
    if (items.empty()) return add_leaf(NodeKind::Empty);
    Node n;
    n.kind = NodeKind::Concat;
    n.first_group = first_group;
    n.end_group = groups_ + 1;
    for (int it : items) n.size = sat_add(n.size, ast_.nodes[it].size);
    n.kids = std::move(items);
    return add_node(std::move(n));
  }

  static bool is_repeat_char(unsigned c) {
    return c == '*' || c == '+' || c == '?' || c == '{';
  }

  int parse_repeat(int depth) {
    int first_group = groups_ + 1;
    unsigned c = peek();
    if (is_repeat_char(c)) return fail(KR_REG_BADRPT);
    bool anchor = (c == '^' || c == '$');
    int atom = parse_atom(depth);
    if (err_) return atom;
    int nest = depth;
    while (is_repeat_char(peek())) {
      if (anchor) return fail(KR_REG_BADRPT);
      if (++nest > kMaxNesting) return fail(KR_REG_ESPACE);
      int min = 0, max = kUnbounded;
      unsigned r = peek();
      ++pos_;
      if (r == '+') {
        min = 1;
      } else if (r == '?') {
        max = 1;
      } else if (r == '{') {
        if (!parse_interval(min, max)) return fail(err_);
      }
      Node n;
      n.kind = NodeKind::Repeat;
      n.min = min;
      n.max = max;
      n.first_group = first_group;
      n.end_group = groups_ + 1;
      uint32_t copies = max == kUnbounded ? uint32_t(min) + 1 : uint32_t(max);
      n.size = sat_add(sat_mul(ast_.nodes[atom].size + 3, copies), 2);
      n.kids.push_back(atom);
      atom = add_node(std::move(n));
      ++ast_.nrepeats;
      if (ast_.nodes[atom].size > kMaxProgram) return fail(KR_REG_ESPACE);
    }
    return atom;
  }

  bool read_count(int &value) {
    if (!is_digit(peek())) return false;
    long v = 0;
    while (is_digit(peek())) {
      if (v <= KR_RE_DUP_MAX) v = v * 10 + (peek() - '0');
      ++pos_;
    }
    value = v > KR_RE_DUP_MAX ? KR_RE_DUP_MAX + 1 : int(v);
    return true;
  }

  // Bad contents of an interval: an unclosed brace if no '}' follows at all.
  bool bad_interval() {
    err_ = std::strchr(reinterpret_cast<const char *>(p_ + pos_), '}') ? KR_REG_BADBR
                                                                        : KR_REG_EBRACE;
    return false;
  }

  // After '{': "m}", "m,}", "m,n}" and ",n}".
  bool parse_interval(int &min, int &max) {
    bool has_min = read_count(min);
    if (!has_min) min = 0;
    if (peek() == ',') {
      ++pos_;
      if (!read_count(max)) max = kUnbounded;
    } else {
      if (!has_min) return bad_interval();
      max = min;
    }
    if (peek() != '}') return bad_interval();
    ++pos_;
    if (min > KR_RE_DUP_MAX || max > KR_RE_DUP_MAX || (max != kUnbounded && max < min)) {
      err_ = KR_REG_BADBR;
      return false;
    }
    return true;
  }

  int parse_atom(int depth) {
    unsigned c = peek();
    switch (c) {
      case '(': {
        ++pos_;
        int number = ++groups_;
        ++open_groups_;
        int inner = parse_alt(depth + 1);
        --open_groups_;
        if (err_) return inner;
        if (peek() != ')') return fail(KR_REG_EPAREN);
        ++pos_;
        Node n;
        n.kind = NodeKind::Group;
        n.group = number;
        n.first_group = number;
        n.end_group = groups_ + 1;
        n.size = sat_add(ast_.nodes[inner].size, 2);
        n.kids.push_back(inner);
        return add_node(std::move(n));
      }
      case '.': {
        ++pos_;
        ByteSet s;
        s.invert();
        s.remove(0);
        if (cflags_ & KR_REG_NEWLINE) s.remove('\n');
        return add_set(s);
      }
      case '[':
        ++pos_;
        return parse_bracket();
      case '^':
        ++pos_;
        return add_leaf(NodeKind::Bol);
      case '$':
        ++pos_;
        return add_leaf(NodeKind::Eol);
      case '\\': {
        unsigned e = peek(1);
        if (e == 0) return fail(KR_REG_EESCAPE);
        pos_ += 2;
        // Back-references would need backtracking; they are refused.
        if (e >= '1' && e <= '9') return fail(KR_REG_ESUBREG);
        ByteSet s;
        s.add(e);
        return add_set(s);
      }
      default: {
        ++pos_;
        ByteSet s;
        s.add(c);
        return add_set(s);
      }
    }
  }

  // One element of a bracket: a byte, or [.x.] / [=x=] naming one, or a class.
  // Returns 0 and sets `byte` or `cls`, or an error code.
  int bracket_element(int &byte, int &cls) {
    byte = -1;
    cls = -1;
    unsigned c = peek();
    if (c == 0) return KR_REG_EBRACK;
    if (c == '[' && (peek(1) == '.' || peek(1) == '=' || peek(1) == ':')) {
      unsigned kind = peek(1);
      size_t start = pos_ + 2;
      size_t end = start;
      while (p_[end] != 0 && !(p_[end] == kind && p_[end + 1] == ']')) ++end;
      if (p_[end] == 0) return KR_REG_EBRACK;
      size_t len = end - start;
      pos_ = end + 2;
      if (kind == ':') {
        std::string name(reinterpret_cast<const char *>(p_ + start), len);
        for (size_t i = 0; i < sizeof kClasses / sizeof kClasses[0]; ++i)
          if (name == kClasses[i].name) {
            cls = int(i);
            return 0;
          }
        return KR_REG_ECTYPE;
      }
      if (len != 1) return KR_REG_ECOLLATE;
      byte = p_[start];
      return 0;
    }
    byte = c;
    ++pos_;
    return 0;
  }

  int parse_bracket() {
    ByteSet s;
    bool negate = false;
    if (peek() == '^') {
      negate = true;
      ++pos_;
    }
    bool first = true;
    for (;;) {
      unsigned c = peek();
      if (c == 0) return fail(KR_REG_EBRACK);
      if (c == ']' && !first) {
        ++pos_;
        break;
      }
      first = false;
      int lo, cls;
      if (int e = bracket_element(lo, cls)) return fail(e);
      bool range = peek() == '-' && peek(1) != ']' && peek(1) != 0;
      if (cls >= 0) {
        if (range) return fail(KR_REG_ERANGE);
        for (unsigned b = 0; b < 256; ++b)
          if (kClasses[cls].test(b)) s.add(b);
        continue;
      }
      if (!range) {
        s.add(unsigned(lo));
        continue;
      }
      ++pos_;  // the '-'
      int hi;
      if (int e = bracket_element(hi, cls)) return fail(e);
      if (cls >= 0 || hi < lo) return fail(KR_REG_ERANGE);
      s.add_range(unsigned(lo), unsigned(hi));
      // "a-c-e": a range end cannot start another range.
      if (peek() == '-' && peek(1) != ']') return fail(KR_REG_ERANGE);
    }
    if (icase()) s.fold_ascii_case();
    if (negate) {
      s.invert();
      if (cflags_ & KR_REG_NEWLINE) s.remove('\n');
    }
    s.remove(0);
    return add_set_as_is(s);
  }
};

}  // namespace

int parse_pattern(const char *pattern, int cflags, Ast &out) {
  out = Ast{};
  Parser parser(pattern, cflags, out);
  return parser.run();
}

}  // namespace krx
