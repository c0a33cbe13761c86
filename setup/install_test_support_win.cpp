#include "setup/install_test_support_win.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <algorithm>
#include <cstdio>
#include "setup/installation_names.h"

namespace names = installation;

std::string temp_folder() {
  char buffer[MAX_PATH + 1];
  DWORD n = GetTempPathA(sizeof buffer, buffer);
  std::string path(buffer, n > 0 && n <= MAX_PATH ? n : 0);
  if (path.empty()) path = "C:\\";
  if (path.back() != '\\') path += '\\';
  return path;
}

scratch_folder::scratch_folder(const std::string &base, const char *label) {
  static int counter = 0;
  std::string root = base.empty() || base.back() == '\\' ? base : base + "\\";
  for (int attempt = 0; attempt < 1000; ++attempt) {
    std::string candidate = root + label + " " + std::to_string(GetCurrentProcessId()) + "-" +
                            std::to_string(++counter) + "\\";
    if (file_exists(candidate)) continue;
    if (make_folders(candidate)) {
      path_ = candidate;
      break;
    }
  }
}

scratch_folder::~scratch_folder() {
  if (!path_.empty()) remove_tree(path_);
}

bool file_exists(const std::string &path) {
  std::string p = path;
  if (p.size() > 3 && p.back() == '\\') p.pop_back();
  return GetFileAttributesA(p.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool is_directory(const std::string &path) {
  std::string p = path;
  if (p.size() > 3 && p.back() == '\\') p.pop_back();
  DWORD a = GetFileAttributesA(p.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool make_folders(const std::string &path) {
  std::string p = path;
  if (p.size() > 3 && p.back() == '\\') p.pop_back();
  if (is_directory(p)) return true;
  size_t slash = p.find_last_of('\\');
  if (slash != std::string::npos && slash > 2 && !make_folders(p.substr(0, slash))) return false;
  return CreateDirectoryA(p.c_str(), nullptr) || is_directory(p);
}

void remove_tree(const std::string &path) {
  std::string p = path;
  if (p.size() > 3 && p.back() == '\\') p.pop_back();
  if (!is_directory(p)) {
    SetFileAttributesA(p.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(p.c_str());
    return;
  }
  for (const std::string &name : folder_entries(p + "\\")) remove_tree(p + "\\" + name);
  RemoveDirectoryA(p.c_str());
}

std::vector<std::string> folder_entries(const std::string &folder) {
  std::vector<std::string> names_found;
  std::string f = folder.empty() || folder.back() == '\\' ? folder : folder + "\\";
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((f + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names_found;
  do {
    std::string name = found.cFileName;
    if (name != "." && name != "..") names_found.push_back(name);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  std::sort(names_found.begin(), names_found.end());
  return names_found;
}

bool read_bytes(const std::string &path, std::string &out) {
  std::FILE *f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  out.clear();
  char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) out.append(buffer, n);
  bool ok = !std::ferror(f);
  std::fclose(f);
  return ok;
}

bool write_bytes(const std::string &path, const std::string &bytes) {
  std::FILE *f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

bool make_shell_link(const std::string &link, const std::string &target,
                     const std::string &working_dir) {
  HRESULT com = CoInitialize(nullptr);
  bool ok = false;
  IShellLinkA *shell_link = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                 reinterpret_cast<void **>(&shell_link)))) {
    shell_link->SetPath(target.c_str());
    if (!working_dir.empty()) shell_link->SetWorkingDirectory(working_dir.c_str());
    IPersistFile *file = nullptr;
    if (SUCCEEDED(shell_link->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(&file)))) {
      wchar_t wide[MAX_PATH];
      MultiByteToWideChar(CP_ACP, 0, link.c_str(), -1, wide, MAX_PATH);
      ok = SUCCEEDED(file->Save(wide, TRUE));
      file->Release();
    }
    shell_link->Release();
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return ok;
}

bool registry_text(HKEY root, const std::string &key, const std::string &name, std::string &out) {
  HKEY k;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
  char data[4096];
  DWORD size = sizeof data - 1, type = 0;
  LONG r = RegQueryValueExA(k, name.c_str(), nullptr, &type, reinterpret_cast<BYTE *>(data), &size);
  RegCloseKey(k);
  if (r != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
  // The stored size counts the terminating zero.
  if (size > 0 && data[size - 1] == '\0') --size;
  out.assign(data, size);
  return true;
}

bool registry_has_value(HKEY root, const std::string &key, const std::string &name) {
  HKEY k;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
  LONG r = RegQueryValueExA(k, name.c_str(), nullptr, nullptr, nullptr, nullptr);
  RegCloseKey(k);
  return r == ERROR_SUCCESS;
}

bool registry_has_key(HKEY root, const std::string &key) {
  HKEY k;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
  RegCloseKey(k);
  return true;
}

bool set_registry_text(HKEY root, const std::string &key, const std::string &name,
                       const std::string &text) {
  HKEY k;
  if (RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr) !=
      ERROR_SUCCESS)
    return false;
  LONG r = RegSetValueExA(k, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE *>(text.c_str()),
                          static_cast<DWORD>(text.size() + 1));
  RegCloseKey(k);
  return r == ERROR_SUCCESS;
}

void delete_registry_value(HKEY root, const std::string &key, const std::string &name) {
  HKEY k;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_SET_VALUE, &k) != ERROR_SUCCESS) return;
  RegDeleteValueA(k, name.c_str());
  RegCloseKey(k);
}

std::vector<std::string> registry_sub_keys(HKEY root, const std::string &key) {
  std::vector<std::string> keys;
  HKEY k;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return keys;
  char name[512];
  for (DWORD i = 0;; ++i) {
    DWORD size = sizeof name;
    if (RegEnumKeyExA(k, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    keys.emplace_back(name, size);
  }
  RegCloseKey(k);
  return keys;
}

void delete_registry_tree(HKEY root, const std::string &key) {
  for (const std::string &sub : registry_sub_keys(root, key)) delete_registry_tree(root, key + "\\" + sub);
  RegDeleteKeyA(root, key.c_str());
}

std::string shell_folder_path(HKEY root, const char *name) {
  std::string path;
  registry_text(root, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", name,
                path);
  return path;
}

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

registry_value_aside::registry_value_aside(HKEY r, const std::string &k, const std::string &n)
    : root(r), key(k), name(n) {
  had = registry_text(root, key, name, text);
  if (had) delete_registry_value(root, key, name);
}

registry_value_aside::~registry_value_aside() {
  if (had) set_registry_text(root, key, name, text);
}

namespace {

const char *const fake_tool_class = names::tool_window_class;

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
  window = CreateWindowExA(0, fake_tool_class, "Quenby 1.0", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                           nullptr, nullptr, c.hInstance, nullptr);
}

fake_running_tool::~fake_running_tool() {
  if (window) DestroyWindow(window);
}
