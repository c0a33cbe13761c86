// Path texts as the uninstaller compares them: Windows paths, case ignored
// by the system's own ANSI rules.
#pragma once
#include <string>

// "C:\a\b" and "C:\a\b\" both give "C:\a\b\".
std::string with_trailing_backslash(const std::string &path);
// The folder part with its trailing backslash: "C:\a\b.exe" gives "C:\a\".
std::string folder_of(const std::string &path);
// The part after the last backslash.
std::string file_name_of(const std::string &path);
// The same folder or file, whatever the letter case and a trailing backslash.
bool same_path(const std::string &a, const std::string &b);
// True when path names something inside folder (at any depth).
bool is_inside(const std::string &path, const std::string &folder);
// The full, normalised form the system gives a path ("." and ".." resolved);
// the path itself when the system cannot.
std::string full_path(const std::string &path);
