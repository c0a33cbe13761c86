#include "remove/uninstall.h"

#include <windows.h>
#include "remove/path_text.h"
#include "remove/registry_edit.h"
#include "winservices/shell_link_reader.h"
#include "product/installation_names.h"
#include "product/product.h"

namespace names = installation;

namespace {

bool file_exists(const std::string &path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void remove_file(const std::string &path, uninstall_result &result) {
  if (!file_exists(path)) return;
  if (!DeleteFileA(path.c_str())) result.not_removed.push_back(path);
}

// A shortcut is ours when it leads into the installation folder.
void remove_link_into(const std::string &link, const std::string &folder, uninstall_result &result) {
  if (!file_exists(link)) return;
  shell_link_info info;
  if (!read_shell_link(link, info) || !is_inside(info.target, folder)) return;
  remove_file(link, result);
}

void remove_start_menu(const std::string &folder, uninstall_result &result) {
  std::string menu;
  if (!read_string_value(HKEY_LOCAL_MACHINE, names::product_key, names::start_menu_value, menu) ||
      menu.empty())
    return;
  std::string base = with_trailing_backslash(menu);
  for (const char *link : {names::program_link, names::help_link, names::uninstall_link})
    remove_link_into(base + link, folder, result);
  // Only our own folder, and only when nothing else is left in it.
  if (file_name_of(menu) == names::start_menu_folder && file_exists(menu) &&
      !RemoveDirectoryA(menu.c_str()))
    result.not_removed.push_back(menu);
}

void remove_desktop_link(const std::string &folder, uninstall_result &result) {
  std::string link;
  if (read_string_value(HKEY_LOCAL_MACHINE, names::product_key, names::desktop_link_value, link) &&
      !link.empty())
    remove_link_into(link, folder, result);
}

std::string first_command_word(const std::string &command) {
  if (!command.empty() && command[0] == '"') {
    size_t end = command.find('"', 1);
    return command.substr(1, end == std::string::npos ? std::string::npos : end - 1);
  }
  return command.substr(0, command.find(' '));
}

// The verb below base, when its command starts our program.
void remove_verb_under(const std::string &base, const std::string &folder, uninstall_result &result) {
  std::string verb = base + "\\shell\\" + names::context_verb;
  std::string command_key = verb + "\\command";
  std::string command;
  if (!read_string_value(HKEY_CLASSES_ROOT, command_key.c_str(), "", command)) return;
  if (!same_path(first_command_word(command), folder + names::installed_program)) return;
  if (!delete_key(HKEY_CLASSES_ROOT, command_key.c_str()) ||
      !delete_key(HKEY_CLASSES_ROOT, verb.c_str()))
    result.not_removed.push_back(std::string("HKEY_CLASSES_ROOT\\") + verb);
}

// The verb under the class of ".html" and the one for every ".html" file.
void remove_context_menu(const std::string &folder, uninstall_result &result) {
  std::string html_class;
  if (read_string_value(HKEY_CLASSES_ROOT, names::html_extension_key, "", html_class) &&
      !html_class.empty())
    remove_verb_under(html_class, folder, result);
  remove_verb_under(names::every_html_file_key, folder, result);
}

void remove_registry_record(uninstall_result &result) {
  bool values_gone = true;
  for (const char *value : {names::folder_value, names::start_menu_value, names::desktop_link_value})
    values_gone = delete_value(HKEY_LOCAL_MACHINE, names::product_key, value) && values_gone;
  // Keys of the maker that hold anything else stay.
  if (!values_gone || (key_exists(HKEY_LOCAL_MACHINE, names::product_key) &&
                       !delete_key_if_empty(HKEY_LOCAL_MACHINE, names::product_key)))
    result.not_removed.push_back(std::string("HKEY_LOCAL_MACHINE\\") + names::product_key);
  delete_key_if_empty(HKEY_LOCAL_MACHINE, names::maker_key);
}

// The program an uninstall command names: the whole command, or what its
// quotes hold (the installer quotes it; an earlier one did not).
std::string uninstall_program(const std::string &command) {
  return !command.empty() && command[0] == '"' ? first_command_word(command) : command;
}

void remove_uninstall_entry(const std::string &folder, uninstall_result &result) {
  std::string command;
  if (!read_string_value(HKEY_LOCAL_MACHINE, names::uninstall_key, names::uninstall_string_value,
                         command))
    return;
  if (!same_path(uninstall_program(command), folder + names::uninstaller)) return;
  if (!delete_key(HKEY_LOCAL_MACHINE, names::uninstall_key))
    result.not_removed.push_back(std::string("HKEY_LOCAL_MACHINE\\") + names::uninstall_key);
}

bool holds_other_files(const std::string &folder) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  bool other = false;
  do {
    std::string name = found.cFileName;
    if (name != "." && name != ".." && lstrcmpiA(name.c_str(), names::uninstaller) != 0) other = true;
  } while (!other && FindNextFileA(search, &found));
  FindClose(search);
  return other;
}

}  // namespace

installation_place find_installation(const std::string &folder) {
  installation_place place;
  place.folder = with_trailing_backslash(full_path(folder));
  read_string_value(HKEY_LOCAL_MACHINE, names::product_key, names::folder_value,
                    place.recorded_folder);
  if (!place.recorded_folder.empty() && same_path(place.recorded_folder, place.folder))
    place.kind = installation_kind::recorded;
  else if (file_exists(place.folder + names::installed_program))
    place.kind = installation_kind::files_only;
  return place;
}

uninstall_result remove_installation(const installation_place &place) {
  uninstall_result result;
  if (place.kind == installation_kind::none) return result;
  const std::string &folder = place.folder;
  if (place.kind == installation_kind::recorded) {
    // The shortcuts first: they are found through the values removed after.
    remove_start_menu(folder, result);
    remove_desktop_link(folder, result);
    remove_context_menu(folder, result);
    remove_uninstall_entry(folder, result);
    remove_registry_record(result);
  }
  for (const char *name : names::installed_files) remove_file(folder + name, result);
  result.folder_holds_other_files = holds_other_files(folder);
  return result;
}

std::string closing_message(const uninstall_result &result, const std::string &folder) {
  std::string text;
  if (result.not_removed.empty()) {
    text = std::string(product_title) + " has been removed from your computer.";
  } else {
    text = std::string(product_title) +
           " has been removed, except for these items, which could not be removed:\r\n";
    for (const std::string &item : result.not_removed) text += "\r\n" + item;
  }
  if (result.folder_holds_other_files)
    text += "\r\n\r\nThe folder " + folder +
            " holds files that were not installed with " + product_title +
            "; they and the folder have been kept.";
  return text;
}
