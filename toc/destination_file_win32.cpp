#include "toc/destination_file.h"

#include <windows.h>
#include <string>

bool (*destination_step_allowed)(destination_step) = nullptr;

krval destination_target(const krval &destination) { return destination; }

krval temporary_name_beside(const krval &target) {
  const std::string base = target.str() + ".quenby-";
  const unsigned long pid = GetCurrentProcessId();
  for (int attempt = 0;; ++attempt) {
    std::string name = base + std::to_string(pid) + "-" + std::to_string(attempt) + ".tmp";
    if (GetFileAttributesA(name.c_str()) == INVALID_FILE_ATTRIBUTES) return krval(name.c_str());
  }
}

// Windows writes back on its own schedule; FlushFileBuffers waits for all.
void start_write_back(krfile) {}

bool flush_to_disk(krfile handle) {
  if (destination_step_allowed && !destination_step_allowed(destination_step::flush))
    return false;
  return FlushFileBuffers(reinterpret_cast<HANDLE>(static_cast<intptr_t>(handle))) != 0;
}

// The new file takes the old one's attributes (hidden, archive...), but never
// more than the old file allowed: a read-only destination is refused by the
// move itself and stays as it was.
bool replace_with(const krval &temporary, const krval &target) {
  if (destination_step_allowed && !destination_step_allowed(destination_step::move))
    return false;
  DWORD old = GetFileAttributesA(target.c_str());
  if (old != INVALID_FILE_ATTRIBUTES && !(old & FILE_ATTRIBUTE_READONLY))
    SetFileAttributesA(temporary.c_str(), old & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                                 FILE_ATTRIBUTE_ARCHIVE));
  return MoveFileExA(temporary.c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}
