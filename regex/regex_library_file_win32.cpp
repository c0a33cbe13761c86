#include "regex/regex_library_file.h"

#include <windows.h>
#include "regex/regex_binding.h"

const char regex_library_file[] = "kr_px_regex.dll";

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
