// libFuzzer target: input is [cflags byte][eflags byte] pattern NUL subject.
// Compiles and runs the pattern and checks what must hold of any answer.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>
#include "regex/kr_regex_core.h"

namespace {
void require(bool ok) {
  if (!ok) __builtin_trap();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size < 2) return 0;
  int cflags = KR_REG_EXTENDED | (data[0] & (KR_REG_ICASE | KR_REG_NOSUB | KR_REG_NEWLINE));
  int eflags = data[1] & (KR_REG_NOTBOL | KR_REG_NOTEOL);
  const char *rest = reinterpret_cast<const char *>(data + 2);
  size_t left = size - 2;
  const char *nul = static_cast<const char *>(std::memchr(rest, 0, left));
  std::string pattern(rest, nul ? size_t(nul - rest) : left);
  std::string subject = nul ? std::string(nul + 1, left - size_t(nul - rest) - 1) : std::string();
  subject = subject.c_str();  // the subject ends at its first NUL, as in C

  kr_regex_t re;
  int rc = kr_regcomp(&re, pattern.c_str(), cflags);
  if (rc != 0) {
    require(rc >= KR_REG_BADPAT && rc <= KR_REG_BADRPT);
    char buf[16];
    require(kr_regerror(rc, &re, buf, sizeof buf) > 1);
    return 0;
  }
  require(re.re_nsub >= 0);
  std::vector<kr_regmatch_t> m(size_t(re.re_nsub) + 1);
  int any = kr_regexec(&re, subject.c_str(), 0, nullptr, eflags);
  int full = kr_regexec(&re, subject.c_str(), m.size(), m.data(), eflags);
  require(any == 0 || any == KR_REG_NOMATCH);
  require(full == any || full == KR_REG_ESPACE);
  if (full == 0 && !(cflags & KR_REG_NOSUB)) {
    int n = int(subject.size());
    require(m[0].rm_so >= 0 && m[0].rm_so <= m[0].rm_eo && m[0].rm_eo <= n);
    for (size_t g = 1; g < m.size(); ++g) {
      if (m[g].rm_so == -1) {
        require(m[g].rm_eo == -1);
        continue;
      }
      require(m[g].rm_so >= m[0].rm_so && m[g].rm_so <= m[g].rm_eo && m[g].rm_eo <= m[0].rm_eo);
    }
    // A second run answers the same (the automata's caches are warm now).
    std::vector<kr_regmatch_t> again(m.size());
    require(kr_regexec(&re, subject.c_str(), again.size(), again.data(), eflags) == 0);
    for (size_t g = 0; g < m.size(); ++g)
      require(again[g].rm_so == m[g].rm_so && again[g].rm_eo == m[g].rm_eo);
  }
  kr_regfree(&re);
  return 0;
}
