// What the uninstaller removes. It works from the folder it was started in and
// removes only what the installer puts there and names in the registry: a
// file or shortcut it did not install stays.
#pragma once
#include <string>
#include <vector>

enum class installation_kind {
  none,        // the folder holds no installation (the distribution folder, say)
  files_only,  // an installation whose record now names another folder
  recorded,    // the installation the registry records
};

struct installation_place {
  installation_kind kind = installation_kind::none;
  std::string folder;           // with its trailing backslash
  std::string recorded_folder;  // inst_dir as recorded, empty when there is none
};

// Decides what the folder holds: the recorded installation when inst_dir names
// it; an installation of files alone when it holds kwop.exe but the record
// names another folder or is gone; otherwise nothing of ours.
installation_place find_installation(const std::string &folder);

struct uninstall_result {
  std::vector<std::string> not_removed;  // what stays although it is ours
  bool folder_holds_other_files = false; // the folder keeps files we did not install
};

// Removes the installation's files except the uninstaller itself, and, for the
// recorded installation, its shortcuts, its registry values and keys, the
// uninstall entry and the context-menu command.
uninstall_result remove_installation(const installation_place &place);

// The message the uninstaller ends with.
std::string closing_message(const uninstall_result &result, const std::string &folder);
