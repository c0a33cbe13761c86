#include "page_files/destination_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>
#include <unistd.h>
#if defined(__linux__)
#include <sys/xattr.h>
#endif

#include "page_files/temporary_registry.h"


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

// Room on the disk for size bytes of fd, so that writing them cannot run
// out of it half way. Where the file system cannot reserve, writing goes
// on as before; only a full disk (or quota) is an answer.
bool reserve(int fd, off_t size) {
#if defined(__linux__)
  // The size stays as it is: a stop before the copy leaves the file whole.
  int reserved;
  do reserved = ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, size);
  while (reserved != 0 && errno == EINTR);
  return reserved == 0 || (errno != ENOSPC && errno != EDQUOT && errno != EFBIG);
#else
  struct stat info;
  if (::fstat(fd, &info) == 0 && info.st_size >= size) return true;
  const int error = ::posix_fallocate(fd, 0, size);
  errno = error;
  return error == 0 || (error != ENOSPC && error != EFBIG);
#endif
}

// The name a temporary takes once it is the complete copy of a page being
// written into.
std::string complete_name_of(const std::string &temporary) {
  const std::string plain = ".tmp";
  return temporary.substr(0, temporary.size() - plain.size()) + complete_copy_suffix;
}

// Writes a complete copy's text into target itself, so that every name of
// the file shows it. Other runs of this program writing into the same file
// wait for their turn, so the file ends with one run's whole text. Where
// copy is still a plain temporary, it is first renamed as a complete copy
// (its new name in copy), once room for its text is reserved.
replace_outcome write_into(krval &copy, const krval &target, bool already_complete) {
  const int to = open_retrying(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW);
  if (to < 0) return already_complete ? replace_outcome::copy_kept : replace_outcome::untouched;
  const int from = open_retrying(copy.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  int locked;
  do locked = from < 0 ? -1 : ::flock(to, LOCK_EX);
  while (locked != 0 && from >= 0 && errno == EINTR);
  struct stat text;
  bool ready = from >= 0 && locked == 0 && ::fstat(from, &text) == 0 && reserve(to, text.st_size);
  if (ready && !already_complete) {
    const std::string complete = complete_name_of(copy.str());
    ready = ::rename(copy.c_str(), complete.c_str()) == 0;
    if (ready) {
      forget_temporary(copy.str());   // a stopped run must leave it
      copy = complete.c_str();
      // On the disk under its name before a byte of target changes.
      const int folder = open_retrying(folder_of(complete).c_str(), O_RDONLY | O_CLOEXEC | O_DIRECTORY);
      if (folder >= 0) {
        (void)::fsync(folder);
        ::close(folder);
      }
    }
  }
  if (!ready) {
    const int error = errno;
    if (from >= 0) ::close(from);
    ::close(to);
    errno = error;
    return already_complete ? replace_outcome::copy_kept : replace_outcome::untouched;
  }
  const bool copied = copy_whole(from, to);
  const int error = errno;
  ::close(from);
  const bool closed = ::close(to) == 0;
  if (!copied || !closed) {
    if (!copied) errno = error;
    return replace_outcome::copy_kept;
  }
  ::unlink(copy.c_str());
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
  if (realpath(destination.c_str(), resolved)) return krval(resolved);
  // A link to a file not there yet: the file it names is created, one link
  // after another, as opening the link for writing would.
  std::string at = destination.str();
  for (int hops = 0; hops < 40; ++hops) {
    char named[PATH_MAX];
    const ssize_t length = ::readlink(at.c_str(), named, sizeof named - 1);
    if (length <= 0) return destination;
    const std::string next(named, static_cast<std::size_t>(length));
    at = next[0] == '/' ? next : folder_of(at) + "/" + next;
    if (::lstat(at.c_str(), &link) != 0) return errno == ENOENT ? krval(at.c_str()) : destination;
    if (!S_ISLNK(link.st_mode)) return destination;
  }
  return destination;   // a loop: the link itself is replaced, as any other file
}

std::string file_identity(const krval &path) {
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) return std::string();
  return std::to_string(static_cast<unsigned long long>(info.st_dev)) + ":" +
         std::to_string(static_cast<unsigned long long>(info.st_ino));
}

bool has_several_names(const krval &path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_nlink > 1;
}

