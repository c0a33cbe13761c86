// What the installer's and the uninstaller's tests share: scratch folders,
// file comparisons, shortcuts, and a registry put back the way it was.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

// A new folder, unique to this process and call, inside base; its name holds
// blanks so that every path built on it does too. Removed with its contents
// when the scratch_folder goes.
class scratch_folder {
public:
  explicit scratch_folder(const std::string &base, const char *label = "quenby test");
  ~scratch_folder();
  scratch_folder(const scratch_folder &) = delete;
  scratch_folder &operator=(const scratch_folder &) = delete;
  const std::string &path() const { return path_; }   // with a trailing backslash
  std::string operator/(const std::string &name) const { return path_ + name; }

private:
  std::string path_;
};

std::string temp_folder();   // the system's, with a trailing backslash
bool make_folders(const std::string &path);   // with every missing parent
void remove_tree(const std::string &path);
bool file_exists(const std::string &path);
bool is_directory(const std::string &path);
bool read_bytes(const std::string &path, std::string &out);
bool write_bytes(const std::string &path, const std::string &bytes);
// The names in a folder, "." and ".." left out, sorted.
std::vector<std::string> folder_entries(const std::string &folder);

bool make_shell_link(const std::string &link, const std::string &target,
                     const std::string &working_dir = std::string());

// Registry reading without the program's own services, so that the tests
// check what really stands in the registry.
bool registry_text(HKEY root, const std::string &key, const std::string &name, std::string &out);
bool registry_has_value(HKEY root, const std::string &key, const std::string &name);
bool registry_has_key(HKEY root, const std::string &key);
bool set_registry_text(HKEY root, const std::string &key, const std::string &name,
                       const std::string &text);
void delete_registry_value(HKEY root, const std::string &key, const std::string &name);
void delete_registry_tree(HKEY root, const std::string &key);
std::vector<std::string> registry_sub_keys(HKEY root, const std::string &key);

// A value of the system's "Shell Folders" keys ("Common Programs", "Desktop"),
// empty when there is none.
std::string shell_folder_path(HKEY root, const char *name);

// Removes every registry entry an installation makes (the record, the uninstall
// entry, the context-menu verb) and its shortcuts in the Start-menu and desktop
// folders, whoever made them: each test starts and ends with no installation.
void forget_installation();

// Makes sure ".html" names a file class for the length of a test, and puts
// back what was there before.
class html_class_scope {
public:
  html_class_scope();
  ~html_class_scope();
  html_class_scope(const html_class_scope &) = delete;
  html_class_scope &operator=(const html_class_scope &) = delete;
  const std::string &html_class() const { return class_name; }
  std::string verb_key() const;      // the class's key of our verb
  std::string command_key() const;   // and its command key

private:
  std::string class_name;
  bool made_extension = false;
  bool made_class = false;
};

// A value of HKEY_LOCAL_MACHINE's or HKEY_CURRENT_USER's keys put aside for a
// test (renamed out of the way) and put back when the scope ends.
class registry_value_aside {
public:
  registry_value_aside(HKEY root, const std::string &key, const std::string &name);
  ~registry_value_aside();
  registry_value_aside(const registry_value_aside &) = delete;
  registry_value_aside &operator=(const registry_value_aside &) = delete;

private:
  HKEY root;
  std::string key, name, text;
  bool had = false;
};

// A top-level window of the tool's main window class, which tells the
// installer and the uninstaller that the tool is running.
class fake_running_tool {
public:
  fake_running_tool();
  ~fake_running_tool();
  fake_running_tool(const fake_running_tool &) = delete;
  fake_running_tool &operator=(const fake_running_tool &) = delete;

private:
  HWND window = nullptr;
};
