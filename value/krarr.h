// krarr: a doubly linked list of Values with a cursor. Adding moves the Value
// in (the caller's Value is left as empty text), so chunks and lines change
// hands without copying.
#pragma once
#include <cstdint>
#include "value/krval.h"

struct krarrnode {
  krarrnode *next = nullptr;
  krarrnode *previous = nullptr;
  krval value;
};

class krarr {
public:
  krarr() = default;
  krarr(const krarr &) = delete;
  krarr &operator=(const krarr &) = delete;
  virtual ~krarr();

  virtual void add(krval &v);       // moves v to the end
  void push_front(krval &v);        // moves v to the front
  void add_copy(const krval &v);
  bool pop_back(krval &out);
  bool pop_front(krval &out);
  krval &at(int32_t i);             // out of range: adds an integer 0 at the end and returns it
  void reset_cursor();
  bool next(krval &out);
  int32_t count() const { return element_count; }
  void clear();

  int32_t element_count = 0;
  krarrnode *cursor = nullptr;
  int32_t cursor_index = -1;
  uint8_t direction = 1;            // 1 forward from the first element, 0 backward
  krarrnode *first = nullptr;
  krarrnode *last = nullptr;
};

// Fills list with the pieces of text between occurrences of separator.
// maximum 0: no limit; otherwise at most maximum pieces (1 or negative: list untouched).
void split(const krval &separator, const krval &text, krarr &list, int32_t maximum = 0);
