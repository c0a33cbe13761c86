// The compiled program: a Thompson automaton whose instructions remember how
// deep in the pattern's tree they sit, and whose edges remember the shallowest
// level they climb to. The submatch machine compares paths by those levels.
#pragma once
#include <cstdint>
#include <vector>
#include "regex/ast.h"
#include "regex/byteset.h"

namespace krx {

enum Op : uint8_t {
  OP_SET,         // consume one byte in sets[arg]; then x
  OP_MATCH,
  OP_SPLIT,       // x preferred, y
  OP_JMP,         // x
  OP_SAVE,        // slot[arg] = position; then x
  OP_ITER_START,  // slot[arg] = position, groups [arg2, arg3) cleared; then x
  OP_STAR_ENTRY,  // slot[arg] = position; then x
  OP_ITER_END,    // iteration slot arg, entry slot arg2 (or -1): x loops, y leaves
  OP_NONEMPTY,    // only if slot[arg] != position; then x
  OP_BOL,         // x
  OP_EOL,         // x
};

struct Inst {
  Op op = OP_JMP;
  int32_t depth = 0;
  int32_t x = -1, y = -1;
  int32_t lo_x = 0, lo_y = 0;  // shallowest depth each edge climbs to
  int32_t arg = 0, arg2 = 0, arg3 = 0;
};

struct Program {
  std::vector<Inst> insts;
  std::vector<ByteSet> sets;
  int start = 0;
  int nslots = 0;     // captures first: 2 * (groups + 1)
  int ngroups = 0;
  int nconsumers = 0; // OP_SET instructions
  bool newline = false;
  bool has_anchors = false;
};

// Forward program with capture and iteration bookkeeping, for the submatch
// machine and the forward automaton.
void compile_forward(const Ast &ast, bool newline, Program &out);
// The reversed language (anchors swapped), without bookkeeping, for scanning
// backward to the leftmost start.
void compile_reverse(const Ast &ast, bool newline, Program &out);

}  // namespace krx
