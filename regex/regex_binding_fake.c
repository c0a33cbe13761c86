/* A stand-in regular-expression library that lacks regfree: the binding must
   refuse it as a whole rather than run with three of its four functions. */
#include <stddef.h>

#ifdef _WIN32
#define EXPORT __declspec(dllexport)
#else
#define EXPORT __attribute__((visibility("default")))
#endif

EXPORT int regcomp(void *record, const char *pattern, int flags) {
  (void)record; (void)pattern; (void)flags;
  return 0;
}

EXPORT int regexec(const void *record, const char *subject, size_t count, void *pairs,
                   int flags) {
  (void)record; (void)subject; (void)count; (void)pairs; (void)flags;
  return 0;
}

EXPORT size_t regerror(int code, const void *record, char *buffer, size_t size) {
  (void)code; (void)record; (void)buffer; (void)size;
  return 0;
}
