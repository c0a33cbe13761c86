#include "value/krarr.h"

#include <cstring>

krarr::~krarr() { clear(); }

// The cursor is reset after linking, so that it also sees an element added to
// an empty list (resetting first would leave it on nothing).
void krarr::add(krval &v) {
  krarrnode *node = new krarrnode;
  node->value = std::move(v);
  node->previous = last;
  if (last) last->next = node; else first = node;
  last = node;
  ++element_count;
  reset_cursor();
}

void krarr::push_front(krval &v) {
  krarrnode *node = new krarrnode;
  node->value = std::move(v);
  node->next = first;
  if (first) first->previous = node; else last = node;
  first = node;
  ++element_count;
  reset_cursor();
}

void krarr::add_copy(const krval &v) {
  krval copy(v);
  add(copy);
}

bool krarr::pop_back(krval &out) {
  if (!last) return false;
  krarrnode *node = last;
  out = std::move(node->value);
  last = node->previous;
  if (last) last->next = nullptr; else first = nullptr;
  delete node;
  --element_count;
  reset_cursor();
  return true;
}

bool krarr::pop_front(krval &out) {
  if (!first) return false;
  krarrnode *node = first;
  out = std::move(node->value);
  first = node->next;
  if (first) first->previous = nullptr; else last = nullptr;
  delete node;
  --element_count;
  reset_cursor();
  return true;
}

krval &krarr::at(int32_t i) {
  if (i < 0 || i >= element_count) {
    krval zero(0);
    add(zero);
    return last->value;
  }
  krarrnode *node;
  if (i < element_count / 2) {
    node = first;
    for (int32_t k = 0; k < i; ++k) node = node->next;
  } else {
    node = last;
    for (int32_t k = element_count - 1; k > i; --k) node = node->previous;
  }
  return node->value;
}

void krarr::reset_cursor() {
  cursor = direction ? first : last;
  cursor_index = 0;
}

bool krarr::next(krval &out) {
  if (!cursor) return false;
  out = cursor->value;
  cursor = direction ? cursor->next : cursor->previous;
  ++cursor_index;
  return true;
}

void krarr::clear() {
  krarrnode *node = first;
  while (node) {
    krarrnode *after = node->next;
    delete node;
    node = after;
  }
  first = last = cursor = nullptr;
  element_count = 0;
  cursor_index = 0;
}

void split(const krval &separator, const krval &text, krarr &list, int32_t maximum) {
  if (maximum == 1 || maximum < 0) return;
  list.clear();
  int32_t sep_length = separator.text_length();
  const char *sep = separator.c_str();
  int32_t length = text.text_length();
  const char *bytes = text.c_str();
  if (sep_length == 0 || sep_length > length) return;
  int32_t piece_start = 0;
  for (int32_t p = 0; p <= length - sep_length;) {
    if (std::memcmp(bytes + p, sep, sep_length) == 0) {
      krval piece(bytes + piece_start, p - piece_start);
      list.add(piece);
      p += sep_length;
      piece_start = p;
      if (maximum && list.count() == maximum - 1) break;
    } else {
      ++p;
    }
  }
  krval rest(bytes + piece_start, length - piece_start);
  list.add(rest);
}
