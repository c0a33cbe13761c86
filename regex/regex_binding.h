// The binding to the regular-expression library kr_px_regex: loaded once at
// start from the program's own folder, so that a missing or incomplete library
// stops the program before any work, and wrapped in one matching operation on
// Values.
#pragma once
#include <cstdint>
#include "value/krarr.h"
#include "value/krval.h"

enum regex_flag : int32_t {
  REGEX_EXTENDED = 1,
  REGEX_ICASE = 2,
  REGEX_NOSUB = 4,
};

// The library's file name: kr_px_regex.dll on Windows, kr_px_regex.so elsewhere.
extern const char regex_library_file[];

// True when the library and all of regcomp, regexec, regerror and regfree
// were found. Loading an already loaded library succeeds at once.
bool load_regex_library();
void release_regex_library();
bool regex_library_loaded();

// The result of regexec (0: the subject matches) or the nonzero result of
// regcomp; -1 when the library is not loaded. With a list, the list is
// replaced by the whole match and then every group in order, a group that
// took no part (or matched nothing) as empty text.
int32_t regex_match(const krval &pattern, int32_t flags, const krval &subject,
                    krarr *list = nullptr);
