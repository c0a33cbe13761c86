#include "regex/regex_library_file.h"

#include <dlfcn.h>
#include <link.h>
#include <unistd.h>
#include <string>
#include "regex/regex_binding.h"

const char regex_library_file[] = "kr_px_regex.so";

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
