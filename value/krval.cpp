#include "value/krval.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "value/lower_case.h"

namespace {

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Truncation toward zero, keeping the low 32 bits of the 64-bit result; values
// outside the 64-bit range (and NaN) have no truncation and give 0.
int32_t truncate_real(double r) {
  if (!(r > -9.2e18 && r < 9.2e18)) return 0;
  return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(static_cast<int64_t>(r))));
}

void set_decimal(krchar &out, long long v) {
  char buf[32];
  int n = std::snprintf(buf, sizeof buf, "%lld", v);
  out.reset(n);
  std::memcpy(out.bytes, buf, n);
}

}  // namespace

krval::krval(double r) { tag = KR_REAL; payload.real = r; }
krval::krval(int32_t i) { tag = KR_INT; payload.integer = i; }
krval::krval(void *ref) { tag = KR_REF; payload.ref = ref; }
krval::krval(char c) : text() {
  tag = KR_TEXT;
  text.append_byte(c);
}
krval::krval(const char *s) {
  tag = KR_TEXT;
  if (s) text.assign(s);
}
krval::krval(const char *data, int32_t length) {
  tag = KR_TEXT;
  text.append(data, length);
}

krval krval::flag(bool b) {
  krval v;
  v.assign_flag(b);
  return v;
}

krval::krval(const krval &other) : tag(other.tag) {
  if (tag == KR_TEXT) {
    text.assign(other.text);
  } else if (tag == KR_FLAG) {
    payload.flag = other.payload.flag;
  } else if (tag == KR_REAL) {
    payload.real = other.payload.real;
  } else {
    payload = other.payload;   // the integer, or the whole pointer of a reference
  }
}

krval &krval::operator=(const krval &other) {
  if (this == &other) return *this;
  tag = other.tag;
  payload = other.payload;
  if (tag == KR_TEXT) text.assign(other.text);
  return *this;
}

krval::krval(krval &&other) noexcept : tag(other.tag), payload(other.payload) {
  if (tag == KR_TEXT) text.move_from(other.text);
}

krval &krval::operator=(krval &&other) noexcept {
  if (this == &other) return *this;
  tag = other.tag;
  payload = other.payload;
  if (tag == KR_TEXT) text.move_from(other.text);
  return *this;
}

krval &krval::operator=(const char *s) {
  tag = KR_TEXT;
  text.assign(s);
  return *this;
}

krval &krval::operator=(char c) {
  tag = KR_TEXT;
  text.reset(1);
  text.bytes[0] = c;
  return *this;
}

krval &krval::operator=(double r) {
  tag = KR_REAL;
  payload = Payload{};
  payload.real = r;
  return *this;
}

krval &krval::operator=(int32_t i) {
  tag = KR_INT;
  payload = Payload{};
  payload.integer = i;
  return *this;
}

krval &krval::operator=(void *ref) {
  tag = KR_REF;
  payload = Payload{};
  payload.ref = ref;
  return *this;
}

void krval::assign_flag(bool b) {
  tag = KR_FLAG;
  payload = Payload{};
  payload.flag = b ? 1 : 0;
}

void krval::assign_text_of(const krval &other) {
  if (this == &other) {
    set_type(KR_TEXT);
    return;
  }
  other.refresh_cache();
  tag = KR_TEXT;
  text.assign(other.text);
}

void krval::assign_bytes(const char *data, int32_t length) {
  tag = KR_TEXT;
  text.reset(0);
  text.append(data, length);
}

void krval::refresh_cache() const {
  switch (tag) {
    case KR_TEXT: return;
    case KR_FLAG: set_decimal(text, payload.flag); return;
    case KR_INT: set_decimal(text, payload.integer); return;
    case KR_REAL: format_real(payload.real, text); return;
    default: {
      char buf[32];
      int n = std::snprintf(buf, sizeof buf, "0x%llx",
                            static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(payload.ref)));
      text.reset(n);
      std::memcpy(text.bytes, buf, n);
    }
  }
}

