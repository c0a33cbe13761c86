// The registry as the Windows tests read and change it, without the
// program's own services, so that they check what really stands there.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

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
