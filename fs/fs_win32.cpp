// The file layer on Win32: HANDLEs in the 32-bit handle, ANSI calls
// throughout, '/' turned into '\' in every path.
#include <windows.h>
#include <string>
#include <vector>
#include "fs/fs.h"
#include "fs/fs_backend.h"
#include "fs/fs_test_hooks.h"

// A 64-bit program carries its file handles in the 32-bit handle too:
// Windows keeps kernel handle values within 32 bits, so that 32-bit and 64-bit
// processes can share them, and sign extension gives the HANDLE back
// (INVALID_HANDLE_VALUE included).
static_assert(sizeof(HANDLE) >= sizeof(krfile), "a HANDLE must hold the 32-bit file handle");

const char fs_separator = '\\';

const char *prepare_path(krval &path) {
  path.text_bytes();
  path.text.replace_byte('/', '\\');
  return path.c_str();
}

int32_t fs_generic_io_error() { return ERROR_READ_FAULT; }

namespace {

HANDLE as_handle(krfile file) { return reinterpret_cast<HANDLE>(static_cast<intptr_t>(file)); }
krfile as_krfile(HANDLE handle) {
  return static_cast<krfile>(reinterpret_cast<intptr_t>(handle));
}

bool system_read(krfile file, char *buffer, int32_t count, int32_t *got, int32_t *system_error) {
  DWORD read = 0;
  if (!ReadFile(as_handle(file), buffer, static_cast<DWORD>(count), &read, nullptr)) {
    *got = 0;
    *system_error = static_cast<int32_t>(GetLastError());
    return false;
  }
  *got = static_cast<int32_t>(read);
  return true;
}

bool system_write(krfile file, const char *data, int32_t count, int32_t *written) {
  DWORD done = 0;
  BOOL ok = WriteFile(as_handle(file), data, static_cast<DWORD>(count), &done, nullptr);
  *written = static_cast<int32_t>(done);
  return ok && done == static_cast<DWORD>(count);
}

// Windows gathers writes only of whole pages to unbuffered files: small
// pieces are joined in a buffer, large ones written as they stand.
bool system_write_pieces(krfile file, const krfile_piece *pieces, int32_t count) {
  constexpr int32_t buffer_size = 65536;
  std::string buffer;
  auto drain = [&] {
    int32_t written = 0;
    bool ok = buffer.empty() || system_write(file, buffer.data(), static_cast<int32_t>(buffer.size()), &written);
    buffer.clear();
    return ok;
  };
  for (int32_t i = 0; i < count; ++i) {
    const krfile_piece &p = pieces[i];
    if (p.count <= 0) continue;
    if (p.count >= buffer_size / 4) {
      int32_t written = 0;
      if (!drain() || !system_write(file, p.bytes, p.count, &written)) return false;
      continue;
    }
    if (buffer.size() + static_cast<size_t>(p.count) > buffer_size && !drain()) return false;
    buffer.append(p.bytes, static_cast<size_t>(p.count));
  }
  return drain();
}

bool system_free_space(const char *root, fs_disk_geometry *geometry) {
  DWORD sectors_per_cluster = 0, bytes_per_sector = 0, free_clusters = 0, total_clusters = 0;
  if (!GetDiskFreeSpaceA(root, &sectors_per_cluster, &bytes_per_sector, &free_clusters,
                         &total_clusters))
    return false;
  geometry->sectors_per_cluster = sectors_per_cluster;
  geometry->bytes_per_sector = bytes_per_sector;
  geometry->free_clusters = free_clusters;
  return true;
}

int64_t file_time_value(const FILETIME &time) {
  return static_cast<int64_t>((static_cast<uint64_t>(time.dwHighDateTime) << 32) |
                              time.dwLowDateTime);
}

void take_find_data(const WIN32_FIND_DATAA &data, fs_found_item &item) {
  item.is_directory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  item.size_high = data.nFileSizeHigh;
  item.size_low = data.nFileSizeLow;
  item.modification_time =
      static_cast<int32_t>(file_time_to_unix(file_time_value(data.ftLastWriteTime)));
  item.attributes = data.dwFileAttributes;
}

// "C:" or "C:\": a drive root, which the find calls do not report.
bool is_drive_root(const char *path) {
  return path[0] && path[1] == ':' && (path[2] == 0 || (path[2] == '\\' && path[3] == 0));
}

}  // namespace

fs_test_hooks fs_hooks = {system_read, system_write, system_write_pieces, system_free_space};

fs_test_hooks fs_system_hooks() { return {system_read, system_write, system_write_pieces, system_free_space}; }

int32_t read_error_result(int32_t system_error) {
  switch (system_error) {
    case ERROR_NOT_ENOUGH_MEMORY: return krfile_read_no_memory;
    case ERROR_HANDLE_EOF: return krfile_read_end_of_file;
    case ERROR_BROKEN_PIPE: return krfile_read_broken_pipe;
    case ERROR_INSUFFICIENT_BUFFER: return krfile_read_insufficient_buffer;
    case ERROR_MORE_DATA: return krfile_read_more_data;
    case ERROR_OPERATION_ABORTED: return krfile_read_aborted;
    case ERROR_IO_PENDING: return krfile_read_io_pending;
    case ERROR_INVALID_USER_BUFFER: return krfile_read_invalid_user_buffer;
    default: return krfile_read_failed;
  }
}

