#include "html/char_references.h"

#include <cstring>

namespace {

// What windows-1252 gives bytes 0x80 to 0x9F, where it differs from
// ISO 8859-1; browsers map numeric references in that range the same way.
const uint16_t windows_1252_high[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// HTML 4's Latin-1 set in the order of its code points from U+00A0; all of
// them are legacy names, read without their ";" too.
const char *const latin1_names[96] = {
    "nbsp",   "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",
    "uml",    "copy",   "ordf",   "laquo",  "not",    "shy",    "reg",    "macr",
    "deg",    "plusmn", "sup2",   "sup3",   "acute",  "micro",  "para",   "middot",
    "cedil",  "sup1",   "ordm",   "raquo",  "frac14", "frac12", "frac34", "iquest",
    "Agrave", "Aacute", "Acirc",  "Atilde", "Auml",   "Aring",  "AElig",  "Ccedil",
    "Egrave", "Eacute", "Ecirc",  "Euml",   "Igrave", "Iacute", "Icirc",  "Iuml",
    "ETH",    "Ntilde", "Ograve", "Oacute", "Ocirc",  "Otilde", "Ouml",   "times",
    "Oslash", "Ugrave", "Uacute", "Ucirc",  "Uuml",   "Yacute", "THORN",  "szlig",
    "agrave", "aacute", "acirc",  "atilde", "auml",   "aring",  "aelig",  "ccedil",
    "egrave", "eacute", "ecirc",  "euml",   "igrave", "iacute", "icirc",  "iuml",
    "eth",    "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide",
    "oslash", "ugrave", "uacute", "ucirc",  "uuml",   "yacute", "thorn",  "yuml",
};

struct named_reference {
  const char *name;
  uint32_t code_point;
  bool legacy;   // read without its ";" too
};
// Markup's own, and the punctuation headings and links use most.
const named_reference other_names[] = {
    {"amp", '&', true},        {"lt", '<', true},         {"gt", '>', true},
    {"quot", '"', true},       {"apos", '\'', false},     {"ndash", 0x2013, false},
    {"mdash", 0x2014, false},  {"lsquo", 0x2018, false},  {"rsquo", 0x2019, false},
    {"ldquo", 0x201C, false},  {"rdquo", 0x201D, false},  {"bull", 0x2022, false},
    {"hellip", 0x2026, false}, {"trade", 0x2122, false},  {"euro", 0x20AC, false},
};

// The longest name browsers know, CounterClockwiseContourIntegral.
constexpr std::size_t kLongestName = 31;

bool is_ascii_letter_or_digit(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

int digit_value(char c, bool hex) {
  if (c >= '0' && c <= '9') return c - '0';
  const char small = static_cast<char>(c | 0x20);
  if (hex && small >= 'a' && small <= 'f') return small - 'a' + 10;
  return -1;
}

bool read_number(const char *text, std::size_t length, std::size_t at, char_reference &reference) {
  std::size_t i = at + 2;
  const bool hex = i < length && (text[i] == 'x' || text[i] == 'X');
  if (hex) ++i;
  const std::size_t digits_from = i;
  uint32_t value = 0;
  for (int d; i < length && (d = digit_value(text[i], hex)) >= 0; ++i)
    if (value <= 0x10FFFF) value = value * (hex ? 16 : 10) + static_cast<uint32_t>(d);
  if (i == digits_from) return false;
  if (i < length && text[i] == ';') ++i;
  if (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
    reference.code_point = 0xFFFD;
  else if (value >= 0x80 && value <= 0x9F)
    reference.code_point = windows_1252_high[value - 0x80];
  else
    reference.code_point = value;
  reference.length = i - at;
  return true;
}

// Calls take(name, length, code point, legacy) for every name until it says true.
template <typename Take>
bool each_name(Take take) {
  for (int k = 0; k < 96; ++k)
    if (take(latin1_names[k], std::strlen(latin1_names[k]), 0xA0 + static_cast<uint32_t>(k), true))
      return true;
  for (const named_reference &r : other_names)
    if (take(r.name, std::strlen(r.name), r.code_point, r.legacy)) return true;
  return false;
}

}  // namespace

bool read_char_reference(const char *text, std::size_t length, std::size_t at,
                         reference_place place, char_reference &reference) {
  const std::size_t from = at + 1;
  if (from < length && text[from] == '#') return read_number(text, length, at, reference);
  std::size_t end = from;
  while (end < length && end - from < kLongestName && is_ascii_letter_or_digit(text[end])) ++end;
  if (end == from) return false;
  const char *run = text + from;
  const std::size_t run_length = end - from;
  if (end < length && text[end] == ';') {
    return each_name([&](const char *name, std::size_t name_length, uint32_t code_point, bool) {
      if (name_length != run_length || std::memcmp(name, run, name_length) != 0) return false;
      reference = {code_point, end + 1 - at};
      return true;
    });
  }
  return each_name([&](const char *name, std::size_t name_length, uint32_t code_point, bool legacy) {
    if (!legacy || name_length > run_length || std::memcmp(name, run, name_length) != 0) return false;
    const std::size_t after = from + name_length;
    if (place == reference_place::attribute && after < length &&
        (is_ascii_letter_or_digit(text[after]) || text[after] == '='))
      return false;
    reference = {code_point, after - at};
    return true;
  });
}

uint32_t windows_1252_code_point(unsigned char byte) {
  return byte >= 0x80 && byte <= 0x9F ? windows_1252_high[byte - 0x80] : byte;
}

void append_utf8(std::string &out, uint32_t code_point) {
  if (code_point < 0x80) {
    out += static_cast<char>(code_point);
    return;
  }
  if (code_point < 0x800) {
    out += static_cast<char>(0xC0 | (code_point >> 6));
  } else if (code_point < 0x10000) {
    out += static_cast<char>(0xE0 | (code_point >> 12));
    out += static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code_point >> 18));
    out += static_cast<char>(0x80 | ((code_point >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
  }
  out += static_cast<char>(0x80 | (code_point & 0x3F));
}

bool read_utf8(const char *bytes, std::size_t length, std::size_t &at, uint32_t &code_point) {
  const auto *b = reinterpret_cast<const unsigned char *>(bytes) + at;
  const unsigned char c = b[0];
  std::size_t more;
  uint32_t code;
  if (c < 0x80) {
    more = 0, code = c;
  } else if (c >= 0xC2 && c <= 0xDF) {
    more = 1, code = c & 0x1F;
  } else if (c >= 0xE0 && c <= 0xEF) {
    more = 2, code = c & 0x0F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    more = 3, code = c & 0x07;
  } else {
    return false;
  }
  if (length - at <= more) return false;
  for (std::size_t k = 1; k <= more; ++k) {
    if ((b[k] & 0xC0) != 0x80) return false;
    code = code << 6 | (b[k] & 0x3F);
  }
  if ((more == 2 && code < 0x800) || (more == 3 && (code < 0x10000 || code > 0x10FFFF)) ||
      (code >= 0xD800 && code <= 0xDFFF))
    return false;
  at += more + 1;
  code_point = code;
  return true;
}

bool is_utf8(const char *bytes, std::size_t length) {
  uint32_t code_point;
  for (std::size_t at = 0; at < length;)
    if (static_cast<unsigned char>(bytes[at]) < 0x80) ++at;
    else if (!read_utf8(bytes, length, at, code_point)) return false;
  return true;
}
