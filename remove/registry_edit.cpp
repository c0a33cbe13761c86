#include "remove/registry_edit.h"

#include <vector>

bool read_string_value(HKEY root, const char *key, const char *name, std::string &out) {
  HKEY k;
  if (RegOpenKeyExA(root, key, 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
  DWORD type = 0, size = 0;
  bool ok = RegQueryValueExA(k, name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
            (type == REG_SZ || type == REG_EXPAND_SZ);
  if (ok) {
    std::vector<char> data(size + 1, '\0');
    ok = RegQueryValueExA(k, name, nullptr, &type, reinterpret_cast<BYTE *>(data.data()), &size) ==
         ERROR_SUCCESS;
    if (ok) out.assign(data.data());   // up to the terminating zero, wherever it is
  }
  RegCloseKey(k);
  return ok;
}

bool delete_value(HKEY root, const char *key, const char *name) {
  HKEY k;
  LONG opened = RegOpenKeyExA(root, key, 0, KEY_SET_VALUE, &k);
  if (opened == ERROR_FILE_NOT_FOUND) return true;
  if (opened != ERROR_SUCCESS) return false;
  LONG deleted = RegDeleteValueA(k, name);
  RegCloseKey(k);
  return deleted == ERROR_SUCCESS || deleted == ERROR_FILE_NOT_FOUND;
}

bool key_exists(HKEY root, const char *key) {
  HKEY k;
  if (RegOpenKeyExA(root, key, 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
  RegCloseKey(k);
  return true;
}

bool delete_key_if_empty(HKEY root, const char *key) {
  HKEY k;
  LONG opened = RegOpenKeyExA(root, key, 0, KEY_READ, &k);
  if (opened == ERROR_FILE_NOT_FOUND) return true;
  if (opened != ERROR_SUCCESS) return false;
  DWORD sub_keys = 0, values = 0;
  LONG queried = RegQueryInfoKeyA(k, nullptr, nullptr, nullptr, &sub_keys, nullptr, nullptr,
                                  &values, nullptr, nullptr, nullptr, nullptr);
  RegCloseKey(k);
  if (queried != ERROR_SUCCESS || sub_keys != 0 || values != 0) return false;
  return delete_key(root, key);
}

bool delete_key(HKEY root, const char *key) {
  LONG deleted = RegDeleteKeyA(root, key);
  return deleted == ERROR_SUCCESS || deleted == ERROR_FILE_NOT_FOUND;
}
