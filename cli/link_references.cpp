#include "cli/link_references.h"

#include <cstdint>
#include <cstring>

namespace {

// What windows-1252 gives bytes 0x80 to 0x9F, where it differs from
// ISO 8859-1; browsers map numeric references in that range the same way.
const uint16_t windows_1252_high[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Named references: the five of markup, the ISO 8859-1 set in code point
// order from U+00A0, and the punctuation pages use most. Browsers know over
// two thousand; a name not here is left as written.
const char latin1_names[] =
    "nbsp iexcl cent pound curren yen brvbar sect uml copy ordf laquo not shy reg macr deg "
    "plusmn sup2 sup3 acute micro para middot cedil sup1 ordm raquo frac14 frac12 frac34 iquest "
    "Agrave Aacute Acirc Atilde Auml Aring AElig Ccedil Egrave Eacute Ecirc Euml Igrave Iacute "
    "Icirc Iuml ETH Ntilde Ograve Oacute Ocirc Otilde Ouml times Oslash Ugrave Uacute Ucirc Uuml "
    "Yacute THORN szlig agrave aacute acirc atilde auml aring aelig ccedil egrave eacute ecirc "
    "euml igrave iacute icirc iuml eth ntilde ograve oacute ocirc otilde ouml divide oslash "
    "ugrave uacute ucirc uuml yacute thorn yuml";

struct named_reference {
  const char *name;
  uint32_t code;
  bool needs_semicolon;   // not one of the old names browsers take without it
};
const named_reference other_names[] = {
    {"amp", '&', false},       {"lt", '<', false},        {"gt", '>', false},
    {"quot", '"', false},      {"apos", '\'', true},      {"ndash", 0x2013, true},
    {"mdash", 0x2014, true},   {"lsquo", 0x2018, true},   {"rsquo", 0x2019, true},
    {"ldquo", 0x201C, true},   {"rdquo", 0x201D, true},   {"hellip", 0x2026, true},
    {"euro", 0x20AC, true},    {"bull", 0x2022, true},    {"trade", 0x2122, true},
};

void append_utf8(uint32_t code, std::string &out) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

bool is_alnum(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// A numeric reference "&#...": its code point as browsers take it.
bool numeric_reference(const std::string &s, size_t at, size_t &end, uint32_t &code) {
  size_t i = at + 2;
  const bool hex = i < s.size() && (s[i] == 'x' || s[i] == 'X');
  if (hex) ++i;
  const size_t digits_from = i;
  uint64_t value = 0;
  for (; i < s.size(); ++i) {
    const int d = hex ? hex_digit(s[i]) : (s[i] >= '0' && s[i] <= '9' ? s[i] - '0' : -1);
    if (d < 0) break;
    if (value <= 0x10FFFF) value = value * (hex ? 16 : 10) + static_cast<uint64_t>(d);
  }
  if (i == digits_from) return false;
  if (i < s.size() && s[i] == ';') ++i;
  end = i;
  if (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
    code = 0xFFFD;
  else if (value >= 0x80 && value <= 0x9F)
    code = windows_1252_high[value - 0x80];
  else
    code = static_cast<uint32_t>(value);
  return true;
}

bool take_name(const std::string &s, size_t from, const char *name, size_t length,
               bool needs_semicolon, size_t &end) {
  if (s.compare(from, length, name, length) != 0) return false;
  size_t i = from + length;
  if (i < s.size() && s[i] == ';') {
    end = i + 1;
    return true;
  }
  // Without its semicolon an old name counts, unless a letter, digit or "="
  // follows (an attribute's "&copy=1" is text).
  if (needs_semicolon || (i < s.size() && (is_alnum(s[i]) || s[i] == '='))) return false;
  end = i;
  return true;
}

bool named_reference_at(const std::string &s, size_t at, size_t &end, uint32_t &code) {
  const size_t from = at + 1;
  for (const named_reference &r : other_names) {
    if (take_name(s, from, r.name, std::strlen(r.name), r.needs_semicolon, end)) {
      code = r.code;
      return true;
    }
  }
  uint32_t latin1 = 0xA0;
  for (const char *p = latin1_names; *p; ++latin1) {
    const char *space = std::strchr(p, ' ');
    const size_t length = space ? static_cast<size_t>(space - p) : std::strlen(p);
    if (take_name(s, from, p, length, false, end)) {
      code = latin1;
      return true;
    }
    p += length;
    if (*p == ' ') ++p;
  }
  return false;
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

bool is_utf8(const char *bytes, size_t length) {
  const auto *b = reinterpret_cast<const unsigned char *>(bytes);
  for (size_t i = 0; i < length;) {
    const unsigned char c = b[i];
    size_t more;
    uint32_t code;
    if (c < 0x80) {
      ++i;
      continue;
    } else if (c >= 0xC2 && c <= 0xDF) {
      more = 1, code = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      more = 2, code = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      more = 3, code = c & 0x07;
    } else {
      return false;
    }
    if (length - i <= more) return false;
    for (size_t k = 1; k <= more; ++k) {
      if ((b[i + k] & 0xC0) != 0x80) return false;
      code = code << 6 | (b[i + k] & 0x3F);
    }
    // Overlong forms, surrogates and code points beyond Unicode.
    if ((more == 2 && code < 0x800) || (more == 3 && (code < 0x10000 || code > 0x10FFFF)) ||
        (code >= 0xD800 && code <= 0xDFFF))
      return false;
    i += more + 1;
  }
  return true;
}

std::string windows_1252_as_utf8(const std::string &text) {
  std::string out;
  for (const char byte : text) {
    const unsigned char c = static_cast<unsigned char>(byte);
    if (c < 0x80)
      out += byte;
    else
      append_utf8(c <= 0x9F ? windows_1252_high[c - 0x80] : c, out);
  }
  return out;
}

std::string decoded_attribute(const std::string &value, bool page_is_utf8) {
  std::string out;
  for (size_t i = 0; i < value.size();) {
    const unsigned char c = static_cast<unsigned char>(value[i]);
    size_t end = 0;
    uint32_t code = 0;
    if (c == '&' && ((i + 1 < value.size() && value[i + 1] == '#' && numeric_reference(value, i, end, code)) ||
                     named_reference_at(value, i, end, code))) {
      append_utf8(code, out);
      i = end;
    } else if (c >= 0x80 && !page_is_utf8) {
      append_utf8(c <= 0x9F ? windows_1252_high[c - 0x80] : c, out);
      ++i;
    } else {
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