bool left_by_ended_run(const krval &temporary, const krval &target, unsigned long process,
                       bool this_process_too) {
  // No run of ours has a number beyond a process number's range.
  const bool this_process = process == static_cast<unsigned long>(getpid());
  if (process > static_cast<unsigned long>(INT_MAX) || (this_process && !this_process_too)) return false;
  struct stat info;
  if (::lstat(temporary.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  const uid_t me = ::geteuid();
  struct stat page;
  const bool ours =
      info.st_uid == me || (me == 0 && ::stat(target.c_str(), &page) == 0 && page.st_uid == info.st_uid);
  // A process that runs but is not ours answers EPERM: it still runs.
  return ours && (this_process || (::kill(static_cast<pid_t>(process), 0) != 0 && errno == ESRCH));
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
    const std::unique_lock<std::mutex> listing = hold_temporary_registry();
    const int fd =
        open_retrying(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, permissions);
    if (fd >= 0) {
      list_temporary(name);
      temporary_name = name.c_str();
      return fd;
    }
    if (errno != EEXIST) break;
  }
  return krfile_invalid;
}

namespace {

// The extended attributes of target (its access control lists among them)
// on the temporary too, as far as the file systems keep them: none is an
// error, since most pages have none and many file systems keep none.
void copy_extended_attributes(const krval &target, krfile temporary) {
#if defined(__linux__)
  const ssize_t room = ::listxattr(target.c_str(), nullptr, 0);
  if (room <= 0) return;
  std::vector<char> names(static_cast<std::size_t>(room));
  const ssize_t listed = ::listxattr(target.c_str(), names.data(), names.size());
  std::vector<char> value;
  for (ssize_t at = 0; at < listed; at += static_cast<ssize_t>(std::strlen(names.data() + at)) + 1) {
    const char *name = names.data() + at;
    const ssize_t size = ::getxattr(target.c_str(), name, nullptr, 0);
    if (size < 0) continue;
    value.resize(static_cast<std::size_t>(size) + 1);
    const ssize_t got = ::getxattr(target.c_str(), name, value.data(), static_cast<std::size_t>(size));
    if (got >= 0) (void)::fsetxattr(temporary, name, value.data(), static_cast<std::size_t>(got), 0);
  }
#else
  (void)target;
  (void)temporary;
#endif
}

}  // namespace

bool take_attributes_of(const krval &target, krfile temporary) {
  struct stat old;
  struct stat now;
  if (::stat(target.c_str(), &old) != 0) return true;
  if (::fstat(temporary, &now) != 0) return false;
  if ((old.st_uid != now.st_uid || old.st_gid != now.st_gid) &&
      ::fchown(temporary, old.st_uid, old.st_gid) != 0 && old.st_gid != now.st_gid)
    (void)::fchown(temporary, static_cast<uid_t>(-1), old.st_gid);   // a group of ours, at least
  copy_extended_attributes(target, temporary);
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

replace_outcome replace_with(krval &temporary, const krval &target) {
  struct stat old;
  if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode) && old.st_nlink > 1)
    return write_into(temporary, target, false);
  return ::rename(temporary.c_str(), target.c_str()) == 0 ? replace_outcome::replaced
                                                           : replace_outcome::untouched;
}

replace_outcome finish_copy(const krval &copy, const krval &target) {
  krval name(copy);
  return write_into(name, target, true);
}

std::string last_system_error() { return errno != 0 ? std::strerror(errno) : std::string(); }

void clear_system_error() { errno = 0; }

namespace {

file_version version_of_info(const struct stat &info) {
  file_version version;
  version.known = true;
  version.identity = std::to_string(static_cast<unsigned long long>(info.st_dev)) + ":" +
                     std::to_string(static_cast<unsigned long long>(info.st_ino));
  version.size = static_cast<int64_t>(info.st_size);
  version.modified = static_cast<int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
  return version;
}

}  // namespace

file_version version_of_open(krfile file) {
  struct stat info;
  return ::fstat(file, &info) == 0 ? version_of_info(info) : file_version();
}

bool still_as_read(const krval &path, const file_version &version) {
  if (!version.known) return true;
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) return false;
  const file_version now = version_of_info(info);
  return now.identity == version.identity && now.size == version.size && now.modified == version.modified;
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
