// What the two system back ends (fs_win32.cpp, fs_posix.cpp) provide to the
// code they share (fs_common.cpp), and the helpers that shared code offers them.
#pragma once
#include <cstdint>
#include "value/krval.h"

// The path component separator: '\' on Windows, '/' on POSIX.
extern const char fs_separator;

// Turns the Value into text in place and applies the back end's slash rule;
// returns its terminated text.
const char *prepare_path(krval &path);

// The system error code of a plain I/O failure (ERROR_READ_FAULT, EIO).
int32_t fs_generic_io_error();

// A size in two 32-bit parts as a Value: an integer when the high part is 0 and
// the low part is at most largest_integer, else a real of the whole size.
krval size_from_parts(uint32_t high, uint32_t low, uint32_t largest_integer);

// What the system's number formatting takes: digits (at least one), an
// optional leading '-' and at most one '.'.
bool is_number_text(const char *text, int32_t length);

// One item of a folder as the system reports it.
struct fs_found_item {
  const char *name = "";
  bool is_directory = false;
  uint32_t size_high = 0;
  uint32_t size_low = 0;
  int32_t modification_time = 0;  // UNIX seconds
  uint32_t attributes = 0;
};
using fs_item_visitor = void (*)(const fs_found_item &item, void *context);

// Hands every item of the current directory that matches pattern to visit, in
// the order the system returns them ("." and ".." included when the system
// reports them). False when the folder could not be enumerated or nothing
// matched.
bool enumerate_current_directory(const char *pattern, fs_item_visitor visit, void *context);

// Looks up one path (without a trailing separator): false when it does not exist.
bool find_path(const char *path, fs_found_item &item);

// Bounds of the integer sizes: file_size, and the listing entries.
constexpr uint32_t file_size_largest_integer = 0x0FFFFFFEu;
constexpr uint32_t entry_size_largest_integer = 0x7FFFFFFFu;
