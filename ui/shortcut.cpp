#include "ui/shortcut.h"

#include <cstring>
#include <string>

namespace {

bool take_prefix(std::string &rest, const char *prefix) {
  size_t n = std::strlen(prefix);
  if (rest.compare(0, n, prefix) != 0) return false;
  rest.erase(0, n);
  return true;
}

}  // namespace

bool parse_shortcut(const char *text, shortcut_key &out) {
  if (!text) return false;
  std::string rest(text);
  shortcut_key key;
  for (bool found = true; found;) {
    found = false;
    if (take_prefix(rest, "Ctrl+")) key.ctrl = found = true;
    if (take_prefix(rest, "Shift+")) key.shift = found = true;
    if (take_prefix(rest, "Alt+")) key.alt = found = true;
  }
  if (rest.size() == 1 && ((rest[0] >= 'A' && rest[0] <= 'Z') || (rest[0] >= '0' && rest[0] <= '9'))) {
    key.key = static_cast<uint16_t>(rest[0]);
  } else if (rest.size() >= 2 && rest[0] == 'F') {
    int n = 0;
    for (size_t i = 1; i < rest.size(); ++i) {
      if (rest[i] < '0' || rest[i] > '9') return false;
      n = n * 10 + (rest[i] - '0');
      if (n > 12) return false;
    }
    if (n < 1) return false;
    key.key = static_cast<uint16_t>(0x70 + n - 1);
  } else {
    return false;
  }
  out = key;
  return true;
}
