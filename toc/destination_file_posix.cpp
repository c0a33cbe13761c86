#include "toc/destination_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>
#include <vector>
#include <unistd.h>


namespace {

int open_retrying(const char *path, int flags, mode_t permissions = 0) {
  int fd;
  do fd = ::open(path, flags, permissions);
  while (fd < 0 && errno == EINTR);
  return fd;
}

// Copies the whole of from into to, from its start, through the file layer
// (so that tests can make the disk fail); to ends where the copy ends.
bool copy_whole(int from, int to) {
  std::vector<char> buffer(65536);
  int64_t copied = 0;
  for (;;) {
    const int32_t got = read_bytes(buffer.data(), static_cast<int32_t>(buffer.size()), from);
    if (got < 0) return false;
    if (got == 0) break;
    if (write_bytes(buffer.data(), got, to) != got) return false;
    copied += got;
  }
  return ::ftruncate(to, static_cast<off_t>(copied)) == 0 && ::fsync(to) == 0;
}

// Writes the temporary's text into target itself, so that every name of the
// file shows it. Other runs of this program writing into the same file wait
// for their turn, so the file ends with one run's whole text.
replace_outcome write_into(const krval &temporary, const krval &target) {
  const int to = open_retrying(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW);
  if (to < 0) return replace_outcome::untouched;
  const int from = open_retrying(temporary.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  int locked;
  do locked = from < 0 ? -1 : ::flock(to, LOCK_EX);
  while (locked != 0 && from >= 0 && errno == EINTR);
  if (from < 0 || locked != 0) {
    if (from >= 0) ::close(from);
    ::close(to);
    return replace_outcome::untouched;
  }
  const bool copied = copy_whole(from, to);
  ::close(from);
  const bool closed = ::close(to) == 0;
  if (!copied || !closed) return replace_outcome::copy_kept;
  ::unlink(temporary.c_str());
  return replace_outcome::replaced;
}

}  // namespace

void wait_for_writers(krfile source) {
  while (::flock(source, LOCK_SH) != 0 && errno == EINTR) {
  }
}

krval destination_target(const krval &destination) {
  struct stat link;
  if (lstat(destination.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return destination;
  char resolved[PATH_MAX];
  if (!realpath(destination.c_str(), resolved)) return destination;
  return krval(resolved);
}

std::string file_identity(const krval &path) {
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) return std::string();
  return std::to_string(static_cast<unsigned long long>(info.st_dev)) + ":" +
         std::to_string(static_cast<unsigned long long>(info.st_ino));
}

bool left_by_ended_run(const krval &temporary, const krval &target, unsigned long process) {
  // No run of ours has a number beyond a process number's range.
  if (process > static_cast<unsigned long>(INT_MAX) || process == static_cast<unsigned long>(getpid()))
    return false;
  struct stat info;
  if (::lstat(temporary.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  const uid_t me = ::geteuid();
  struct stat page;
  const bool ours =
      info.st_uid == me || (me == 0 && ::stat(target.c_str(), &page) == 0 && page.st_uid == info.st_uid);
  // A process that runs but is not ours answers EPERM: it still runs.
  return ours && ::kill(static_cast<pid_t>(process), 0) != 0 && errno == ESRCH;
}

krfile create_temporary_beside(const krval &target, krval &temporary_name) {
  const std::string base = target.str() + temporary_infix + std::to_string(static_cast<long>(getpid())) + "-";
  struct stat existing;
  // A new destination needs no secrecy, and gets a new file's usual mode.
  const mode_t permissions = ::stat(target.c_str(), &existing) == 0 ? 0600 : 0666;
  // Names are taken in turn; one left behind by a run that was killed, or
  // planted by someone else, only moves us on to the next.
  for (int attempt = 0; attempt < 100000; ++attempt) {
    const std::string name = base + std::to_string(attempt) + ".tmp";
    const int fd =
        open_retrying(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, permissions);
    if (fd >= 0) {
      temporary_name = name.c_str();
      return fd;
    }
    if (errno != EEXIST) break;
  }
  return krfile_invalid;
}

bool take_attributes_of(const krval &target, krfile temporary) {
  struct stat old;
  struct stat now;
  if (::stat(target.c_str(), &old) != 0) return true;
  if (::fstat(temporary, &now) != 0) return false;
  if ((old.st_uid != now.st_uid || old.st_gid != now.st_gid) &&
      ::fchown(temporary, old.st_uid, old.st_gid) != 0 && old.st_gid != now.st_gid)
    (void)::fchown(temporary, static_cast<uid_t>(-1), old.st_gid);   // a group of ours, at least
  // After the owner: giving a file away may clear its set-id bits.
  return ::fchmod(temporary, old.st_mode & 07777) == 0;
}

void start_write_back(krfile handle) {
#if defined(__linux__)
  sync_file_range(static_cast<int>(handle), 0, 0, SYNC_FILE_RANGE_WRITE);   // advice: failure is harmless
#else
  (void)handle;
#endif
}

bool flush_to_disk(krfile handle) {
  return fsync(static_cast<int>(handle)) == 0;
}

replace_outcome replace_with(const krval &temporary, const krval &target) {
  struct stat old;
  if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode) && old.st_nlink > 1)
    return write_into(temporary, target);
  return ::rename(temporary.c_str(), target.c_str()) == 0 ? replace_outcome::replaced
                                                           : replace_outcome::untouched;
}

void flush_file_systems(const std::vector<krval> &files, std::vector<char> &flushed) {
#if defined(__linux__)
  // One syncfs per file system the files lie on; the first file of each
  // opens it.
  std::vector<dev_t> devices(files.size());
  std::vector<char> known(files.size(), 0);
  for (std::size_t i = 0; i < files.size(); ++i) {
    struct stat info;
    if (::lstat(files[i].c_str(), &info) == 0) {
      devices[i] = info.st_dev;
      known[i] = 1;
    }
  }
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (!known[i] || flushed[i]) continue;
    bool first = true;
    for (std::size_t k = 0; k < i && first; ++k) first = !(known[k] && devices[k] == devices[i]);
    if (!first) continue;
    const int fd = open_retrying(files[i].c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    const bool synced = fd >= 0 && ::syncfs(fd) == 0;
    if (fd >= 0) ::close(fd);
    if (!synced) continue;
    for (std::size_t k = i; k < files.size(); ++k)
      if (known[k] && devices[k] == devices[i]) flushed[k] = 1;
  }
#else
  (void)files;
  (void)flushed;
#endif
}

bool flush_closed_file(const krval &path) {
  const int fd = open_retrying(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return false;
  const bool flushed = ::fsync(fd) == 0;
  return ::close(fd) == 0 && flushed;
}

bool flush_folder(const krval &folder) {
  const int fd = open_retrying(folder.c_str(), O_RDONLY | O_CLOEXEC | O_DIRECTORY);
  if (fd < 0) return false;
  // Some file systems cannot flush a folder: their moves are durable as made.
  const bool flushed = ::fsync(fd) == 0 || errno == EINVAL;
  ::close(fd);
  return flushed;
}
