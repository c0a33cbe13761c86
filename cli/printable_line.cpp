#include "cli/printable_line.h"

std::string printable_line(const std::string &line) {
  std::string shown;
  shown.reserve(line.size());
  for (const char c : line) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u >= 0x20 && u != 0x7f) {
      shown += c;
    } else if (c == '\n') {
      shown += "\\n";
    } else if (c == '\r') {
      shown += "\\r";
    } else if (c == '\t') {
      shown += "\\t";
    } else {
      static const char digits[] = "0123456789abcdef";
      shown += "\\x";
      shown += digits[u >> 4];
      shown += digits[u & 15];
    }
  }
  return shown;
}
