#include "app/module_file_name.h"

#include <unistd.h>

void module_file_name(krval &path) {
  char buffer[1025];
  ssize_t n = readlink("/proc/self/exe", buffer, 1024);
  if (n < 0) n = 0;
  path.assign_bytes(buffer, static_cast<int32_t>(n));
}

void module_folder(krval &folder) {
  module_file_name(folder);
  int32_t slash = folder.find_last(krval("/"));
  folder.set_length(slash >= 0 ? slash + 1 : 0);
}
