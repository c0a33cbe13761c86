#include "winservices/registry.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

// The registry data of a Value, by its tag.
void registry_data_of(const krval &value, DWORD &type, std::vector<BYTE> &data) {
  data.clear();
  switch (value.tag) {
  case KR_TEXT: {
    type = REG_SZ;
    const char *text = value.c_str();
    data.assign(text, text + value.text_length());
    data.push_back(0);
    break;
  }
  case KR_INT:
  case KR_FLAG: {
    type = REG_DWORD;
    // A flag's byte is widened with its sign, as the integer reading does.
    int32_t number = value.tag == KR_INT ? value.payload.integer : value.payload.flag;
    data.resize(4);
    std::memcpy(data.data(), &number, 4);
    break;
  }
  case KR_REAL:
    type = REG_BINARY;
    data.assign(value.payload.raw, value.payload.raw + 8);
    break;
  default:
    type = REG_NONE;
    break;
  }
}

// The Value of registry data. Text keeps what lies before the terminating
// zeros the type calls for; only zeros that are really there are dropped, so
// a value stored without its terminator loses no character.
krval value_of(DWORD type, const BYTE *data, DWORD size) {
  const char *bytes = reinterpret_cast<const char *>(data);
  auto drop_zeros = [&](DWORD most) {
    DWORD n = size;
    for (DWORD i = 0; i < most && n > 0 && data[n - 1] == 0; ++i) --n;
    return n;
  };
  switch (type) {
  case REG_SZ:
  case REG_EXPAND_SZ:
    return krval(bytes, static_cast<int32_t>(drop_zeros(1)));
  case REG_MULTI_SZ:
    return krval(bytes, static_cast<int32_t>(drop_zeros(2)));
  case REG_BINARY:
    return krval(bytes, static_cast<int32_t>(size));
  case REG_DWORD: {
    uint32_t number = 0;
    std::memcpy(&number, data, size < 4 ? size : 4);
    return krval(static_cast<int32_t>(number));
  }
  default:
    return krval("");
  }
}

std::vector<krval> names_in(krhash &values) {
  std::vector<krval> names;
  krval name;
  krval value;
  values.begin_iteration();
  while (values.next(name, value)) names.push_back(name);
  return names;
}

}  // namespace

bool read_registry_values(HKEY root, const krval &sub_key, krhash &values) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, sub_key.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  DWORD largest = 0;
  if (RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                       &largest, nullptr, nullptr) != ERROR_SUCCESS) {
    RegCloseKey(key);
    return false;
  }
  std::vector<BYTE> buffer(largest + 1);
  for (const krval &name : names_in(values)) {
    DWORD type = 0;
    DWORD size = largest;
    if (RegQueryValueExA(key, name.c_str(), nullptr, &type, buffer.data(), &size) == ERROR_SUCCESS) {
      if (size > largest) size = largest;
      values.set(name, value_of(type, buffer.data(), size));
    }
  }
  RegCloseKey(key);
  return true;
}

bool write_registry_values(HKEY root, const krval &sub_key, krhash &values) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, sub_key.c_str(), 0, KEY_WRITE, &key) != ERROR_SUCCESS) return false;
  std::vector<BYTE> data;
  for (const krval &name : names_in(values)) {
    krval value;
    values.get(name, value);
    DWORD type = REG_NONE;
    registry_data_of(value, type, data);
    RegSetValueExA(key, name.c_str(), 0, type, data.empty() ? nullptr : data.data(),
                   static_cast<DWORD>(data.size()));
  }
  RegCloseKey(key);
  return true;
}

bool create_registry_key(HKEY root, const krval &sub_key) {
  HKEY key = nullptr;
  DWORD disposition = 0;
  LONG result = RegCreateKeyExA(root, sub_key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                KEY_ALL_ACCESS, nullptr, &key, &disposition);
  if (result != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}
