// Which files a run of quenby-toc works on: the FILEs as given, where with
// -r a folder stands for the pages below it (sorted, hidden ones and links
// to folders left out), narrowed by --include and --exclude.
#pragma once
#include <filesystem>
#include <string>
#include <vector>

struct file_selection_rules {
  bool recursive = false;
  std::vector<std::string> include;   // globs; none: every page
  std::vector<std::string> exclude;
};

// Whether a glob matches a path below a folder ('/' between its parts).
// "*" and "?" stand for characters other than '/', "[a-z]" and "[!a]" for
// one of (or none of) a set, "**/" for any folders, "**" elsewhere for any
// characters, and "\x" for x itself.
bool glob_matches(const std::string &glob, const std::string &path);

// A name as the program's own calls take it (on Windows in the code page
// of its ANSI calls), as a path of the standard library, whose conversion
// of a name given as text is not the system's there.
std::filesystem::path system_path(const std::string &name);

// Appends what each FILE stands for to files, in the order given (on
// Windows, a FILE with the wildcards * or ? in its last part for the names
// that match, sorted, or itself where none does); a folder's
// pages in the byte order of their paths, folder by folder. A folder or
// link that cannot be read is one line in problems (its pages are left
// out). Without recursive a folder is kept as given, for the run to refuse.
void select_files(const std::vector<std::string> &given, const file_selection_rules &rules,
                  std::vector<std::string> &files, std::vector<std::string> &problems);

// The files in their order, each file once: a later name of a file already
// in the list (the same name again, another spelling of its path, a link
// to it) is dropped, so that no two jobs of a run work on one file.
std::vector<std::string> each_file_once(const std::vector<std::string> &files);
