#include "test_support/test_registry_win32.h"

bool registry_text(HKEY root, const std::string &key, const std::string &name, std::string &out) {
  HKEY k;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
  char data[4096];
  DWORD size = sizeof data - 1, type = 0;
  LONG r = RegQueryValueExA(k, name.c_str(), nullptr, &type, reinterpret_cast<BYTE *>(data), &size);
  RegCloseKey(k);
  if (r != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
  // The stored size counts the terminating zero.
  if (size > 0 && data[size - 1] == '\0') --size;
  out.assign(data, size);
  return true;
}

bool registry_has_value(HKEY root, const std::string &key, const std::string &name) {
  HKEY k;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
  LONG r = RegQueryValueExA(k, name.c_str(), nullptr, nullptr, nullptr, nullptr);
  RegCloseKey(k);
  return r == ERROR_SUCCESS;
}

bool registry_has_key(HKEY root, const std::string &key) {
  HKEY k;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
  RegCloseKey(k);
  return true;
}

bool set_registry_text(HKEY root, const std::string &key, const std::string &name,
                       const std::string &text) {
  HKEY k;
  if (RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr) !=
      ERROR_SUCCESS)
    return false;
  LONG r = RegSetValueExA(k, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE *>(text.c_str()),
                          static_cast<DWORD>(text.size() + 1));
  RegCloseKey(k);
  return r == ERROR_SUCCESS;
}

void delete_registry_value(HKEY root, const std::string &key, const std::string &name) {
  HKEY k;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_SET_VALUE, &k) != ERROR_SUCCESS) return;
  RegDeleteValueA(k, name.c_str());
  RegCloseKey(k);
}

std::vector<std::string> registry_sub_keys(HKEY root, const std::string &key) {
  std::vector<std::string> keys;
  HKEY k;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return keys;
  char name[512];
  for (DWORD i = 0;; ++i) {
    DWORD size = sizeof name;
    if (RegEnumKeyExA(k, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    keys.emplace_back(name, size);
  }
  RegCloseKey(k);
  return keys;
}

void delete_registry_tree(HKEY root, const std::string &key) {
  for (const std::string &sub : registry_sub_keys(root, key)) delete_registry_tree(root, key + "\\" + sub);
  RegDeleteKeyA(root, key.c_str());
}

std::string shell_folder_path(HKEY root, const char *name) {
  std::string path;
  registry_text(root, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", name,
                path);
  return path;
}

registry_value_aside::registry_value_aside(HKEY r, const std::string &k, const std::string &n)
    : root(r), key(k), name(n) {
  had = registry_text(root, key, name, text);
  if (had) delete_registry_value(root, key, name);
}

registry_value_aside::~registry_value_aside() {
  if (had) set_registry_text(root, key, name, text);
}
