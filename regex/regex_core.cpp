// The C interface of the engine: compile to a forward and a reversed program,
// then answer each search with up to three automaton passes (any match at all;
// the leftmost start, scanning backward; the longest end from there) and, when
// groups are asked for, one pass of the submatch machine over the match.
#include <cstring>
#include <memory>
#include <new>
#include "regex/ast.h"
#include "regex/dfa.h"
#include "regex/kr_regex_core.h"
#include "regex/program.h"
#include "regex/submatch.h"

namespace {

constexpr int32_t kMagic = 0x4B525258;

struct Compiled {
  int cflags = 0;
  krx::Program forward;
  krx::Program reversed;
  std::unique_ptr<krx::Dfa> search;    // forward, any start
  std::unique_ptr<krx::Dfa> anchored;  // forward, from one start
  std::unique_ptr<krx::Dfa> backward;  // reversed, any start
};

const char *const kMessages[] = {
    "Success",
    "No match",
    "Invalid regular expression",
    "Invalid collating element",
    "Unknown character class name",
    "Trailing backslash",
    "Invalid back reference",
    "Unmatched [ or [^",
    "Unmatched ( or missing )",
    "Unmatched {",
    "Invalid contents of {}",
    "Invalid range end",
    "Out of memory or pattern too large",
    "Repetition operator without an operand",
};

int exec(const Compiled &cc, const unsigned char *text, size_t nmatch,
         kr_regmatch_t *pmatch, int eflags, int nsub) {
  Compiled &c = const_cast<Compiled &>(cc);  // the automata fill their caches
  size_t n = std::strlen(reinterpret_cast<const char *>(text));
  if (n > size_t(INT32_MAX)) return KR_REG_ESPACE;
  bool bol0 = !(eflags & KR_REG_NOTBOL);
  bool eoln = !(eflags & KR_REG_NOTEOL);
  if (!c.search) c.search.reset(new krx::Dfa(c.forward, true));
  if (c.search->earliest_end(text, n, 0, bol0, eoln) < 0) return KR_REG_NOMATCH;
  if ((c.cflags & KR_REG_NOSUB) || nmatch == 0 || !pmatch) return 0;

  if (!c.backward) c.backward.reset(new krx::Dfa(c.reversed, true));
  if (!c.anchored) c.anchored.reset(new krx::Dfa(c.forward, false));
  long start = c.backward->leftmost_start(text, n, eoln, bol0);
  if (start < 0) return KR_REG_NOMATCH;
  size_t s = size_t(start);
  bool bol_s = s == 0 ? bol0 : (c.forward.newline && text[s - 1] == '\n');
  long end = c.anchored->longest_end(text, n, s, bol_s, eoln);
  if (end < 0) return KR_REG_NOMATCH;
  pmatch[0].rm_so = int32_t(start);
  pmatch[0].rm_eo = int32_t(end);
  for (size_t i = 1; i < nmatch; ++i) pmatch[i].rm_so = pmatch[i].rm_eo = -1;
  if (nmatch > 1 && nsub > 0) {
    std::vector<int32_t> slots;
    auto r = krx::posix_submatches(c.forward, text, n, s, size_t(end), eflags, slots);
    if (r == krx::SubmatchResult::TooBig) return KR_REG_ESPACE;
    if (r == krx::SubmatchResult::Found) {
      for (size_t g = 1; g < nmatch && g <= size_t(nsub); ++g) {
        int32_t so = slots[2 * g], eo = slots[2 * g + 1];
        bool whole = so >= 0 && eo >= so;
        pmatch[g].rm_so = whole ? so : -1;
        pmatch[g].rm_eo = whole ? eo : -1;
      }
    }
  }
  return 0;
}

}  // namespace

extern "C" int kr_regcomp(kr_regex_t *preg, const char *pattern, int cflags) {
  if (!preg) return KR_REG_BADPAT;
  preg->magic = 0;
  preg->re_nsub = 0;
  preg->re_prog = nullptr;
  preg->re_spare = nullptr;
  if (!pattern || !(cflags & KR_REG_EXTENDED)) return KR_REG_BADPAT;
  try {
    krx::Ast ast;
    if (int err = krx::parse_pattern(pattern, cflags, ast)) return err;
    std::unique_ptr<Compiled> c(new Compiled);
    c->cflags = cflags;
    bool newline = cflags & KR_REG_NEWLINE;
    krx::compile_forward(ast, newline, c->forward);
    krx::compile_reverse(ast, newline, c->reversed);
    preg->re_nsub = ast.ngroups;
    preg->re_prog = c.release();
    preg->magic = kMagic;
    return 0;
  } catch (const std::bad_alloc &) {
    return KR_REG_ESPACE;
  }
}

extern "C" int kr_regexec(const kr_regex_t *preg, const char *string, size_t nmatch,
                          kr_regmatch_t *pmatch, int eflags) {
  if (!preg || preg->magic != kMagic || !preg->re_prog || !string) return KR_REG_BADPAT;
  try {
    return exec(*static_cast<const Compiled *>(preg->re_prog),
                reinterpret_cast<const unsigned char *>(string), nmatch, pmatch,
                eflags & (KR_REG_NOTBOL | KR_REG_NOTEOL), preg->re_nsub);
  } catch (const std::bad_alloc &) {
    return KR_REG_ESPACE;
  }
}

extern "C" size_t kr_regerror(int errcode, const kr_regex_t *, char *errbuf,
                              size_t errbuf_size) {
  const size_t count = sizeof kMessages / sizeof kMessages[0];
  const char *msg = (errcode >= 0 && size_t(errcode) < count) ? kMessages[errcode]
                                                               : "Unknown error";
  size_t need = std::strlen(msg) + 1;
  if (errbuf && errbuf_size > 0) {
    size_t len = need <= errbuf_size ? need - 1 : errbuf_size - 1;
    std::memcpy(errbuf, msg, len);
    errbuf[len] = 0;
  }
  return need;
}

extern "C" void kr_regfree(kr_regex_t *preg) {
  if (!preg || preg->magic != kMagic) return;
  delete static_cast<Compiled *>(preg->re_prog);
  preg->magic = 0;
  preg->re_nsub = 0;
  preg->re_prog = nullptr;
}