krfile open_file(krval &name, krval &mode) {
  const char *path = prepare_path(name);
  mode.lower_case();
  const char *m = mode.c_str();
  bool plus = mode.text_length() > 1 && m[1] == '+';
  DWORD access = 0;
  DWORD sharing = FILE_SHARE_READ;
  DWORD creation = OPEN_EXISTING;
  DWORD flags = FILE_ATTRIBUTE_NORMAL;
  switch (m[0]) {
    case 'r':
      access = GENERIC_READ | (plus ? GENERIC_WRITE : 0);
      sharing = FILE_SHARE_READ | (plus ? FILE_SHARE_WRITE : 0);
      break;
    case 'w':
    case 'a':
      access = GENERIC_WRITE | (plus ? GENERIC_READ : 0);
      sharing = FILE_SHARE_WRITE | (plus ? FILE_SHARE_READ : 0);
      creation = m[0] == 'w' ? CREATE_ALWAYS : OPEN_ALWAYS;
      break;
    case 0:
      flags |= FILE_FLAG_BACKUP_SEMANTICS;  // lets a query handle name a folder
      break;
    default:
      break;
  }
  HANDLE handle = CreateFileA(path, access, sharing, nullptr, creation, flags, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return krfile_invalid;
  if (m[0] == 'a') {
    LONG high = 0;
    SetLastError(NO_ERROR);
    if (SetFilePointer(handle, 0, &high, FILE_END) == INVALID_SET_FILE_POINTER &&
        GetLastError() != NO_ERROR) {
      CloseHandle(handle);
      return krfile_invalid;
    }
  }
  return as_krfile(handle);
}

bool close_file(krfile file) {
  if (file == krfile_invalid) return true;
  return CloseHandle(as_handle(file)) != 0;
}

int64_t seek_file(krfile file, int32_t distance, int32_t origin) {
  if (file == krfile_invalid || origin < 0 || origin > 2) return -1;
  static const DWORD method[] = {FILE_BEGIN, FILE_CURRENT, FILE_END};
  LONG high = distance < 0 ? -1 : 0;  // the 64-bit distance, sign-extended
  SetLastError(NO_ERROR);
  DWORD low = SetFilePointer(as_handle(file), distance, &high, method[origin]);
  if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) return -1;
  return (static_cast<int64_t>(high) << 32) | low;
}

krval file_size(krfile file) {
  if (file == krfile_invalid) return krval(-1);
  DWORD high = 0;
  SetLastError(NO_ERROR);
  DWORD low = GetFileSize(as_handle(file), &high);
  if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return krval(-1);
  return size_from_parts(high, low, file_size_largest_integer);
}

bool delete_file(krval &name) { return DeleteFileA(prepare_path(name)) != 0; }

bool copy_file(krval &source, krval &destination, uint8_t overwrite) {
  const char *from = prepare_path(source);
  return CopyFileA(from, prepare_path(destination), overwrite ? FALSE : TRUE) != 0;
}

bool move_file(krval &source, krval &destination) {
  const char *from = prepare_path(source);
  return MoveFileA(from, prepare_path(destination)) != 0;
}

bool create_directory(krval &name) { return CreateDirectoryA(prepare_path(name), nullptr) != 0; }

bool set_current_directory(krval &name) { return SetCurrentDirectoryA(prepare_path(name)) != 0; }

int32_t get_current_directory(krval &out) {
  DWORD needed = GetCurrentDirectoryA(0, nullptr);
  // The directory may change between the two calls; a second round settles it.
  for (int round = 0; needed > 0 && round < 2; ++round) {
    std::vector<char> buffer(needed);
    DWORD length = GetCurrentDirectoryA(needed, buffer.data());
    if (length == 0) return 0;
    if (length < needed) {
      out.assign_bytes(buffer.data(), static_cast<int32_t>(length));
      return static_cast<int32_t>(length);
    }
    needed = length;
  }
  return 0;
}

bool enumerate_current_directory(const char *pattern, fs_item_visitor visit, void *context) {
  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA(pattern, &data);
  if (search == INVALID_HANDLE_VALUE) return false;
  do {
    fs_found_item item;
    item.name = data.cFileName;
    take_find_data(data, item);
    visit(item, context);
  } while (FindNextFileA(search, &data));
  FindClose(search);
  return true;
}

bool find_path(const char *path, fs_found_item &item) {
  // A wildcard would find some other file; no file has one in its name.
  for (const char *c = path; *c; ++c)
    if (*c == '*' || *c == '?') return false;
  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA(path, &data);
  if (search != INVALID_HANDLE_VALUE) {
    FindClose(search);
    take_find_data(data, item);
    return true;
  }
  if (!is_drive_root(path)) return false;
  char root[4] = {path[0], ':', '\\', 0};
  DWORD attributes = GetFileAttributesA(root);
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  item.is_directory = true;
  item.attributes = attributes;
  return true;
}

int64_t unix_time_now() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return file_time_to_unix(file_time_value(now));
}

int32_t format_number(krval &out, const krval &number_text) {
  const char *text = number_text.c_str();
  // Checked here too, so that both systems refuse the same texts.
  if (!is_number_text(text, number_text.text_length())) return 0;
  // Not every system answers the size query of a null buffer, so the first
  // try uses a buffer that fits any grouping of the text, grown if refused.
  std::vector<char> buffer(static_cast<size_t>(number_text.text_length()) * 3 + 64);
  for (int round = 0; round < 4; ++round) {
    int written = GetNumberFormatA(LOCALE_USER_DEFAULT, 0, text, nullptr, buffer.data(),
                                   static_cast<int>(buffer.size()));
    if (written > 0) {
      out.assign_bytes(buffer.data(), written - 1);
      return written;
    }
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return 0;
    buffer.resize(buffer.size() * 4);
  }
  return 0;
}
