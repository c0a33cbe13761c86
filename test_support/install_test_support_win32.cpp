#include "test_support/install_test_support_win32.h"

#include "product/installation_names.h"
#include "product/product.h"
#include "test_support/test_files_win32.h"
#include "test_support/test_registry_win32.h"

namespace names = installation;

void forget_installation() {
  for (const std::string &programs : {shell_folder_path(HKEY_LOCAL_MACHINE, "Common Programs"),
                                      shell_folder_path(HKEY_CURRENT_USER, "Programs")})
    if (!programs.empty()) remove_tree(programs + "\\" + names::start_menu_folder);
  for (const std::string &desktop : {shell_folder_path(HKEY_LOCAL_MACHINE, "Common Desktop"),
                                     shell_folder_path(HKEY_CURRENT_USER, "Desktop")})
    if (!desktop.empty()) DeleteFileA((desktop + "\\" + names::program_link).c_str());
  delete_registry_tree(HKEY_LOCAL_MACHINE, names::product_key);
  if (registry_sub_keys(HKEY_LOCAL_MACHINE, names::maker_key).empty())
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, names::maker_key);
  delete_registry_tree(HKEY_LOCAL_MACHINE, names::uninstall_key);
  std::string html_class;
  if (registry_text(HKEY_CLASSES_ROOT, names::html_extension_key, "", html_class) && !html_class.empty())
    delete_registry_tree(HKEY_CLASSES_ROOT, html_class + "\\shell\\" + names::context_verb);
  delete_registry_tree(HKEY_CLASSES_ROOT, every_html_file_verb_key());
}

std::string every_html_file_verb_key() {
  return std::string(names::every_html_file_key) + "\\shell\\" + names::context_verb;
}

html_class_scope::html_class_scope() {
  if (!registry_text(HKEY_CLASSES_ROOT, names::html_extension_key, "", class_name) ||
      class_name.empty()) {
    class_name = "quenbytest.htmlfile";
    made_extension = true;
    set_registry_text(HKEY_CLASSES_ROOT, names::html_extension_key, "", class_name);
  }
  if (!registry_has_key(HKEY_CLASSES_ROOT, class_name)) {
    made_class = true;
    set_registry_text(HKEY_CLASSES_ROOT, class_name, "", "HTML page");
  }
}

html_class_scope::~html_class_scope() {
  delete_registry_tree(HKEY_CLASSES_ROOT, verb_key());
  if (made_class) delete_registry_tree(HKEY_CLASSES_ROOT, class_name);
  if (made_extension) delete_registry_tree(HKEY_CLASSES_ROOT, names::html_extension_key);
}

std::string html_class_scope::verb_key() const {
  return class_name + "\\shell\\" + names::context_verb;
}

std::string html_class_scope::command_key() const { return verb_key() + "\\command"; }

namespace {

const char *const fake_tool_class = main_window_class;

LRESULT CALLBACK fake_tool_procedure(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  return DefWindowProcA(w, m, wp, lp);
}

}  // namespace

fake_running_tool::fake_running_tool() {
  WNDCLASSA c{};
  c.lpfnWndProc = fake_tool_procedure;
  c.hInstance = GetModuleHandleA(nullptr);
  c.lpszClassName = fake_tool_class;
  RegisterClassA(&c);
  window = CreateWindowExA(0, fake_tool_class, product_title, WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                           nullptr, nullptr, c.hInstance, nullptr);
}

fake_running_tool::~fake_running_tool() {
  if (window) DestroyWindow(window);
}
