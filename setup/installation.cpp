// The installation itself, run from the Progress page in one pass on the
// user-interface thread. A step that fails shows a warning and brings back the
// Ready page; nothing done before it is undone, and a run repeated after a
// failure accepts what the earlier one made and overwrites its files.
#include <windows.h>
#include <algorithm>
#include <string>
#include "winservices/registry.h"
#include "winservices/shell.h"
#include "fs/fs.h"
#include "setup/context_menu.h"
#include "product/installation_names.h"
#include "product/product.h"
#include "setup/installer_paths.h"
#include "setup/setup_form.h"
#include "ui/application.h"
#include "value/krhash.h"

namespace names = installation;

namespace {

const char drive_message[] =
    "There is a problem in getting the drive information. Please select another drive for "
    "installation.";
const char space_message[] =
    "Not enough free space on the drive. Please select another drive for installation.";
const char folder_message[] =
    "Destination folder can not be created. Please select another directory for installation.";
const char registry_message[] =
    "Setup can't write to system registry.The probable reason is either you don't have enough "
    "rights or registry is corrupt.";
const char copy_message[] = "Setup can't copy files.";
const char sub_folder_message[] = "Setup can't create a folder.";
const char start_menu_message[] = "Setup can't create Start menu link.";

// The part of the folder before its first backslash, as a drive root ("C:\").
krval drive_root_of(const krval &folder) {
  std::string text = folder.str();
  std::string root = text.substr(0, text.find('\\'));
  if (root.size() == 2 && root[1] == ':') root += '\\';
  return krval(root.c_str());
}

bool ends_with_backslash(const krval &text) {
  int32_t n = text.text_length();
  return n > 0 && text.c_str()[n - 1] == '\\';
}

krval joined(const krval &folder, const char *name) {
  krval path(folder);
  path.append(name);
  return path;
}

bool is_existing_directory(const krval &path) {
  krfile_node entry;
  krval p(path);
  return stat_path(entry, p) && entry.is_directory;
}

bool write_product_value(const char *name, const krval &value) {
  krhash values;
  values.set(krval(name), value);
  return write_registry_values(HKEY_LOCAL_MACHINE, krval(names::product_key), values);
}

bool link(const krval &link_file, const krval &target, const krval &icon, const krval &working_dir) {
  return create_shell_link(link_file, target, krval(""), icon, krval(0), krval(SW_SHOW), working_dir);
}

}  // namespace

void TSetupForm::report_progress(int32_t progress_counter) {
  progress_history.push_back(progress_counter);
  ProgressBar1->set_position(std::min(progress_counter, 100));
  Label10->set_text(krval(progress_counter).c_str());
  repaint_now();
}

void TSetupForm::fail_installation(const char *message) {
  say(message, MB_OK | MB_ICONEXCLAMATION);
  page_index = 3;
  show_page();
}

bool TSetupForm::check_free_space() {
  krval free_bytes;
  const char *problem = nullptr;
  if (!disk_free_space(drive_root_of(install_dir), free_bytes))
    problem = drive_message;
  else if (krval::less_than(free_bytes, required_bytes).as_flag())
    problem = space_message;
  if (!problem) return true;
  // The Ready page is still on screen: only the page number goes back.
  say(problem, MB_OK | MB_ICONEXCLAMATION);
  page_index = 3;
  return false;
}

// Every folder from the drive down, each with its trailing backslash. An
// earlier run, or the user, may have made them already.
bool TSetupForm::make_install_folder(krval &drive_root) {
  krarr parts;
  split(krval("\\"), install_dir, parts);
  krval path;
  krval part;
  bool made = false;
  bool first = true;
  while (parts.pop_front(part)) {
    if (first) {
      path = part;
      path.append("\\");
      first = false;
      continue;
    }
    // A trailing backslash is no folder level of its own.
    if (part.empty()) continue;
    path.append(part);
    path.append("\\");
    krval attempt(path);
    made = create_directory(attempt);
  }
  if (made || is_existing_directory(install_dir)) return true;
  // A drive root cannot be created, and it exists: its free space was just read.
  if (install_dir.compare(drive_root) == 0) return true;
  fail_installation(folder_message);
  return false;
}

bool TSetupForm::record_install_folder() {
  krarr parts;
  split(krval("\\"), krval(names::product_key), parts);
  krval key;
  krval part;
  bool made = false;
  bool first = true;
  while (parts.pop_front(part)) {
    if (first) {
      key = part;
      first = false;
      continue;
    }
    key.append("\\");
    key.append(part);
    made = create_registry_key(HKEY_LOCAL_MACHINE, key);
  }
  if (!made) {
    HKEY opened;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, names::product_key, 0, KEY_READ, &opened) != ERROR_SUCCESS) {
      fail_installation(registry_message);
      return false;
    }
    RegCloseKey(opened);
  }
  return true;
}

// One file, and its share of the 84 points the files have between them.
bool TSetupForm::copy_file_into(krval &source, const krval &destination, int32_t &progress_counter) {
  krval size = file_size_by_name(source);
  size = krval(size.as_real());
  krval target(destination);
  if (!copy_file(source, target, 1)) {
    fail_installation(copy_message);
    return false;
  }
  progress_counter += static_cast<int32_t>(size.as_real() / required_bytes.as_real() * 84.0);
  report_progress(progress_counter);
  return true;
}

