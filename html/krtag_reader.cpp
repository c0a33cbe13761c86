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
    // The byte a name keeps for each byte, lower-cased; 0 for bytes no name
    // run holds.
    for (int c = 0; c < 256; ++c) name_byte[c] = (of[c] == NAME || of[c] == NUMBER) ? static_cast<char>(c) : 0;
    for (int c = 'A'; c <= 'Z'; ++c) name_byte[c] = static_cast<char>(c + 'a' - 'A');
  }
  char name_byte[256];
};

const byte_classes kClasses;

void empty_text(krval &v) {
  v.tag = KR_TEXT;
  v.text.length = 0;
}

// Sets each attribute in a map: the first of duplicates counts, as browsers
// read a tag, so that a name or id is looked up where a link finds it.
class map_sink : public attribute_sink {
public:
  explicit map_sink(krhash &m) : map(m) {}
  void put(const krval &name, const krval &value) override {
    if (!map.has(name)) map.set(name, value);
  }

private:
  krhash &map;
};

// Most tags are a name alone ("<p", "</td"): bytes that change nothing, then
// one run of name bytes to the end. Their name is read here in one pass that
// checks and lower-cases each byte; it is what the reading below gives for
// them, and every name byte is ASCII. False, with the name empty, for any
// other tag.
bool read_plain_tag(const char *bytes, int32_t length, krval &element_name) {
  int32_t i = 0;
  while (i < length && kClasses.of[static_cast<unsigned char>(bytes[i])] == OTHER) ++i;
  if (i == length || kClasses.of[static_cast<unsigned char>(bytes[i])] != NAME) return false;
  const int32_t count = length - i;
  krchar &name = element_name.text;
  name.set_length(count);
  char *into = name.bytes;
  const char *from = bytes + i;
  for (int32_t j = 0; j < count; ++j) {
    const char c = kClasses.name_byte[static_cast<unsigned char>(from[j])];
    if (c == 0) {
      name.length = 0;
      return false;
    }
    into[j] = c;
  }
  return true;
}

}  // namespace

krtag_reader::krtag_reader() {
  empty_text(attribute_name);
  empty_text(value);
}

void krtag_reader::read(const char *bytes, int32_t length, krval &element_name, krhash *attributes) {
  if (!attributes) return read(bytes, length, element_name, static_cast<attribute_sink *>(nullptr));
  map_sink sink(*attributes);
  read(bytes, length, element_name, &sink);
}

bool krtag_reader::read_name(const char *bytes, int32_t length, krval &element_name) {
  empty_text(element_name);
  if (read_plain_tag(bytes, length, element_name)) return false;
  read_any_tag(bytes, length, element_name, nullptr);
  return true;
}

void krtag_reader::store(attribute_sink &attributes) {
  attribute_name.lower_case();
  attributes.put(attribute_name, value);
  empty_text(attribute_name);
  empty_text(value);
  reading_value = false;
}

void krtag_reader::read(const char *bytes, int32_t length, krval &element_name, attribute_sink *attributes) {
  empty_text(element_name);
  if (read_plain_tag(bytes, length, element_name)) return;
  read_any_tag(bytes, length, element_name, attributes);
}

void krtag_reader::read_any_tag(const char *bytes, int32_t length, krval &element_name,
                                attribute_sink *attributes) {
  const bool name_only = attributes == nullptr;
  empty_text(attribute_name);
  empty_text(value);
  reading_value = false;
  bool name_done = false, in_word = false, pending = false;

  // Runs of bytes that all go to the same buffer are appended at once.
  auto run_end = [&](int32_t from, bool in_value) {
    int32_t j = from;
    while (j < length) {
      uint8_t k = kClasses.of[static_cast<unsigned char>(bytes[j])];
      if (!(k == NAME || k == NUMBER || (in_value && k == OTHER))) break;
      ++j;
    }
    return j;
  };
  auto word_run = [&](int32_t &i) {
    int32_t end = run_end(i, false);
    (name_done ? attribute_name : element_name).text.append(bytes + i, end - i);
    i = end - 1;
  };
  auto value_run = [&](int32_t &i) {
    int32_t end = run_end(i, true);
    value.text.append(bytes + i, end - i);
    i = end - 1;
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
          word_run(i);
        } else if (reading_value) {
          value_run(i);
        } else {
          in_word = true;
          if (pending) {
            pending = false;
            store(*attributes);
          }
          word_run(i);
        }
        break;
      case NUMBER:
        if (in_word) word_run(i);
        else if (reading_value) value_run(i);
        break;
      case EQUALS:
        if (!name_done) break;
        in_word = false;
        pending = false;
        reading_value = true;
        while (i + 1 < length && kClasses.of[static_cast<unsigned char>(bytes[i + 1])] == SPACE) ++i;
        break;
      default:
        if (reading_value) value_run(i);
        break;
    }
  }
  if (!name_only && name_done && (in_word || pending || reading_value)) store(*attributes);
  element_name.lower_case();
}
