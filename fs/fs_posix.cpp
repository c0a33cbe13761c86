// The file layer on POSIX: file descriptors in the 32-bit handle, paths as
// they are, '/' as the one drive root.
#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/uio.h>
#include <unistd.h>
#include <cerrno>
#include <climits>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>
#include "fs/fs.h"
#include "fs/fs_backend.h"
#include "fs/fs_test_hooks.h"

const char fs_separator = '/';

const char *prepare_path(krval &path) {
  path.text_bytes();
  return path.c_str();
}

int32_t fs_generic_io_error() { return EIO; }

namespace {

bool system_read(krfile file, char *buffer, int32_t count, int32_t *got, int32_t *system_error) {
  for (;;) {
    ssize_t n = ::read(file, buffer, static_cast<size_t>(count));
    if (n >= 0) {
      *got = static_cast<int32_t>(n);
      return true;
    }
    if (errno != EINTR) break;
  }
  *got = 0;
  *system_error = errno;
  return false;
}

bool system_write(krfile file, const char *data, int32_t count, int32_t *written) {
  *written = 0;
  while (*written < count) {
    ssize_t n = ::write(file, data + *written, static_cast<size_t>(count - *written));
    if (n > 0)
      *written += static_cast<int32_t>(n);
    else if (!(n < 0 && errno == EINTR))
      return false;
  }
  return true;
}

// writev takes at most IOV_MAX pieces and may stop anywhere, even inside a
// piece: what it wrote is skipped and the rest goes again.
bool system_write_pieces(krfile file, const krfile_piece *pieces, int32_t count) {
  constexpr int32_t batch = IOV_MAX < 1024 ? IOV_MAX : 1024;
  struct iovec vectors[batch];
  int32_t next = 0;        // the first piece not wholly written
  size_t done_in_next = 0;  // bytes of it already written
  while (next < count) {
    int32_t used = 0;
    for (int32_t i = next; i < count && used < batch; ++i) {
      size_t skip = i == next ? done_in_next : 0;
      if (pieces[i].count <= 0 || static_cast<size_t>(pieces[i].count) <= skip) continue;
      vectors[used].iov_base = const_cast<char *>(pieces[i].bytes) + skip;
      vectors[used].iov_len = static_cast<size_t>(pieces[i].count) - skip;
      ++used;
    }
    if (used == 0) return true;
    ssize_t n = ::writev(file, vectors, used);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    size_t left = static_cast<size_t>(n);
    while (next < count) {
      size_t rest = pieces[next].count > 0 ? static_cast<size_t>(pieces[next].count) - done_in_next : 0;
      if (left < rest) {
        done_in_next += left;
        break;
      }
      left -= rest;
      ++next;
      done_in_next = 0;
    }
  }
  return true;
}

bool system_free_space(const char *root, fs_disk_geometry *geometry) {
  struct statvfs info;
  if (::statvfs(root, &info) != 0) return false;
  uint64_t block_size = info.f_frsize ? info.f_frsize : info.f_bsize;
  uint64_t blocks = info.f_bavail;  // what an unprivileged user may fill
  uint64_t blocks_per_unit = 1;
  // The geometry counts clusters in 32 bits, as Windows does; larger counts
  // are expressed with bigger clusters.
  while (blocks > UINT32_MAX) {
    blocks /= 2;
    blocks_per_unit *= 2;
  }
  geometry->sectors_per_cluster = static_cast<uint32_t>(blocks_per_unit);
  geometry->bytes_per_sector = static_cast<uint32_t>(block_size);
  geometry->free_clusters = static_cast<uint32_t>(blocks);
  return true;
}

int open_retrying(const char *path, int flags, mode_t permissions = 0666) {
  int fd;
  do fd = ::open(path, flags, permissions);
  while (fd < 0 && errno == EINTR);
  return fd;
}

bool is_directory_fd(int fd) {
  struct stat info;
  return ::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode);
}

#ifdef O_PATH
constexpr int query_only = O_PATH;
#else
constexpr int query_only = O_RDONLY;
#endif

