#include "wintest/test_files.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <algorithm>
#include <cstdio>

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

bool make_empty_folder(const std::string &path) {
  remove_tree(path);
  return make_folders(path);
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
