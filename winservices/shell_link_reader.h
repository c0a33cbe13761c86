// Reads a shortcut file back through the shell-link object: what the
// uninstaller checks before it deletes a shortcut, and what the tests check
// the installer wrote.
#pragma once
#include <string>

struct shell_link_info {
  std::string target;
  std::string arguments;
  std::string icon_path;
  int icon_index = 0;
  int show_command = 0;
  std::string working_dir;
};

// False when the file cannot be loaded as a shortcut.
bool read_shell_link(const std::string &link_file, shell_link_info &out);
