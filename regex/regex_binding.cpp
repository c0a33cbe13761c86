#include "html/regex_binding.h"

#include <cstdlib>
#include "regex/kr_px_regex.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#include <link.h>
#include <unistd.h>
#include <string>
#endif

namespace {

using regcomp_function = int (*)(regex_t *, const char *, int);
using regexec_function = int (*)(const regex_t *, const char *, size_t, regmatch_t *, int);
using regerror_function = size_t (*)(int, const regex_t *, char *, size_t);
using regfree_function = void (*)(regex_t *);

struct regex_library {
  void *handle = nullptr;
  regcomp_function compile = nullptr;
  regexec_function execute = nullptr;
  regerror_function error = nullptr;   // looked up so an incomplete library is refused; never called
  regfree_function release = nullptr;
} library;

#ifdef _WIN32

void *open_library() {
  UINT previous = SetErrorMode(SEM_NOOPENFILEERRORBOX);
  HMODULE module = LoadLibraryA(regex_library_file);
  SetErrorMode(previous);
  return reinterpret_cast<void *>(module);
}

void *find_function(void *handle, const char *name) {
  return reinterpret_cast<void *>(GetProcAddress(static_cast<HMODULE>(handle), name));
}

void close_library(void *handle) { FreeLibrary(static_cast<HMODULE>(handle)); }

#else

// The library travels with the program: first beside it, then in the library
// folder of an installation (bin/../lib/quenby). Never the system's search
// path, so a program cannot pick up some other library of the same name.
void *open_library() {
  char self[4097];
  ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) return nullptr;
  std::string folder(self, static_cast<size_t>(n));
  folder.resize(folder.rfind('/') + 1);
  const std::string places[] = {folder + regex_library_file,
                                folder + "../lib/quenby/" + regex_library_file};
  for (const std::string &path : places)
    if (void *handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) return handle;
  return nullptr;
}

// dlsym on a handle also searches the libraries it depends on, and the C
// library has functions of these very names: a function counts only when it
// lives in the library that was opened.
void *find_function(void *handle, const char *name) {
  void *function = dlsym(handle, name);
  if (!function) return nullptr;
  struct link_map *opened = nullptr;
  struct link_map *owner = nullptr;
  Dl_info info;
  if (dlinfo(handle, RTLD_DI_LINKMAP, &opened) != 0) return nullptr;
  if (!dladdr1(function, &info, reinterpret_cast<void **>(&owner), RTLD_DL_LINKMAP))
    return nullptr;
  return owner == opened ? function : nullptr;
}

void close_library(void *handle) { dlclose(handle); }

#endif

}  // namespace

#ifdef _WIN32
const char regex_library_file[] = "kr_px_regex.dll";
#else
const char regex_library_file[] = "kr_px_regex.so";
#endif

bool load_regex_library() {
  if (library.handle) return true;
  void *handle = open_library();
  if (!handle) return false;
  regex_library found;
  found.handle = handle;
  // In this order, stopping at the first one missing.
  if ((found.compile = reinterpret_cast<regcomp_function>(find_function(handle, "regcomp"))) &&
      (found.execute = reinterpret_cast<regexec_function>(find_function(handle, "regexec"))) &&
      (found.error = reinterpret_cast<regerror_function>(find_function(handle, "regerror"))) &&
      (found.release = reinterpret_cast<regfree_function>(find_function(handle, "regfree")))) {
    library = found;
    return true;
  }
  close_library(handle);
  return false;
}

void release_regex_library() {
  if (!library.handle) return;
  close_library(library.handle);
  library = regex_library();
}

bool regex_library_loaded() { return library.handle != nullptr; }

// A pair outside the subject, or empty, gives empty text.
static krval sub_match_text(const krval &subject, long start, long end) {
  const long length = subject.text_length();
  if (start < 0 || end < 1 || start >= length || end > length || start >= end)
    return krval("");
  return krval(subject.c_str() + start, static_cast<int32_t>(end - start));
}

int32_t regex_match(const krval &pattern, int32_t flags, const krval &subject, krarr *list) {
  if (list)
    list->clear();
  else
    flags |= REGEX_NOSUB;
  if (!library.handle) return -1;

  regex_t record;
  int32_t result = library.compile(&record, pattern.c_str(), flags | REGEX_EXTENDED);
  if (result != 0) return result;

  if (!list) {
    result = library.execute(&record, subject.c_str(), 0, nullptr, 0);
  } else {
    const size_t pairs = static_cast<size_t>(record.re_nsub) + 1;
    regmatch_t *matches = static_cast<regmatch_t *>(std::calloc(pairs, sizeof(regmatch_t)));
    if (!matches) {
      library.release(&record);
      return -1;
    }
    result = library.execute(&record, subject.c_str(), pairs, matches, 0);
    if (result == 0)
      for (size_t i = pairs; i-- > 0;) {
        krval text = sub_match_text(subject, static_cast<long>(matches[i].rm_so),
                                    static_cast<long>(matches[i].rm_eo));
        list->push_front(text);
      }
    std::free(matches);
  }
  library.release(&record);
  return result;
}
