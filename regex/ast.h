// The parsed form of a pattern: a tree of nodes in one array. Every node is a
// subexpression for the POSIX rule that earlier subexpressions take the
// longest match, so the compiler keeps the tree's shape in the program.
#pragma once
#include <cstdint>
#include <vector>
#include "regex/byteset.h"

namespace krx {

enum class NodeKind : uint8_t { Empty, Set, Bol, Eol, Concat, Alt, Repeat, Group };

constexpr int kUnbounded = -1;

struct Node {
  NodeKind kind = NodeKind::Empty;
  int set = -1;          // Set: index into Ast::sets
  int min = 0, max = 0;  // Repeat: counts, max kUnbounded for no limit
  int group = 0;         // Group: its number, from 1
  int first_group = 0;   // groups inside this node: [first_group, end_group)
  int end_group = 0;
  uint32_t size = 0;     // instructions it compiles to, saturated
  std::vector<int> kids;
};

struct Ast {
  std::vector<Node> nodes;
  std::vector<ByteSet> sets;
  int root = -1;
  int ngroups = 0;
  int nrepeats = 0;
  bool has_anchors = false;
};

// Limits that keep parsing and compiled programs bounded (REG_ESPACE beyond).
constexpr int kMaxNesting = 200;
constexpr uint32_t kMaxProgram = 40000;

// Parses an extended pattern with the compile flags; returns 0 or an error code.
int parse_pattern(const char *pattern, int cflags, Ast &out);

}  // namespace krx
