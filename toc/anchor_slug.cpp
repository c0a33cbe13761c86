#include "toc/anchor_slug.h"

#include <cstdint>
#include "html/char_references.h"
#include "toc/unicode_tables.h"

namespace {

bool is_ascii_letter_or_digit(uint32_t c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char ascii_lower(uint32_t c) {
  return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
}

// Kept characters, with one "-" for each run of the others between them.
class slug_builder {
public:
  explicit slug_builder(std::string &slug) : slug_(slug) {}
  void keep(char c) {
    start_keeping();
    slug_ += c;
  }
  void keep_code_point(uint32_t c) {
    start_keeping();
    append_utf8(slug_, c);
  }
  void separate() { pending_dash_ = true; }

private:
  void start_keeping() {
    if (pending_dash_ && !slug_.empty()) slug_ += '-';
    pending_dash_ = false;
  }
  std::string &slug_;
  bool pending_dash_ = false;
};

// A decoded character beyond ASCII that the byte rule keeps: Latin-1's
// letters, and everything past the Latin-1 block except its punctuation and
// U+FFFD, which stands for numbers that are no character (&#0;).
bool is_wider_letter(uint32_t c) {
  if (c < 0xc0) return c == 0xaa || c == 0xb5 || c == 0xba;
  if (c == 0xd7 || c == 0xf7 || c == 0xfffd) return false;
  if (c >= 0x2000 && c <= 0x2bff) return false;   // punctuation, symbols, arrows
  return c <= 0x10ffff;
}

// Text that is not UTF-8 (a page in a single-byte code page), byte by byte.
void byte_slug(const char *text, std::size_t length, std::string &out) {
  slug_builder slug(out);
  for (std::size_t i = 0; i < length;) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    char_reference reference;
    if (c == '&' && read_char_reference(text, length, i, reference_place::text, reference)) {
      i += reference.length;
      uint32_t code_point = reference.code_point;
      if (code_point < 128 && is_ascii_letter_or_digit(code_point)) {
        slug.keep(ascii_lower(code_point));
      } else if (code_point >= 128 && is_wider_letter(code_point)) {
        // Latin-1's capitals fold to their small letters, 32 code points on.
        if (code_point >= 0xc0 && code_point <= 0xde) code_point += 32;
        slug.keep_code_point(code_point);
      } else {
        slug.separate();
      }
      continue;
    }
    ++i;
    if (c >= 128 || is_ascii_letter_or_digit(c))
      slug.keep(ascii_lower(c));
    else
      slug.separate();
  }
}

// False, with the slug half made, where the text is not valid UTF-8.
bool unicode_slug(const char *text, std::size_t length, std::string &out) {
  slug_builder slug(out);
  bool last_kept = false;   // whether a mark here has a kept character to belong to
  for (std::size_t i = 0; i < length;) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    uint32_t code_point;
    char_reference reference;
    if (c == '&' && read_char_reference(text, length, i, reference_place::text, reference)) {
      code_point = reference.code_point;
      i += reference.length;
    } else if (c < 0x80) {
      code_point = c;
      ++i;
    } else if (!read_utf8(text, length, i, code_point)) {
      return false;
    }
    if (code_point < 0x80) {
      last_kept = is_ascii_letter_or_digit(code_point);
      if (last_kept) slug.keep(ascii_lower(code_point));
      else slug.separate();
      continue;
    }
    const unicode_properties properties = unicode_properties_of(code_point);
    last_kept = properties.kind == unicode_kind::kept ||
                (properties.kind == unicode_kind::mark && last_kept);
    if (last_kept) slug.keep_code_point(properties.lower);
    else slug.separate();
  }
  return true;
}

}  // namespace

std::string anchor_slug(const char *text, std::size_t length) {
  std::string slug;
  slug.reserve(length);
  if (!unicode_slug(text, length, slug)) {
    slug.clear();
    byte_slug(text, length, slug);
  }
  if (slug.empty()) slug = "section";
  return slug;
}