void krval::format_real(double r, krchar &out) {
  double m = std::fabs(r);
  if (std::isnan(r) || m < 1e-10 || m > 1e18) {
    out.reset(1);
    out.bytes[0] = '0';
    return;
  }
  char buf[64];
  int n = std::snprintf(buf, sizeof buf, m > 100000 ? "%.3f" : "%.8f", r);
  while (n > 0 && buf[n - 1] == '0') --n;
  if (n > 0 && buf[n - 1] == '.') --n;
  out.reset(n);
  std::memcpy(out.bytes, buf, n);
}

int32_t krval::integer_reading(const char *s, int32_t length) {
  int32_t i = 0;
  while (i < length && is_space(s[i])) ++i;
  bool negative = false;
  if (i < length && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  uint32_t v = 0;   // wraps like a 32-bit register on overlong digit runs
  while (i < length && is_digit(s[i])) v = v * 10u + static_cast<uint32_t>(s[i++] - '0');
  return static_cast<int32_t>(negative ? 0u - v : v);
}

double krval::real_reading(const char *s, int32_t length) {
  int32_t i = 0;
  while (i < length && is_space(s[i])) ++i;
  int32_t start = i;
  if (i < length && (s[i] == '+' || s[i] == '-')) ++i;
  int32_t digits = 0;
  while (i < length && is_digit(s[i])) ++i, ++digits;
  if (i < length && s[i] == '.') {
    ++i;
    while (i < length && is_digit(s[i])) ++i, ++digits;
  }
  if (digits == 0) return 0.0;
  if (i < length && (s[i] == 'e' || s[i] == 'E')) {
    int32_t j = i + 1;
    if (j < length && (s[j] == '+' || s[j] == '-')) ++j;
    if (j < length && is_digit(s[j])) {
      while (j < length && is_digit(s[j])) ++j;
      i = j;
    }
  }
  // strtod on exactly the prefix found above: it cannot wander into hex or inf.
  std::string number(s + start, s + i);
  return std::strtod(number.c_str(), nullptr);
}

const char *krval::c_str() const {
  refresh_cache();
  return text.terminate();
}

int32_t krval::text_length() const {
  refresh_cache();
  return text.length;
}

bool krval::as_flag() const {
  switch (tag) {
    case KR_TEXT: return integer_reading(text.bytes, text.length) != 0;
    case KR_FLAG: return payload.flag != 0;
    case KR_REAL: return payload.real != 0.0;
    case KR_REF: return payload.ref != nullptr;
    default: return payload.integer != 0;
  }
}

int32_t krval::as_int() const {
  switch (tag) {
    case KR_TEXT: return integer_reading(text.bytes, text.length);
    case KR_FLAG: return payload.flag;
    case KR_REAL: return truncate_real(payload.real);
    case KR_REF: return static_cast<int32_t>(reinterpret_cast<uintptr_t>(payload.ref));
    default: return payload.integer;
  }
}

double krval::as_real() const {
  switch (tag) {
    case KR_TEXT: return real_reading(text.bytes, text.length);
    case KR_FLAG: return payload.flag;
    case KR_REAL: return payload.real;
    default: return as_int();
  }
}

void *krval::as_ref() const {
  switch (tag) {
    case KR_FLAG: return nullptr;
    case KR_REF: return payload.ref;
    default: return reinterpret_cast<void *>(static_cast<intptr_t>(as_int()));
  }
}

char krval::first_char() const {
  if (tag == KR_FLAG) return payload.flag ? '1' : '0';
  refresh_cache();
  return text.length > 0 ? text.bytes[0] : '\0';
}

void krval::set_type(uint16_t t) {
  if (t == tag || t < 2 || t >= 47) return;
  if (t == KR_TEXT) {
    refresh_cache();
    tag = KR_TEXT;
    return;
  }
  Payload p{};
  switch (t) {
    case KR_FLAG: p.flag = as_flag() ? 1 : 0; break;
    case KR_INT: p.integer = as_int(); break;
    case KR_REAL: p.real = as_real(); break;
    default: return;   // other tags below 47 have no meaning
  }
  tag = t;
  payload = p;
}

void krval::become_text() { set_type(KR_TEXT); }

char *krval::text_bytes() {
  become_text();
  text.make_writable();
  return text.bytes;
}

void krval::append(const krval &other) {
  if (&other == this) {
    become_text();
    krchar copy(text);
    text.append(copy);
    return;
  }
  become_text();
  other.refresh_cache();
  text.append(other.text);
}

void krval::append(const char *s) {
  become_text();
  text.append(s);
}

void krval::append_bytes(const char *data, int32_t count) {
  become_text();
  text.append(data, count);
}

void krval::remove_front(int32_t n) {
  become_text();
  if (n < 1 || n > text.length) return;
  text.make_writable();
  std::memmove(text.bytes, text.bytes + n, text.length - n);
  text.length -= n;
}

void krval::set_length(int32_t n) {
  become_text();
  text.set_length(n);
}

void krval::left(const krval &source, int32_t n) {
  source.refresh_cache();
  int32_t count = n < source.text.length ? n : source.text.length;
  if (count < 0) count = 0;
  krchar part;
  part.append(source.text.bytes, count);
  tag = KR_TEXT;
  text.move_from(part);
}

void krval::lower_case() {
  become_text();
  text.make_writable();
  system_lower_case(text.bytes, text.length);
}

void krval::quote_for_command_line() {
  become_text();
  if (text.length > 0 && text.bytes[0] == '"') return;
  if (text.find_byte(' ', 0) < 0 && text.find_byte('\t', 0) < 0) return;
  krchar quoted;
  quoted.append_byte('"');
  for (int32_t i = 0; i < text.length; ++i) {
    if (text.bytes[i] == '"') quoted.append_byte('\\');
    quoted.append_byte(text.bytes[i]);
  }
  quoted.append_byte('"');
  text.move_from(quoted);
}

int32_t krval::compare(const krval &other) const {
  refresh_cache();
  other.refresh_cache();
  return text.compare(other.text);
}

int32_t krval::find(const krval &needle, int32_t from) const {
  refresh_cache();
  needle.refresh_cache();
  return text.find(needle.text, from);
}

int32_t krval::find_last(const krval &needle) const {
  refresh_cache();
  needle.refresh_cache();
  return text.find_last(needle.text);
}

void krval::add(const krval &operand) {
  int sum = tag + operand.tag;
  if (sum >= 47) return;
  if (sum < 23) {
    set_type(KR_INT);
    payload.integer = static_cast<int32_t>(static_cast<uint32_t>(payload.integer) +
                                           static_cast<uint32_t>(operand.as_int()));
  } else {
    set_type(KR_REAL);
    payload.real += operand.as_real();
  }
}

void krval::increment() {
  set_type(KR_INT);
  payload.integer = static_cast<int32_t>(static_cast<uint32_t>(payload.integer) + 1u);
}

krval krval::multiply(const krval &a, const krval &b) {
  int sum = a.tag + b.tag;
  if (sum >= 47) return krval(0);
  if (sum < 23)
    return krval(static_cast<int32_t>(static_cast<uint32_t>(a.as_int()) * static_cast<uint32_t>(b.as_int())));
  return krval(a.as_real() * b.as_real());
}

krval krval::divide(const krval &a, const krval &b) {
  int sum = a.tag + b.tag;
  if (sum >= 47) return krval(0);
  if (sum < 23) {
    int32_t d = b.as_int();
    int32_t n = a.as_int();
    // Callers never divide by zero; answer 0 rather than trap if one does.
    if (d == 0) return krval(0);
    if (d == -1) return krval(static_cast<int32_t>(0u - static_cast<uint32_t>(n)));
    return krval(n / d);
  }
  return krval(a.as_real() / b.as_real());
}

krval krval::less_than(const krval &a, const krval &b) {
  int sum = a.tag + b.tag;
  if (sum >= 47) return krval(0);
  if (sum < 23) return flag(a.as_int() < b.as_int());
  return flag(a.as_real() < b.as_real());
}

bool operator==(const krval &a, const char *s) {
  // Compared in place: terminating the text would copy a view.
  size_t n = std::strlen(s);
  return static_cast<size_t>(a.text_length()) == n && (n == 0 || std::memcmp(a.text.bytes, s, n) == 0);
}
