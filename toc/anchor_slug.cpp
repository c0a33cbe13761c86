#include "toc/anchor_slug.h"

#include <cstdint>
#include <cstring>

namespace {

// The references of HTML 4's Latin-1 set, in the order of their code
// points from 160 on, and a few more that headings use for punctuation.
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
};
const named_reference other_names[] = {
    {"amp", '&'},      {"lt", '<'},       {"gt", '>'},       {"quot", '"'},
    {"apos", '\''},    {"ndash", 0x2013}, {"mdash", 0x2014}, {"lsquo", 0x2018},
    {"rsquo", 0x2019}, {"ldquo", 0x201c}, {"rdquo", 0x201d}, {"bull", 0x2022},
    {"hellip", 0x2026}, {"trade", 0x2122}, {"euro", 0x20ac},
};

bool is_ascii_letter_or_digit(uint32_t c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// A decoded character beyond ASCII that is a letter or a digit: Latin-1's
// letters, and everything past the Latin-1 block except its punctuation.
bool is_wider_letter(uint32_t c) {
  if (c < 0xc0) return c == 0xaa || c == 0xb5 || c == 0xba;
  if (c == 0xd7 || c == 0xf7) return false;
  if (c >= 0x2000 && c <= 0x2bff) return false;   // punctuation, symbols, arrows
  return c <= 0x10ffff && !(c >= 0xd800 && c <= 0xdfff);
}

// Reads a reference at text[at] ('&'); its code point and length, or false
// when what follows is no reference this reads.
bool read_reference(const char *text, std::size_t length, std::size_t at, uint32_t &code_point,
                    std::size_t &used) {
  std::size_t i = at + 1;
  if (i < length && text[i] == '#') {
    ++i;
    bool hex = i < length && (text[i] == 'x' || text[i] == 'X');
    if (hex) ++i;
    const std::size_t digits_from = i;
    uint32_t value = 0;
    for (; i < length; ++i) {
      char c = text[i];
      uint32_t digit;
      if (c >= '0' && c <= '9') digit = static_cast<uint32_t>(c - '0');
      else if (hex && (c | 0x20) >= 'a' && (c | 0x20) <= 'f') digit = static_cast<uint32_t>((c | 0x20) - 'a' + 10);
      else break;
      if (value < 0x110000) value = value * (hex ? 16 : 10) + digit;
    }
    if (i == digits_from) return false;
    if (i < length && text[i] == ';') ++i;
    code_point = value;
    used = i - at;
    return true;
  }
  std::size_t end = i;
  while (end < length && end - i < 8 && is_ascii_letter_or_digit(static_cast<unsigned char>(text[end]))) ++end;
  if (end >= length || text[end] != ';' || end == i) return false;
  const std::size_t name_length = end - i;
  auto same = [&](const char *name) {
    return std::strlen(name) == name_length && std::memcmp(name, text + i, name_length) == 0;
  };
  for (int k = 0; k < 96; ++k)
    if (same(latin1_names[k])) {
      code_point = 160 + static_cast<uint32_t>(k);
      used = end + 1 - at;
      return true;
    }
  for (const named_reference &r : other_names)
    if (same(r.name)) {
      code_point = r.code_point;
      used = end + 1 - at;
      return true;
    }
  return false;
}

void append_utf8(std::string &out, uint32_t c) {
  if (c < 0x800) {
    out += static_cast<char>(0xc0 | (c >> 6));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xe0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3f));
  } else {
    out += static_cast<char>(0xf0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3f));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3f));
  }
  out += static_cast<char>(0x80 | (c & 0x3f));
}

}  // namespace

std::string anchor_slug(const char *text, std::size_t length) {
  std::string slug;
  slug.reserve(length);
  bool pending_dash = false;
  auto keep = [&](char c) {
    if (pending_dash && !slug.empty()) slug += '-';
    pending_dash = false;
    slug += c;
  };
  for (std::size_t i = 0; i < length;) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    uint32_t code_point = 0;
    std::size_t used = 0;
    if (c == '&' && read_reference(text, length, i, code_point, used)) {
      i += used;
      if (code_point < 128 && is_ascii_letter_or_digit(code_point)) {
        keep(static_cast<char>(code_point >= 'A' && code_point <= 'Z' ? code_point + 32 : code_point));
      } else if (code_point >= 128 && is_wider_letter(code_point)) {
        // Latin-1's capitals fold to their small letters, 32 code points on.
        if (code_point >= 0xc0 && code_point <= 0xde) code_point += 32;
        std::string bytes;
        append_utf8(bytes, code_point);
        for (char b : bytes) keep(b);
      } else {
        pending_dash = true;
      }
      continue;
    }
    ++i;
    if (c >= 128 || is_ascii_letter_or_digit(c))
      keep(static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c));
    else
      pending_dash = true;
  }
  if (slug.empty()) slug = "section";
  return slug;
}
