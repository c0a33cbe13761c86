#include "value/krchar.h"

#include <cstdlib>
#include <cstring>

namespace {

// A view's first keep bytes, copied into fresh storage of this capacity.
char *copy_of_view(const char *view, int32_t keep, int32_t capacity) {
  char *own = static_cast<char *>(std::malloc(capacity));
  if (keep > 0) std::memcpy(own, view, keep);
  return own;
}

}  // namespace

krchar::krchar(const char *s) {
  int32_t n = s ? static_cast<int32_t>(std::strlen(s)) : 0;
  capacity = grown_capacity(n);
  bytes = static_cast<char *>(std::malloc(capacity));
  length = n;
  if (n) std::memcpy(bytes, s, n);
}

krchar::krchar(const krchar &other) { assign(other); }

krchar &krchar::operator=(const krchar &other) {
  if (this != &other) assign(other);
  return *this;
}

krchar::krchar(krchar &&other) noexcept { move_from(other); }

krchar &krchar::operator=(krchar &&other) noexcept {
  if (this != &other) move_from(other);
  return *this;
}

void krchar::reset(int32_t n) {
  if (capacity > 0) std::free(bytes);
  bytes = nullptr;
  capacity = 0;
  length = 0;
  if (n <= 0) return;
  capacity = grown_capacity(n);
  bytes = static_cast<char *>(std::malloc(capacity));
  length = n;
}

void krchar::set_length_growing(int32_t n) {
  if (n < 0 || n == length) return;
  if (is_view()) {
    capacity = grown_capacity(n);
    bytes = copy_of_view(bytes, n < length ? n : length, capacity);
  } else if (n > capacity) {
    capacity = grown_capacity(n);
    bytes = static_cast<char *>(std::realloc(bytes, capacity));
  }
  length = n;
}

void krchar::append_byte_growing(char c) {
  if (!bytes) {
    capacity = 3;
    bytes = static_cast<char *>(std::malloc(capacity));
    length = 0;
  } else if (is_view()) {
    capacity = length + length / 16 + 3;   // as a full buffer grows
    bytes = copy_of_view(bytes, length, capacity);
  } else if (length == capacity) {
    capacity = length + length / 16 + 3;
    bytes = static_cast<char *>(std::realloc(bytes, capacity));
  }
  bytes[length++] = c;
}

const char *krchar::terminate() {
  append_byte('\0');
  --length;
  return bytes;
}

void krchar::assign(const char *s) {
  if (!s) {
    reset(0);
    return;
  }
  int32_t n = static_cast<int32_t>(std::strlen(s));
  reset(n);
  if (n) std::memcpy(bytes, s, n);
}

void krchar::assign(const krchar &other) {
  if (this == &other) return;
  reset(other.length);
  if (other.length > 0) std::memcpy(bytes, other.bytes, other.length);
}

void krchar::append_growing(const char *data, int32_t count) {
  if (!data || count <= 0) return;
  int32_t old = length;
  set_length(old + count);
  std::memmove(bytes + old, data, count);
}

void krchar::append(const char *s) {
  if (s) append(s, static_cast<int32_t>(std::strlen(s)));
}

void krchar::append(const krchar &other) { append(other.bytes, other.length); }

void krchar::move_from(krchar &other) {
  if (this == &other) return;
  if (other.is_view()) {
    assign(other);
    other.capacity = 0;
    other.length = 0;
    other.bytes = nullptr;
    return;
  }
  if (capacity > 0) std::free(bytes);
  capacity = other.capacity;
  length = other.length;
  bytes = other.bytes;
  other.capacity = 0;
  other.length = 0;
  other.bytes = nullptr;
}

void krchar::make_writable() {
  if (!is_view()) return;
  capacity = grown_capacity(length);
  bytes = copy_of_view(bytes, length, capacity);
}

void krchar::replace_byte(char a, char b) {
  if (find_byte(a, 0) < 0) return;
  make_writable();
  for (int32_t i = 0; i < length; ++i)
    if (bytes[i] == a) bytes[i] = b;
}

void krchar::replace_byte_with_text(char a, const krchar &replacement) {
  int32_t k = 0;
  for (int32_t i = 0; i < length; ++i)
    if (bytes[i] == a) ++k;
  if (k == 0) return;
  krchar result;
  result.reset(length + k * (replacement.length - 1));
  int32_t out = 0;
  for (int32_t i = 0; i < length; ++i) {
    if (bytes[i] == a) {
      if (replacement.length) std::memcpy(result.bytes + out, replacement.bytes, replacement.length);
      out += replacement.length;
    } else {
      result.bytes[out++] = bytes[i];
    }
  }
  move_from(result);
}

int32_t krchar::find_byte(char c, int32_t from) const {
  if (from < 0 || from >= length) return -1;
  const void *hit = std::memchr(bytes + from, static_cast<unsigned char>(c), length - from);
  return hit ? static_cast<int32_t>(static_cast<const char *>(hit) - bytes) : -1;
}

int32_t krchar::find(const char *needle, int32_t needle_length, int32_t from) const {
  if (from < 0 || from >= length || needle_length <= 0) return -1;
  if (needle_length > length - from) return -1;
  if (needle_length == 1) return find_byte(needle[0], from);
  const char *end = bytes + length - needle_length + 1;
  for (const char *p = bytes + from; p < end;) {
    const char *hit = static_cast<const char *>(std::memchr(p, static_cast<unsigned char>(needle[0]), end - p));
    if (!hit) return -1;
    if (std::memcmp(hit, needle, needle_length) == 0) return static_cast<int32_t>(hit - bytes);
    p = hit + 1;
  }
  return -1;
}

int32_t krchar::find(const krchar &needle, int32_t from) const {
  return find(needle.bytes, needle.length, from);
}

int32_t krchar::find_last(const krchar &needle) const {
  if (needle.length <= 0 || needle.length > length) return -1;
  for (int32_t p = length - needle.length; p >= 0; --p)
    if (std::memcmp(bytes + p, needle.bytes, needle.length) == 0) return p;
  return -1;
}

int32_t krchar::compare(const krchar &other) const {
  int32_t common = length < other.length ? length : other.length;
  for (int32_t i = 0; i < common; ++i) {
    int d = static_cast<unsigned char>(bytes[i]) - static_cast<unsigned char>(other.bytes[i]);
    if (d) return d;
  }
  return length - other.length;
}

int32_t multi_string_length(const char *list) {
  if (!list) return 0;
  const char *p = list;
  int32_t total = 0;
  while (*p) {
    int32_t n = static_cast<int32_t>(std::strlen(p));
    total += n + 1;
    p += n + 1;
  }
  return total > 0 ? total - 1 : 0;
}
