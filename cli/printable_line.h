// A message line as it may go to a terminal: a file name may hold line ends
// or other control characters, which could forge lines of their own (a
// "0 failed" summary) or move the cursor; they are written escaped.
#pragma once
#include <string>

// The line with each control character written as \n, \r, \t, or \xHH.
std::string printable_line(const std::string &line);
