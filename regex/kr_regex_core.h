// The regular-expression engine under prefixed names, so that a program can
// link it beside the C library's own regcomp (the differential tests do).
// kr_px_regex.h gives the same functions their standard names.
#pragma once
#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

// Layout shared with regex_t: 16 bytes in the 32-bit build; the second 32-bit
// word is the group count whatever the pointer size.
typedef struct kr_regex {
  int32_t magic;
  int32_t re_nsub;
  void *re_prog;
  void *re_spare;
} kr_regex_t;

typedef struct kr_regmatch {
  int32_t rm_so;
  int32_t rm_eo;
} kr_regmatch_t;

enum {
  KR_REG_EXTENDED = 1,
  KR_REG_ICASE = 2,
  KR_REG_NOSUB = 4,
  KR_REG_NEWLINE = 8,
};

enum {
  KR_REG_NOTBOL = 1,
  KR_REG_NOTEOL = 2,
};

enum {
  KR_REG_OK = 0,
  KR_REG_NOMATCH = 1,
  KR_REG_BADPAT = 2,
  KR_REG_ECOLLATE = 3,
  KR_REG_ECTYPE = 4,
  KR_REG_EESCAPE = 5,
  KR_REG_ESUBREG = 6,
  KR_REG_EBRACK = 7,
  KR_REG_EPAREN = 8,
  KR_REG_EBRACE = 9,
  KR_REG_BADBR = 10,
  KR_REG_ERANGE = 11,
  KR_REG_ESPACE = 12,
  KR_REG_BADRPT = 13,
};

// Largest count allowed in {m,n}.
#define KR_RE_DUP_MAX 255

int kr_regcomp(kr_regex_t *preg, const char *pattern, int cflags);
int kr_regexec(const kr_regex_t *preg, const char *string, size_t nmatch,
               kr_regmatch_t *pmatch, int eflags);
size_t kr_regerror(int errcode, const kr_regex_t *preg, char *errbuf,
                   size_t errbuf_size);
void kr_regfree(kr_regex_t *preg);

#ifdef __cplusplus
}
#endif
