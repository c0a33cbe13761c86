#include "wasm/entries_json.h"

#include <cstdio>

namespace {

void add_string(std::string &json, const krtext &text) {
  json += '"';
  const char *bytes = text.c_str();
  for (int32_t i = 0, n = text.text_length(); i < n; ++i) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (c == '"' || c == '\\') {
      json += '\\';
      json += static_cast<char>(c);
    } else if (c < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      json += escaped;
    } else {
      json += static_cast<char>(c);
    }
  }
  json += '"';
}

}  // namespace

std::string entries_json(toc_node *first) {
  std::string json = "[";
  for (toc_node *entry = first; entry; entry = toc_tree::next_in_order(entry)) {
    if (json.size() > 1) json += ',';
    json += "{\"level\":" + std::to_string(entry->level) + ",\"text\":";
    add_string(json, entry->entry_text);
    json += ",\"href\":";
    add_string(json, entry->link_target);
    json += ",\"number\":";
    add_string(json, entry->number_prefix);
    json += '}';
  }
  return json + "]";
}
