#include "remove/path_text.h"

#include <windows.h>

std::string with_trailing_backslash(const std::string &path) {
  if (!path.empty() && path.back() == '\\') return path;
  return path + "\\";
}

std::string folder_of(const std::string &path) {
  size_t slash = path.find_last_of('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string file_name_of(const std::string &path) {
  size_t slash = path.find_last_of('\\');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool same_path(const std::string &a, const std::string &b) {
  std::string x = with_trailing_backslash(a), y = with_trailing_backslash(b);
  return lstrcmpiA(x.c_str(), y.c_str()) == 0;
}

bool is_inside(const std::string &path, const std::string &folder) {
  std::string f = with_trailing_backslash(folder);
  if (path.size() <= f.size()) return false;
  std::string head = path.substr(0, f.size());
  return lstrcmpiA(head.c_str(), f.c_str()) == 0;
}

std::string full_path(const std::string &path) {
  char buffer[MAX_PATH * 2];
  DWORD n = GetFullPathNameA(path.c_str(), sizeof buffer, buffer, nullptr);
  if (n == 0 || n >= sizeof buffer) return path;
  return std::string(buffer, n);
}
