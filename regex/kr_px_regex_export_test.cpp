// The shared library as the application sees it: loaded at run time, it
// offers regcomp, regexec, regerror and regfree, they are its own (they act as
// this engine does where the C library acts otherwise), and nothing else of
// the engine leaks out.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace {

struct Regex16 {  // the record as the application lays it out
  int32_t magic;
  int32_t re_nsub;
  void *prog;
  void *spare;
};
struct Match {
  int32_t so, eo;
};
using Comp = int (*)(Regex16 *, const char *, int);
using Exec = int (*)(const Regex16 *, const char *, size_t, Match *, int);
using Err = size_t (*)(int, const Regex16 *, char *, size_t);
using Free = void (*)(Regex16 *);

class Library {
public:
  Library() {
#ifdef _WIN32
    handle_ = LoadLibraryA(KR_PX_REGEX_PATH);
#else
    handle_ = dlopen(KR_PX_REGEX_PATH, RTLD_NOW | RTLD_LOCAL);
#endif
  }
  ~Library() {
#ifdef _WIN32
    if (handle_) FreeLibrary(static_cast<HMODULE>(handle_));
#else
    if (handle_) dlclose(handle_);
#endif
  }
  bool loaded() const { return handle_ != nullptr; }
  void *symbol(const char *name) const {
#ifdef _WIN32
    return reinterpret_cast<void *>(GetProcAddress(static_cast<HMODULE>(handle_), name));
#else
    return dlsym(handle_, name);
#endif
  }

private:
  void *handle_ = nullptr;
};

TEST(KrPxRegexLibrary, LoadsAndOffersTheFourNamesOnly) {
  Library lib;
  ASSERT_TRUE(lib.loaded()) << KR_PX_REGEX_PATH;
  for (const char *name : {"regcomp", "regexec", "regerror", "regfree"})
    EXPECT_NE(lib.symbol(name), nullptr) << name;
  for (const char *name : {"kr_regcomp", "kr_regexec", "kr_regerror", "kr_regfree"})
    EXPECT_EQ(lib.symbol(name), nullptr) << name;
}

TEST(KrPxRegexLibrary, FunctionsAreTheEnginesOwn) {
  Library lib;
  ASSERT_TRUE(lib.loaded());
  auto comp = reinterpret_cast<Comp>(lib.symbol("regcomp"));
  auto exec = reinterpret_cast<Exec>(lib.symbol("regexec"));
  auto err = reinterpret_cast<Err>(lib.symbol("regerror"));
  auto fre = reinterpret_cast<Free>(lib.symbol("regfree"));
  ASSERT_TRUE(comp && exec && err && fre);
#ifndef _WIN32
  Dl_info info;
  ASSERT_NE(dladdr(reinterpret_cast<void *>(comp), &info), 0);
  EXPECT_NE(std::strstr(info.dli_fname, "kr_px_regex"), nullptr) << info.dli_fname;
#endif
  // The C library would report group 2 from the first iteration, and count
  // 256 as a valid bound; this engine does neither.
  Regex16 re;
  ASSERT_EQ(comp(&re, "((a)|b)+", 1), 0);
  EXPECT_EQ(re.re_nsub, 2);
  Match m[3];
  ASSERT_EQ(exec(&re, "ab", 3, m, 0), 0);
  EXPECT_EQ(m[1].so, 1);
  EXPECT_EQ(m[2].so, -1);
  fre(&re);
  EXPECT_EQ(comp(&re, "a{256}", 1), 10);

  // The application's call: extended, case-insensitive, no sub-matches.
  ASSERT_EQ(comp(&re, "<!--[ \t\r\n]*toc[ \t\r\n]*-->", 7), 0);
  EXPECT_EQ(exec(&re, "<!-- TOC -->", 0, nullptr, 0), 0);
  EXPECT_EQ(exec(&re, "<!-- toc here -->", 0, nullptr, 0), 1);
  fre(&re);

  char buf[8];
  size_t need = err(1, nullptr, buf, sizeof buf);
  EXPECT_EQ(need, std::strlen("No match") + 1);
  EXPECT_STREQ(buf, "No matc");
}

#ifndef _WIN32
TEST(KrPxRegexLibrary, DynamicSymbolTableHoldsOnlyTheFour) {
  std::string cmd = std::string("nm -D --defined-only '") + KR_PX_REGEX_PATH + "' 2>/dev/null";
  FILE *pipe = popen(cmd.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  char line[512];
  std::string exported;
  int lines = 0;
  while (fgets(line, sizeof line, pipe)) {
    ++lines;
    char kind = 0;
    char name[400] = {0};
    if (std::sscanf(line, "%*s %c %399s", &kind, name) == 2 && (kind == 'T' || kind == 'W' || kind == 'D' || kind == 'B' || kind == 'V' || kind == 'R' || kind == 'i' || kind == 'u'))
      exported += std::string(name) + " ";
  }
  int status = pclose(pipe);
  if (lines == 0 || status != 0) GTEST_SKIP() << "nm not available";
  EXPECT_EQ(exported, "regcomp regerror regexec regfree ");
}
#endif

}  // namespace
