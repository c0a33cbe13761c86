// Opening the regular-expression library and finding its functions: the
// part of the binding each system does its own way (regex_library_file_win32.cpp,
// regex_library_file_posix.cpp).
#pragma once

// The library from the program's own places, or null.
void *open_library();
// A function of the opened library itself, or null.
void *find_function(void *handle, const char *name);
void close_library(void *handle);