bool TSetupForm::copy_distribution(const krval &folder, int32_t &progress_counter) {
  krval name;
  dist_files.reset_cursor();
  while (dist_files.next(name)) {
    krval source(name);
    if (!copy_file_into(source, joined(folder, name.c_str()), progress_counter)) return false;
  }

  krval installed = joined(folder, names::installed_program);
  krval copied = joined(folder, names::setup_program);
  delete_file(installed);
  installed = joined(folder, names::installed_program);
  move_file(copied, installed);

  dist_folders.reset_cursor();
  while (dist_folders.next(name)) {
    krval sub_folder = joined(folder, name.c_str());
    krval attempt(sub_folder);
    if (!create_directory(attempt) && !is_existing_directory(sub_folder)) {
      fail_installation(sub_folder_message);
      return false;
    }
    krfile_tree listing;
    krval listed(name);
    if (list_directory(listed, listing, nullptr, 1, krval("*.*"))) {
      for (krfile_node *entry = listing.first; entry; entry = entry->next) {
        if (entry->is_directory) continue;
        krval source(entry->name);
        krval destination(sub_folder);
        destination.append("\\");
        destination.append(entry->name);
        if (!copy_file_into(source, destination, progress_counter)) return false;
      }
    }
    krval up("..");
    set_current_directory(up);
  }
  return true;
}

bool TSetupForm::make_start_menu(const krval &folder, krval &start_menu_dir) {
  if (!get_common_programs_dir(start_menu_dir)) {
    fail_installation(start_menu_message);
    return false;
  }
  if (!ends_with_backslash(start_menu_dir)) start_menu_dir.append("\\");
  start_menu_dir.append(names::start_menu_folder);
  krval attempt(start_menu_dir);
  if (!create_directory(attempt) && !is_existing_directory(start_menu_dir)) {
    fail_installation(start_menu_message);
    return false;
  }
  if (!write_product_value(names::start_menu_value, start_menu_dir)) {
    fail_installation(registry_message);
    return false;
  }
  krval program = joined(folder, names::installed_program);
  krval shortcut = joined(start_menu_dir, "\\");
  shortcut.append(names::program_link);
  if (!link(shortcut, program, program, folder)) {
    fail_installation(start_menu_message);
    return false;
  }
  return true;
}

void TSetupForm::make_desktop_link(const krval &folder) {
  krval desktop;
  if (!CheckBox1->checked() || !get_common_desktop_dir(desktop)) return;
  krval shortcut = joined(desktop, "\\");
  shortcut.append(names::program_link);
  krval program = joined(folder, names::installed_program);
  if (link(shortcut, program, program, folder)) write_product_value(names::desktop_link_value, shortcut);
}

// The command in quotes: unquoted, a folder with a blank ("C:\My Apps")
// would let Windows run "C:\My.exe". The other values are what "Apps &
// features" shows of the entry.
void TSetupForm::make_uninstall_entry(const krval &folder) {
  const krval key(names::uninstall_key);
  create_registry_key(HKEY_LOCAL_MACHINE, key);
  krhash values;
  values.set(krval(names::display_name_value), krval(product_title));
  krval command("\"");
  command.append(folder);
  command.append(names::uninstaller);
  command.append("\"");
  values.set(krval(names::uninstall_string_value), command);
  values.set(krval(names::display_version_value), krval(QUENBY_VERSION));
  values.set(krval(names::publisher_value), krval(QUENBY_MAKER));
  values.set(krval(names::display_icon_value), joined(folder, names::installed_program));
  values.set(krval(names::install_location_value), folder);
  values.set(krval(names::estimated_size_value), required_kilobytes(required_bytes));
  write_registry_values(HKEY_LOCAL_MACHINE, key, values);
}

bool TSetupForm::run_installation() {
  progress_history.clear();
  int32_t progress_counter = 0;
  krval drive_root = drive_root_of(install_dir);
  if (!check_free_space()) return false;

  for (TButton *button : {Button1, Button2, Button3}) button->set_visible(false);
  for (TPanel *page : {Panel3, Panel4, Panel5, Panel7}) page->set_visible(false);
  Panel6->set_visible(true);

  if (!make_install_folder(drive_root)) return false;
  report_progress(progress_counter += 2);

  if (!ends_with_backslash(install_dir)) install_dir.append("\\");
  const krval folder(install_dir);

  if (!record_install_folder()) return false;
  report_progress(progress_counter += 2);
  if (!write_product_value(names::folder_value, folder)) {
    fail_installation(registry_message);
    return false;
  }
  report_progress(progress_counter += 1);

  if (!copy_distribution(folder, progress_counter)) return false;

  krval start_menu_dir;
  if (!make_start_menu(folder, start_menu_dir)) return false;
  report_progress(progress_counter += 3);

  make_desktop_link(folder);
  report_progress(progress_counter += 1);

  if (CheckBox2->checked()) register_context_menu(joined(folder, names::installed_program));
  report_progress(progress_counter += 3);

  const krval none("");
  krval links_base = joined(start_menu_dir, "\\");
  link(joined(links_base, names::help_link), joined(folder, names::help_page), none, none);
  report_progress(progress_counter += 2);
  link(joined(links_base, names::uninstall_link), joined(folder, names::uninstaller), none, none);
  report_progress(progress_counter += 1);

  make_uninstall_entry(folder);

  ProgressBar1->set_position(100);
  Label10->set_text("100");
  repaint_now();
  return true;
}
