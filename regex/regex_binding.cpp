#include "regex/regex_binding.h"

#include <cstdlib>
#include "regex/kr_px_regex.h"
#include "regex/regex_library_file.h"

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

}  // namespace

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
