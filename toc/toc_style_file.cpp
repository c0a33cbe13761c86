#include "toc/toc_style_file.h"

#include <cstring>

namespace {

// A value is repeated for every entry (item_indentation once more per
// level): a hostile or mistaken style must not make pages of any size.
constexpr size_t style_value_limit = 1024;

// The quoted value from text[at] on; false where it is not one.
bool unquote(const std::string &text, size_t at, std::string &value, std::string &why) {
  if (at >= text.size() || text[at] != '"') {
    why = "the value must stand in double quotes";
    return false;
  }
  value.clear();
  size_t i = at + 1;
  for (; i < text.size() && text[i] != '"'; ++i) {
    if (text[i] != '\\') {
      value += text[i];
      continue;
    }
    if (++i >= text.size()) break;
    switch (text[i]) {
      case 'r': value += '\r'; break;
      case 'n': value += '\n'; break;
      case 't': value += '\t'; break;
      case '"': value += '"'; break;
      case '\\': value += '\\'; break;
      default:
        why = std::string("unknown escape \\") + text[i];
        return false;
    }
  }
  if (i >= text.size()) {
    why = "the closing double quote is missing";
    return false;
  }
  if (value.size() > style_value_limit) {
    why = "the value is longer than " + std::to_string(style_value_limit) + " bytes";
    return false;
  }
  if (text.find_first_not_of(" \t", i + 1) != std::string::npos) {
    why = "text after the closing double quote";
    return false;
  }
  return true;
}

bool set_text_field(toc_style &style, toc_layout &layout, const std::string &key,
                    const std::string &value) {
  krval text(value.data(), static_cast<int32_t>(value.size()));
  krval *fields[] = {&style.list_start,       &style.list_end,
                     &style.item_start,       &style.item_end,
                     &style.item_indentation, &style.toc_anchor_attributes,
                     &style.named_anchor_attributes};
  const char *names[] = {"list_start",       "list_end",
                         "item_start",       "item_end",
                         "item_indentation", "toc_anchor_attributes",
                         "named_anchor_attributes"};
  for (size_t k = 0; k < sizeof names / sizeof *names; ++k)
    if (key == names[k]) {
      *fields[k] = text;
      return true;
    }
  std::string *layout_fields[] = {&layout.toc_start,       &layout.toc_end,
                                  &layout.branch_start,    &layout.branch_link_end,
                                  &layout.branch_end,      &layout.number_start,
                                  &layout.number_end,      &layout.comment,
                                  &layout.label};
  const char *layout_names[] = {"toc_start",  "toc_end",      "branch_start", "branch_link_end",
                                "branch_end", "number_start", "number_end",   "comment",
                                "label"};
  for (size_t k = 0; k < sizeof layout_names / sizeof *layout_names; ++k)
    if (key == layout_names[k]) {
      *layout_fields[k] = value;
      return true;
    }
  return false;
}

bool is_text_key(const std::string &key) {
  toc_style style;
  toc_layout layout;
  return set_text_field(style, layout, key, "");
}

// One line's key and value into the style; false with the reason.
bool apply_line(const std::string &key, const std::string &rest, toc_style &style,
                toc_layout &layout, std::string &why) {
  if (is_text_key(key)) {
    std::string value;
    if (!unquote(rest, 0, value, why)) return false;
    if (key == "comment" && (value.find("--") != std::string::npos || value.find('>') != std::string::npos)) {
      why = "the comment may hold neither -- nor >";
      return false;
    }
    set_text_field(style, layout, key, value);
    return true;
  }
  if (key == "range_from" || key == "range_to") {
    if (rest.size() != 1 || rest[0] < '1' || rest[0] > '9') {
      why = key + " must be a level from 1 to 9, not '" + rest + "'";
      return false;
    }
    (key == "range_from" ? style.range_from : style.range_to) = int32_t(rest[0] - '0');
    return true;
  }
  if (key == "nested") {
    if (rest != "yes" && rest != "no") {
      why = "nested must be yes or no, not '" + rest + "'";
      return false;
    }
    layout.nested = rest == "yes";
    return true;
  }
  if (key == "process_title" || key == "process_decimal_notation") {
    if (rest != "0") {
      why = key + " can only be 0";
      return false;
    }
    return true;
  }
  why = "unknown key '" + key + "'";
  return false;
}

}  // namespace

bool read_style_text(const std::string &text, const std::string &name, toc_style &style,
                     toc_layout &layout, std::string &error) {
  toc_style read = style;
  toc_layout read_layout = layout;
  int line_number = 0;
  size_t at = 0;
  while (at < text.size()) {
    ++line_number;
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    at = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line[first] == '#') continue;
    const size_t eq = line.find('=');
    std::string why;
    if (eq == std::string::npos) {
      why = "expected KEY = VALUE";
    } else {
      std::string key = line.substr(first, eq - first);
      key.erase(key.find_last_not_of(" \t") + 1);
      const size_t value_at = line.find_first_not_of(" \t", eq + 1);
      std::string rest = value_at == std::string::npos ? "" : line.substr(value_at);
      if (!is_text_key(key)) rest.erase(rest.find_last_not_of(" \t") + 1);
      if (apply_line(key, rest, read, read_layout, why)) continue;
    }
    error = name + ":" + std::to_string(line_number) + ": " + why;
    return false;
  }
  if (read_layout.number_start.empty() || read_layout.number_end.empty()) {
    error = name + ": number_start and number_end mark this tool's numbers: neither may be empty";
    return false;
  }
  if (read.range_from.as_int() > read.range_to.as_int()) {
    error = name + ": range_from is above range_to";
    return false;
  }
  style = read;
  layout = read_layout;
  return true;
}
