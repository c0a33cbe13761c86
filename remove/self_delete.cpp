#include "remove/self_delete.h"

#include <windows.h>
#include <cstdlib>
#include "remove/path_text.h"
#include "product/installation_names.h"

bool schedule_self_deletion(const std::string &program) {
  char temp[MAX_PATH + 1];
  DWORD n = GetTempPathA(sizeof temp, temp);
  if (n == 0 || n > MAX_PATH) return false;
  std::string temp_folder(temp, n);
  std::string copy = with_trailing_backslash(temp_folder) + "quenby-remove-" +
                     std::to_string(GetCurrentProcessId()) + ".exe";
  if (!CopyFileA(program.c_str(), copy.c_str(), FALSE)) return false;

  // A handle the copy inherits names this process without any race on its id.
  HANDLE self = nullptr;
  if (!DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &self,
                       SYNCHRONIZE, TRUE, 0)) {
    DeleteFileA(copy.c_str());
    return false;
  }
  std::string command = "\"" + copy + "\" " + finish_switch + " " +
                        std::to_string(reinterpret_cast<uintptr_t>(self)) + " \"" + program + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  // The copy starts outside the installation folder, so it does not hold it.
  BOOL started = CreateProcessA(copy.c_str(), &command[0], nullptr, nullptr, TRUE, 0, nullptr,
                                temp_folder.c_str(), &startup, &process);
  CloseHandle(self);
  if (!started) {
    DeleteFileA(copy.c_str());
    return false;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  SetCurrentDirectoryA(temp_folder.c_str());
  return true;
}

int finish_self_deletion(const std::string &process_handle, const std::string &program) {
  HANDLE original = reinterpret_cast<HANDLE>(
      static_cast<uintptr_t>(std::strtoull(process_handle.c_str(), nullptr, 10)));
  if (original) {
    WaitForSingleObject(original, INFINITE);
    CloseHandle(original);
  }
  int status = 1;
  if (lstrcmpiA(file_name_of(program).c_str(), installation::uninstaller) == 0) {
    // The system may hold the file a moment after its process has ended.
    bool deleted = false;
    for (int attempt = 0; attempt < 50 && !deleted; ++attempt) {
      deleted = DeleteFileA(program.c_str()) || GetFileAttributesA(program.c_str()) == INVALID_FILE_ATTRIBUTES;
      if (!deleted) Sleep(100);
    }
    status = deleted ? 0 : 1;
    std::string folder = folder_of(program);
    if (!folder.empty() && RemoveDirectoryA(folder.c_str())) {
      std::string parent = folder_of(folder.substr(0, folder.size() - 1));
      std::string parent_name = file_name_of(parent.substr(0, parent.empty() ? 0 : parent.size() - 1));
      if (lstrcmpiA(parent_name.c_str(), product_maker_brand) == 0) RemoveDirectoryA(parent.c_str());
    }
  }
  return status;
}

void delete_at_restart(const std::string &file) {
  MoveFileExA(file.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}