uint32_t attributes_of(const char *name, const struct stat &info) {
  uint32_t attributes = 0;
  if (S_ISDIR(info.st_mode)) attributes |= krfile_attribute_directory;
  if (!(info.st_mode & S_IWUSR)) attributes |= krfile_attribute_readonly;
  const char *base = std::strrchr(name, '/');
  base = base ? base + 1 : name;
  bool dots = std::strcmp(base, ".") == 0 || std::strcmp(base, "..") == 0;
  if (base[0] == '.' && !dots) attributes |= krfile_attribute_hidden;
  return attributes ? attributes : krfile_attribute_normal;
}

bool look_up(const char *path, const char *name, fs_found_item &item) {
  struct stat info;
  // A dangling symbolic link is still an entry: describe the link itself.
  if (::stat(path, &info) != 0 && ::lstat(path, &info) != 0) return false;
  item.is_directory = S_ISDIR(info.st_mode);
  uint64_t size = info.st_size > 0 ? static_cast<uint64_t>(info.st_size) : 0;
  item.size_high = static_cast<uint32_t>(size >> 32);
  item.size_low = static_cast<uint32_t>(size);
  item.modification_time = static_cast<int32_t>(info.st_mtime);
  item.attributes = attributes_of(name, info);
  return true;
}

bool copy_bytes(int from, int to) {
  std::vector<char> buffer(65536);
  for (;;) {
    int32_t got = 0;
    int32_t error = 0;
    if (!system_read(from, buffer.data(), static_cast<int32_t>(buffer.size()), &got, &error))
      return false;
    if (got == 0) return true;
    int32_t written = 0;
    if (!system_write(to, buffer.data(), got, &written)) return false;
  }
}

// Copies a regular file with its permission bits and modification time.
bool copy_regular_file(const char *from, const char *to, bool overwrite) {
  int in = open_retrying(from, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (in < 0) return false;
  struct stat source;
  struct stat existing;
  bool ok = ::fstat(in, &source) == 0 && S_ISREG(source.st_mode);
  if (ok && ::stat(to, &existing) == 0) {
    // Truncating the destination would destroy a source that is the same file.
    bool same_file = existing.st_dev == source.st_dev && existing.st_ino == source.st_ino;
    ok = overwrite && !same_file && !S_ISDIR(existing.st_mode);
  }
  int out = -1;
  if (ok) {
    int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (overwrite ? O_TRUNC : O_EXCL);
    out = open_retrying(to, flags);
    ok = out >= 0;
  }
  if (ok) {
    ::fcntl(in, F_SETFL, ::fcntl(in, F_GETFL) & ~O_NONBLOCK);
    ok = copy_bytes(in, out);
  }
  if (ok) {
    ::fchmod(out, source.st_mode & 07777);
    struct timespec times[2] = {source.st_atim, source.st_mtim};
    ::futimens(out, times);
  }
  if (out >= 0 && ::close(out) != 0) ok = false;
  ::close(in);
  if (!ok && out >= 0) ::unlink(to);  // no half-copied file stays behind
  return ok;
}

}  // namespace

fs_test_hooks fs_hooks = {system_read, system_write, system_write_pieces, system_free_space};

fs_test_hooks fs_system_hooks() { return {system_read, system_write, system_write_pieces, system_free_space}; }

int32_t read_error_result(int32_t system_error) {
  switch (system_error) {
    case ENOMEM: return krfile_read_no_memory;
    case EPIPE: return krfile_read_broken_pipe;
    case ENOBUFS: return krfile_read_insufficient_buffer;
    case EMSGSIZE: return krfile_read_more_data;
    case ECANCELED: return krfile_read_aborted;
    case EAGAIN:
#if EWOULDBLOCK != EAGAIN
    case EWOULDBLOCK:
#endif
      return krfile_read_io_pending;
    case EFAULT: return krfile_read_invalid_user_buffer;
    default: return krfile_read_failed;
  }
}

