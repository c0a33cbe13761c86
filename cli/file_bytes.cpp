#include "cli/file_bytes.h"

#include <cstdio>

bool read_file_bytes(const std::string &path, std::string &bytes) {
  std::FILE *f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  bytes.clear();
  char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
  bool ok = !std::ferror(f);
  std::fclose(f);
  return ok;
}
