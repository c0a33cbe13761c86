#include "cli/link_references.h"

namespace {

bool is_alnum(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool is_url_space(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' ||
         (static_cast<unsigned char>(c) < 0x20);
}

std::string without_escapes(const std::string &s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    int high, low;
    if (s[i] == '%' && i + 2 < s.size() && (high = hex_digit(s[i + 1])) >= 0 &&
        (low = hex_digit(s[i + 2])) >= 0) {
      out += static_cast<char>(high * 16 + low);
      i += 2;
    } else {
      out += s[i];
    }
  }
  return out;
}

// What a browser escapes in a fragment as it reads the address.
std::string escaped_fragment(const std::string &s) {
  static const char hex[] = "0123456789ABCDEF";
  std::string out;
  for (const char byte : s) {
    const unsigned char c = static_cast<unsigned char>(byte);
    if (c < 0x20 || c > 0x7E || c == ' ' || c == '"' || c == '<' || c == '>' || c == '`') {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    } else {
      out += byte;
    }
  }
  return out;
}

}  // namespace

std::string windows_1252_as_utf8(const std::string &text) {
  std::string out;
  for (const char byte : text) {
    const unsigned char c = static_cast<unsigned char>(byte);
    append_utf8(out, windows_1252_code_point(c));
  }
  return out;
}

std::string decoded_attribute(const std::string &value, bool page_is_utf8) {
  std::string out;
  for (size_t i = 0; i < value.size();) {
    const unsigned char c = static_cast<unsigned char>(value[i]);
    char_reference reference;
    if (c == '&' && read_char_reference(value.data(), value.size(), i, reference_place::attribute, reference)) {
      append_utf8(out, reference.code_point);
      i += reference.length;
    } else {
      if (c >= 0x80 && !page_is_utf8)
        append_utf8(out, windows_1252_code_point(c));
      else
        out += static_cast<char>(c);
      ++i;
    }
  }
  return out;
}

link_parts split_link(const std::string &decoded_href) {
  // Browsers drop white space around a link and tabs and line ends within it.
  std::string href;
  size_t from = 0, to = decoded_href.size();
  while (from < to && is_url_space(decoded_href[from])) ++from;
  while (to > from && is_url_space(decoded_href[to - 1])) --to;
  for (size_t i = from; i < to; ++i)
    if (decoded_href[i] != '\t' && decoded_href[i] != '\n' && decoded_href[i] != '\r') href += decoded_href[i];

  link_parts parts;
  size_t scheme_end = 0;
  while (scheme_end < href.size() &&
         (is_alnum(href[scheme_end]) || href[scheme_end] == '+' || href[scheme_end] == '-' ||
          href[scheme_end] == '.'))
    ++scheme_end;
  const bool letter_first = !href.empty() && ((href[0] >= 'a' && href[0] <= 'z') || (href[0] >= 'A' && href[0] <= 'Z'));
  if ((letter_first && scheme_end < href.size() && href[scheme_end] == ':') ||
      href.compare(0, 2, "//") == 0 || href.compare(0, 2, "\\\\") == 0) {
    parts.other_site = true;
    return parts;
  }
  const size_t hash = href.find('#');
  std::string before = href.substr(0, hash);
  if (hash != std::string::npos) {
    parts.has_fragment = true;
    parts.written_fragment = escaped_fragment(href.substr(hash + 1));
    parts.fragment = without_escapes(href.substr(hash + 1));
  }
  before = before.substr(0, before.find('?'));
  parts.from_root = !before.empty() && (before[0] == '/' || before[0] == '\\');
  parts.path = without_escapes(before);
  return parts;
}

bool names_a_page(const std::string &path) {
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos || path.find_first_of("/\\", dot) != std::string::npos) return false;
  std::string suffix = path.substr(dot + 1);
  for (char &c : suffix) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  return suffix == "htm" || suffix == "html" || suffix == "shtml";
}
