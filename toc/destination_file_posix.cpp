#include "toc/destination_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <climits>
#include <cstdlib>
#include <string>
#include <unistd.h>

bool (*destination_step_allowed)(destination_step) = nullptr;

krval destination_target(const krval &destination) {
  struct stat link;
  if (lstat(destination.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return destination;
  char resolved[PATH_MAX];
  if (!realpath(destination.c_str(), resolved)) return destination;
  return krval(resolved);
}

krval temporary_name_beside(const krval &target) {
  const std::string base = target.str() + ".quenby-";
  const long pid = static_cast<long>(getpid());
  for (int attempt = 0;; ++attempt) {
    std::string name = base + std::to_string(pid) + "-" + std::to_string(attempt) + ".tmp";
    struct stat existing;
    if (lstat(name.c_str(), &existing) != 0) return krval(name.c_str());
  }
}

void start_write_back(krfile handle) {
#if defined(__linux__)
  sync_file_range(static_cast<int>(handle), 0, 0, SYNC_FILE_RANGE_WRITE);   // advice: failure is harmless
#else
  (void)handle;
#endif
}

bool flush_to_disk(krfile handle) {
  if (destination_step_allowed && !destination_step_allowed(destination_step::flush))
    return false;
  return fsync(static_cast<int>(handle)) == 0;
}

bool replace_with(const krval &temporary, const krval &target) {
  if (destination_step_allowed && !destination_step_allowed(destination_step::move))
    return false;
  struct stat old;
  if (stat(target.c_str(), &old) == 0 && chmod(temporary.c_str(), old.st_mode & 07777) != 0)
    return false;
  return rename(temporary.c_str(), target.c_str()) == 0;
}
