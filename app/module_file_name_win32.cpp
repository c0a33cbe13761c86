#include "app/module_file_name.h"

#include <windows.h>

void module_file_name(krval &path) {
  char buffer[1025];
  DWORD n = GetModuleFileNameA(nullptr, buffer, 1024);
  if (n > 1024) n = 1024;
  path.assign_bytes(buffer, static_cast<int32_t>(n));
}

void module_folder(krval &folder) {
  module_file_name(folder);
  int32_t slash = folder.find_last(krval("\\"));
  folder.set_length(slash >= 0 ? slash + 1 : 0);
}
