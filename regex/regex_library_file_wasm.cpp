#include "regex/regex_library_file.h"

#include <cstring>
#include "regex/kr_px_regex.h"
#include "regex/kr_regex_core.h"
#include "regex/regex_binding.h"

// A WebAssembly module loads no libraries: the engine is linked in under its
// prefixed names (the C library there has its own regcomp), and "opening"
// the library hands back these four functions under the standard names.
const char regex_library_file[] = "kr_px_regex (linked in)";

namespace {

static_assert(sizeof(regex_t) == sizeof(kr_regex_t), "regex_t layout");
static_assert(sizeof(regmatch_t) == sizeof(kr_regmatch_t), "regmatch_t layout");

int linked_regcomp(regex_t *preg, const char *pattern, int cflags) {
  return kr_regcomp(reinterpret_cast<kr_regex_t *>(preg), pattern, cflags);
}

int linked_regexec(const regex_t *preg, const char *string, size_t nmatch, regmatch_t *pmatch,
                   int eflags) {
  return kr_regexec(reinterpret_cast<const kr_regex_t *>(preg), string, nmatch,
                    reinterpret_cast<kr_regmatch_t *>(pmatch), eflags);
}

size_t linked_regerror(int errcode, const regex_t *preg, char *errbuf, size_t errbuf_size) {
  return kr_regerror(errcode, reinterpret_cast<const kr_regex_t *>(preg), errbuf, errbuf_size);
}

void linked_regfree(regex_t *preg) { kr_regfree(reinterpret_cast<kr_regex_t *>(preg)); }

int linked_library;   // its address is the handle

}  // namespace

void *open_library() { return &linked_library; }

void *find_function(void *handle, const char *name) {
  if (handle != &linked_library) return nullptr;
  if (std::strcmp(name, "regcomp") == 0) return reinterpret_cast<void *>(&linked_regcomp);
  if (std::strcmp(name, "regexec") == 0) return reinterpret_cast<void *>(&linked_regexec);
  if (std::strcmp(name, "regerror") == 0) return reinterpret_cast<void *>(&linked_regerror);
  if (std::strcmp(name, "regfree") == 0) return reinterpret_cast<void *>(&linked_regfree);
  return nullptr;
}

void close_library(void *) {}
