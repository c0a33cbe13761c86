// Files and folders for the Windows tests: the one scratch folder and the
// whole-file reads and writes of every suite, and beside them what only the
// Windows tests need, done with the system's own calls rather than the
// program's services: folders made and removed whole, tests for what
// stands on the disk, and shortcut files.
#pragma once
#include <string>
#include "test_support/scratch_folder.h"

using test_support::folder_entries;
using test_support::read_bytes;
using test_support::scratch_folder;
using test_support::write_file;

bool make_folders(const std::string &path);   // with every missing parent
// The file, or the folder with everything in it, read-only files too.
void remove_tree(const std::string &path);
// The folder emptied, or made with its parents.
bool make_empty_folder(const std::string &path);
bool file_exists(const std::string &path);
bool is_directory(const std::string &path);

// Whole files by wide names, for names beyond the code page.
bool write_file(const std::wstring &path, const std::string &bytes);
bool read_bytes(const std::wstring &path, std::string &bytes);

bool make_shell_link(const std::string &link, const std::string &target,
                     const std::string &working_dir = std::string());
