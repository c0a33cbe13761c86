// kr_px_regex: POSIX extended regular expressions (regcomp, regexec, regerror,
// regfree) as a shared library, kr_px_regex.dll / kr_px_regex.so. Bytes are
// 8-bit, ranges and classes are those of the C locale, and matching takes time
// linear in the subject. Back-references are not supported (\1 gives
// REG_ESUBREG). A compiled regex_t caches matching state inside it: share one
// between threads only with a lock.
#pragma once
#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32) && defined(KR_PX_REGEX_BUILDING)
#define KR_PX_REGEX_API __declspec(dllexport)
#elif defined(KR_PX_REGEX_BUILDING)
#define KR_PX_REGEX_API __attribute__((visibility("default")))
#else
#define KR_PX_REGEX_API
#endif

// 16 bytes in the 32-bit build; the second 32-bit word is the number of
// parenthesised groups.
typedef struct {
  int32_t magic;
  int32_t re_nsub;
  void *re_prog;
  void *re_spare;
} regex_t;

typedef int32_t regoff_t;
typedef struct {
  regoff_t rm_so;
  regoff_t rm_eo;
} regmatch_t;

#define REG_EXTENDED 1
#define REG_ICASE 2
#define REG_NOSUB 4
#define REG_NEWLINE 8

#define REG_NOTBOL 1
#define REG_NOTEOL 2

#define REG_NOMATCH 1
#define REG_BADPAT 2
#define REG_ECOLLATE 3
#define REG_ECTYPE 4
#define REG_EESCAPE 5
#define REG_ESUBREG 6
#define REG_EBRACK 7
#define REG_EPAREN 8
#define REG_EBRACE 9
#define REG_BADBR 10
#define REG_ERANGE 11
#define REG_ESPACE 12
#define REG_BADRPT 13

#define RE_DUP_MAX 255

KR_PX_REGEX_API int regcomp(regex_t *preg, const char *pattern, int cflags);
KR_PX_REGEX_API int regexec(const regex_t *preg, const char *string,
                            size_t nmatch, regmatch_t *pmatch, int eflags);
KR_PX_REGEX_API size_t regerror(int errcode, const regex_t *preg, char *errbuf,
                                size_t errbuf_size);
KR_PX_REGEX_API void regfree(regex_t *preg);

#ifdef __cplusplus
}
#endif
