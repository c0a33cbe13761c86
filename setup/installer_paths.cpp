#include "setup/installer_paths.h"

#include <windows.h>
#include "winservices/registry.h"
#include "product/installation_names.h"
#include "product/product.h"
#include "value/krhash.h"

namespace {

const char current_version_key[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
const char shell_folders_key[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// One value of a key, as text; empty when the key or the value is missing.
krval registry_text(HKEY root, const char *key, const char *name) {
  krhash values;
  krval value_name(name);
  values.set(value_name, krval(""));
  krval found("");
  if (read_registry_values(root, krval(key), values)) values.get(value_name, found);
  found.set_type(KR_TEXT);
  return found;
}

// The machine's setting first, the user's when the machine has none.
bool shell_folder(const char *key, const char *machine_value, const char *user_value, krval &folder) {
  folder = registry_text(HKEY_LOCAL_MACHINE, key, machine_value);
  if (folder.empty()) folder = registry_text(HKEY_CURRENT_USER, key, user_value);
  return !folder.empty();
}

}  // namespace

bool is_program_running() { return FindWindowA(main_window_class, nullptr) != nullptr; }

bool read_previous_install_dir(krval &folder) {
  krhash values;
  const krval name(installation::folder_value);
  values.set(name, krval(""));
  if (!read_registry_values(HKEY_LOCAL_MACHINE, krval(installation::product_key), values))
    return false;
  krval found;
  if (!values.get(name, found) || !found.is_text() || found.empty()) return false;
  int32_t length = found.text_length();
  if (found.c_str()[length - 1] == '\\') found.set_length(--length);
  if (length == 2 && found.c_str()[1] == ':') found.append("\\");
  folder = found;
  return true;
}

bool get_program_files_dir(krval &folder) {
  return shell_folder(current_version_key, "ProgramFilesDir", "ProgramFilesDir", folder);
}

bool get_common_programs_dir(krval &folder) {
  return shell_folder(shell_folders_key, "Common Programs", "Programs", folder);
}

bool get_common_desktop_dir(krval &folder) {
  return shell_folder(shell_folders_key, "Common Desktop", "Desktop", folder);
}

krval install_dir_in(const krval &chosen_folder) {
  krval folder(chosen_folder);
  folder.set_type(KR_TEXT);
  int32_t length = folder.text_length();
  if (length == 0 || folder.c_str()[length - 1] != '\\') folder.append("\\");
  folder.append("WOP1");
  return folder;
}

krval required_kilobytes(const krval &required_bytes) {
  krval kilobytes = krval::divide(required_bytes, krval(1024));
  krval result(kilobytes.as_int());
  result.add(krval(1));
  return result;
}
