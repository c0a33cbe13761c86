#include "test_support/test_files_win32.h"

#include <cstdio>

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

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

bool make_empty_folder(const std::string &path) {
  remove_tree(path);
  return make_folders(path);
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

bool write_file(const std::wstring &path, const std::string &bytes) {
  std::FILE *f = _wfopen(path.c_str(), L"wb");
  if (!f) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && written;
}

bool read_bytes(const std::wstring &path, std::string &bytes) {
  std::FILE *f = _wfopen(path.c_str(), L"rb");
  if (!f) return false;
  bytes.clear();
  char buffer[65536];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) bytes.append(buffer, n);
  const bool ok = !std::ferror(f);
  std::fclose(f);
  return ok;
}
