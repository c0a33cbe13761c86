// The shared library's only exports: the four standard names over the engine.
#define KR_PX_REGEX_BUILDING
#include "regex/kr_px_regex.h"
#include "regex/kr_regex_core.h"

static_assert(sizeof(regex_t) == sizeof(kr_regex_t), "regex_t layout");
static_assert(sizeof(regmatch_t) == sizeof(kr_regmatch_t), "regmatch_t layout");
static_assert(sizeof(void *) != 4 || sizeof(regex_t) == 16, "16-byte regex_t");

extern "C" KR_PX_REGEX_API int regcomp(regex_t *preg, const char *pattern, int cflags) {
  return kr_regcomp(reinterpret_cast<kr_regex_t *>(preg), pattern, cflags);
}

extern "C" KR_PX_REGEX_API int regexec(const regex_t *preg, const char *string,
                                       size_t nmatch, regmatch_t *pmatch, int eflags) {
  return kr_regexec(reinterpret_cast<const kr_regex_t *>(preg), string, nmatch,
                    reinterpret_cast<kr_regmatch_t *>(pmatch), eflags);
}

extern "C" KR_PX_REGEX_API size_t regerror(int errcode, const regex_t *preg,
                                           char *errbuf, size_t errbuf_size) {
  return kr_regerror(errcode, reinterpret_cast<const kr_regex_t *>(preg), errbuf,
                     errbuf_size);
}

extern "C" KR_PX_REGEX_API void regfree(regex_t *preg) {
  kr_regfree(reinterpret_cast<kr_regex_t *>(preg));
}