krfile open_file(krval &name, krval &mode) {
  const char *path = prepare_path(name);
  mode.lower_case();
  const char *m = mode.c_str();
  bool plus = mode.text_length() > 1 && m[1] == '+';
  int flags = 0;
  bool to_end = false;
  bool query = false;
  switch (m[0]) {
    case 'r': flags = plus ? O_RDWR : O_RDONLY; break;
    case 'w': flags = (plus ? O_RDWR : O_WRONLY) | O_CREAT | O_TRUNC; break;
    case 'a': flags = (plus ? O_RDWR : O_WRONLY) | O_CREAT; to_end = true; break;
    default: flags = query_only; query = true; break;
  }
  bool folders_allowed = m[0] == 0;
  // Non-blocking while opening, so that a FIFO without a writer cannot hang us.
  int fd = open_retrying(path, flags | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return krfile_invalid;
  bool path_only = query && query_only != O_RDONLY;  // carries no status flags
  if (!path_only) ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  // As on Windows, only the empty mode opens a folder.
  if ((!folders_allowed && is_directory_fd(fd)) || (to_end && ::lseek(fd, 0, SEEK_END) < 0)) {
    ::close(fd);
    return krfile_invalid;
  }
  return fd;
}

bool close_file(krfile file) {
  if (file == krfile_invalid) return true;
  // On Linux the descriptor is gone even when close reports EINTR.
  return ::close(file) == 0 || errno == EINTR;
}

int64_t seek_file(krfile file, int32_t distance, int32_t origin) {
  if (file == krfile_invalid) return -1;
  static const int whence[] = {SEEK_SET, SEEK_CUR, SEEK_END};
  if (origin < 0 || origin > 2) return -1;
  off_t position = ::lseek(file, distance, whence[origin]);
  return position < 0 ? -1 : static_cast<int64_t>(position);
}

krval file_size(krfile file) {
  struct stat info;
  if (file == krfile_invalid || ::fstat(file, &info) != 0) return krval(-1);
  uint64_t size = info.st_size > 0 ? static_cast<uint64_t>(info.st_size) : 0;
  return size_from_parts(static_cast<uint32_t>(size >> 32), static_cast<uint32_t>(size),
                         file_size_largest_integer);
}

bool delete_file(krval &name) { return ::unlink(prepare_path(name)) == 0; }

bool copy_file(krval &source, krval &destination, uint8_t overwrite) {
  const char *from = prepare_path(source);
  return copy_regular_file(from, prepare_path(destination), overwrite != 0);
}

bool move_file(krval &source, krval &destination) {
  const char *from = prepare_path(source);
  const char *to = prepare_path(destination);
  struct stat info;
  if (::lstat(to, &info) == 0) return false;  // rename would replace it silently
  if (::rename(from, to) == 0) return true;
  if (errno != EXDEV) return false;
  // Another file system: a file moves by copy and delete.
  if (!copy_regular_file(from, to, false)) return false;
  if (::unlink(from) == 0) return true;
  ::unlink(to);
  return false;
}

bool create_directory(krval &name) { return ::mkdir(prepare_path(name), 0777) == 0; }

bool set_current_directory(krval &name) { return ::chdir(prepare_path(name)) == 0; }

int32_t get_current_directory(krval &out) {
  std::vector<char> buffer(256);
  while (!::getcwd(buffer.data(), buffer.size())) {
    if (errno != ERANGE || buffer.size() > (1u << 20)) return 0;
    buffer.resize(buffer.size() * 2);
  }
  out = buffer.data();
  return out.text_length();
}

bool enumerate_current_directory(const char *pattern, fs_item_visitor visit, void *context) {
  DIR *folder = ::opendir(".");
  if (!folder) return false;
  // Windows' "*.*" means every name, with or without a dot.
  bool every_name = std::strcmp(pattern, "*") == 0 || std::strcmp(pattern, "*.*") == 0;
  bool matched = false;
  while (struct dirent *entry = ::readdir(folder)) {
    if (!every_name && ::fnmatch(pattern, entry->d_name, 0) != 0) continue;
    fs_found_item item;
    if (!look_up(entry->d_name, entry->d_name, item)) continue;  // vanished meanwhile
    item.name = entry->d_name;
    matched = true;
    visit(item, context);
  }
  ::closedir(folder);
  return matched;
}

bool find_path(const char *path, fs_found_item &item) { return look_up(path, path, item); }

int64_t unix_time_now() { return static_cast<int64_t>(std::time(nullptr)); }

int32_t format_number(krval &out, const krval &number_text) {
  // The C locale groups nothing: a valid number comes back as it is.
  int32_t length = number_text.text_length();
  if (!is_number_text(number_text.c_str(), length)) return 0;
  out.assign_text_of(number_text);
  return length + 1;
}
