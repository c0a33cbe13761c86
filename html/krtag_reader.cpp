#include "html/krtag_reader.h"

#include <cstring>

namespace {

enum byte_class : uint8_t { OTHER, SPACE, QUOTE, NAME, NUMBER, EQUALS };

struct byte_classes {
  uint8_t of[256];
  byte_classes() {
    std::memset(of, OTHER, sizeof of);
    for (unsigned char c : {' ', '\t', '\n', '\r'}) of[c] = SPACE;
    of['"'] = of['\''] = QUOTE;
    for (int c = 'A'; c <= 'Z'; ++c) of[c] = of[c + 'a' - 'A'] = NAME;
    of[':'] = of['_'] = NAME;
    for (int c = '0'; c <= '9'; ++c) of[c] = NUMBER;
    of['-'] = of['.'] = NUMBER;
    of['='] = EQUALS;
  }
};

const byte_classes kClasses;

void empty_text(krval &v) {
  v.tag = KR_TEXT;
  v.text.length = 0;
}

}  // namespace

krtag_reader::krtag_reader() {
  empty_text(attribute_name);
  empty_text(value);
}

void krtag_reader::store(krhash &attributes) {
  attribute_name.lower_case();
  attributes.set(attribute_name, value);
  empty_text(attribute_name);
  empty_text(value);
  reading_value = false;
}

void krtag_reader::read(const char *bytes, int32_t length, krval &element_name, krhash *attributes) {
  const bool name_only = attributes == nullptr;
  empty_text(element_name);
  empty_text(attribute_name);
  empty_text(value);
  reading_value = false;
  bool name_done = false, in_word = false, pending = false;

  auto word_byte = [&](char c) {
    (name_done ? attribute_name : element_name).text.append_byte(c);
  };

  for (int32_t i = 0; i < length; ++i) {
    const char c = bytes[i];
    switch (kClasses.of[static_cast<unsigned char>(c)]) {
      case SPACE:
        if (in_word) {
          in_word = false;
          if (name_done) {
            pending = true;
          } else if (name_only) {
            element_name.lower_case();
            return;
          } else {
            name_done = true;
          }
        } else if (reading_value) {
          store(*attributes);
        }
        break;
      case QUOTE: {
        const void *close = std::memchr(bytes + i + 1, c, length - i - 1);
        int32_t end = close ? static_cast<int32_t>(static_cast<const char *>(close) - bytes) : length;
        if (reading_value) {
          empty_text(value);
          value.text.append(bytes + i + 1, end - i - 1);
          store(*attributes);
        }
        i = end;   // the closing quote is consumed with the rest
        break;
      }
      case NAME:
        if (in_word) {
          word_byte(c);
        } else if (reading_value) {
          value.text.append_byte(c);
        } else {
          in_word = true;
          if (pending) {
            pending = false;
            store(*attributes);
          }
          word_byte(c);
        }
        break;
      case NUMBER:
        if (in_word) word_byte(c);
        else if (reading_value) value.text.append_byte(c);
        break;
      case EQUALS:
        if (!name_done) break;
        in_word = false;
        pending = false;
        reading_value = true;
        while (i + 1 < length && kClasses.of[static_cast<unsigned char>(bytes[i + 1])] == SPACE) ++i;
        break;
      default:
        if (reading_value) value.text.append_byte(c);
        break;
    }
  }
  if (!name_only && name_done && (in_word || pending || reading_value)) store(*attributes);
  element_name.lower_case();
}
