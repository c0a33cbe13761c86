#include "page_files/destination_file.h"

#include <windows.h>
#include <string>
#include <vector>

#include "page_files/temporary_registry.h"


namespace {

// Kernel handles fit in 32 bits at either word size.
HANDLE as_handle(krfile file) { return reinterpret_cast<HANDLE>(static_cast<intptr_t>(file)); }
krfile as_krfile(HANDLE handle) { return static_cast<krfile>(reinterpret_cast<intptr_t>(handle)); }

// What the system knows of an existing file, without opening it for
// reading or writing; false when it cannot be asked.
bool file_information(const krval &path, BY_HANDLE_FILE_INFORMATION &info) {
  // FILE_FLAG_BACKUP_SEMANTICS lets a folder be asked too.
  HANDLE file = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool known = GetFileInformationByHandle(file, &info) != 0;
  CloseHandle(file);
  return known;
}

// The number of names of an existing file; 0 when it cannot be asked.
DWORD link_count(const krval &path) {
  BY_HANDLE_FILE_INFORMATION info;
  return file_information(path, info) ? info.nNumberOfLinks : 0;
}

// Copies the whole of from into to, from its start, through the file layer
// (so that tests can make the disk fail); to ends where the copy ends.
bool copy_whole(HANDLE from, HANDLE to) {
  std::vector<char> buffer(65536);
  for (;;) {
    const int32_t got = read_bytes(buffer.data(), static_cast<int32_t>(buffer.size()), as_krfile(from));
    if (got < 0) return false;
    if (got == 0) break;
    if (write_bytes(buffer.data(), got, as_krfile(to)) != got) return false;
  }
  return SetEndOfFile(to) && FlushFileBuffers(to);
}

// The path with its folder: ReplaceFileA (under Wine at least) refuses a
// name without one ("page.html") with ERROR_DIRECTORY. As given when the
// system cannot make it whole.
std::string whole_path(const krval &path) {
  const DWORD needed = GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return path.str();
  std::vector<char> buffer(needed);
  const DWORD n = GetFullPathNameA(path.c_str(), needed, buffer.data(), nullptr);
  return n > 0 && n < needed ? std::string(buffer.data(), n) : path.str();
}

// Writes a complete copy's text into target itself, so that every name of
// the file shows it. No other writer may open the file meanwhile: another run
// writing into it waits for its turn (for a minute at most), so the file
// ends with one run's whole text. Where copy is still a plain temporary, it
// is first renamed as a complete copy (its new name in copy), once the
// file's end is set where the copy's is, which takes the room the text
// needs (a full disk refuses that step, before anything changed).
replace_outcome write_into(krval &copy, const krval &target, bool already_complete) {
  const replace_outcome refused = already_complete ? replace_outcome::copy_kept : replace_outcome::untouched;
  HANDLE to = INVALID_HANDLE_VALUE;
  for (int waited = 0; waited < 3000; ++waited) {
    to = CreateFileA(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
    if (to != INVALID_HANDLE_VALUE || GetLastError() != ERROR_SHARING_VIOLATION) break;
    Sleep(20);
  }
  if (to == INVALID_HANDLE_VALUE) return refused;
  HANDLE from = CreateFileA(copy.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  LARGE_INTEGER text_size, old_size;
  bool ready = from != INVALID_HANDLE_VALUE && GetFileSizeEx(from, &text_size) && GetFileSizeEx(to, &old_size);
  const std::string plain_name = copy.str();
  bool renamed = false;
  if (ready && !already_complete) {
    const std::string plain = ".tmp";
    const std::string complete = plain_name.substr(0, plain_name.size() - plain.size()) + complete_copy_suffix;
    ready = renamed = MoveFileExA(copy.c_str(), complete.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
    if (renamed) copy = complete.c_str();
  }
  // Only a longer text needs more room; a shorter one ends the file at the
  // end. The copy is on the disk first: a stop after this step leaves the
  // file longer, and the copy to finish it from.
  if (ready && text_size.QuadPart > old_size.QuadPart)
    ready = SetFilePointerEx(to, text_size, nullptr, FILE_BEGIN) && SetEndOfFile(to);
  LARGE_INTEGER start;
  start.QuadPart = 0;
  ready = ready && SetFilePointerEx(to, start, nullptr, FILE_BEGIN);
  if (!ready && renamed && MoveFileExA(copy.c_str(), plain_name.c_str(), MOVEFILE_WRITE_THROUGH)) {
    copy = plain_name.c_str();   // nothing changed: it is a plain temporary again
    renamed = false;
  }
  if (renamed) forget_temporary(plain_name);   // a stopped run must leave it
  if (!ready) {
    const DWORD error = GetLastError();
    if (from != INVALID_HANDLE_VALUE) CloseHandle(from);
    CloseHandle(to);
    SetLastError(error);
    return renamed ? replace_outcome::copy_kept : refused;
  }
  const bool copied = copy_whole(from, to);
  const DWORD error = GetLastError();
  CloseHandle(from);
  const bool closed = CloseHandle(to) != 0;
  if (!copied || !closed) {
    if (!copied) SetLastError(error);
    return replace_outcome::copy_kept;
  }
  DeleteFileA(copy.c_str());
  return replace_outcome::replaced;
}

}  // namespace

krval destination_target(const krval &destination) { return destination; }

bool has_several_names(const krval &path) { return link_count(path) > 1; }

std::string last_system_error() {
  const DWORD error = GetLastError();
  if (error == 0) return std::string();
  char text[512];
  DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                text, sizeof text, nullptr);
  while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r' || text[length - 1] == ' ' ||
                        text[length - 1] == '.'))
    --length;
  return std::string(text, length);
}

void clear_system_error() { SetLastError(0); }

namespace {

file_version version_of_information(const BY_HANDLE_FILE_INFORMATION &info) {
  file_version version;
  version.known = true;
  version.identity = std::to_string(info.dwVolumeSerialNumber) + ":" + std::to_string(info.nFileIndexHigh) + ":" +
                     std::to_string(info.nFileIndexLow);
  version.size = (static_cast<int64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  version.modified = (static_cast<int64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) |
                     info.ftLastWriteTime.dwLowDateTime;
  return version;
}

}  // namespace

file_version version_of_open(krfile file) {
  BY_HANDLE_FILE_INFORMATION info;
  return GetFileInformationByHandle(as_handle(file), &info) ? version_of_information(info) : file_version();
}

bool still_as_read(const krval &path, const file_version &version) {
  if (!version.known) return true;
  BY_HANDLE_FILE_INFORMATION info;
  if (!file_information(path, info)) return false;
  const file_version now = version_of_information(info);
  return now.identity == version.identity && now.size == version.size && now.modified == version.modified;
}

replace_outcome finish_copy(const krval &copy, const krval &target) {
  krval name(copy);
  return write_into(name, target, true);
}

std::string file_identity(const krval &path) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!file_information(path, info)) return std::string();
  return std::to_string(info.dwVolumeSerialNumber) + ":" + std::to_string(info.nFileIndexHigh) + ":" +
         std::to_string(info.nFileIndexLow);
}

// A source is opened sharing reading only: no writer gets in meanwhile.
void wait_for_writers(krfile) {}

bool left_by_ended_run(const krval &temporary, const krval &, unsigned long process, bool this_process_too) {
  const bool this_process = process == GetCurrentProcessId();
  if (process > 0xFFFFFFFFul || (this_process && !this_process_too)) return false;
  const DWORD attributes = GetFileAttributesA(temporary.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES ||
      (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0)
    return false;
  if (this_process) return true;
  // A process number that names no process cannot be opened; one that has
  // ended but is still held open by someone is signalled.
  HANDLE running = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(process));
  if (!running) return GetLastError() == ERROR_INVALID_PARAMETER;
  const bool ended = WaitForSingleObject(running, 0) == WAIT_OBJECT_0;
  CloseHandle(running);
  return ended;
}

krfile create_temporary_beside(const krval &target, krval &temporary_name) {
  const std::string base = target.str() + temporary_infix + std::to_string(GetCurrentProcessId()) + "-";
  // Names are taken in turn; one left behind by a run that was killed, or
  // planted by someone else, only moves us on to the next.
  for (int attempt = 0; attempt < 100000; ++attempt) {
    const std::string name = base + std::to_string(attempt) + ".tmp";
    const std::unique_lock<std::mutex> listing = hold_temporary_registry();
    HANDLE file = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      list_temporary(name);
      temporary_name = name.c_str();
      return as_krfile(file);
    }
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
  }
  return krfile_invalid;
}

// The replacement takes the old file's security and attributes (below).
bool take_attributes_of(const krval &, krfile) { return true; }

// Windows writes back on its own schedule; FlushFileBuffers waits for all.
void start_write_back(krfile) {}

bool flush_to_disk(krfile handle) {
  return FlushFileBuffers(as_handle(handle)) != 0;
}

// An existing target is replaced so that it keeps its security description
// and attributes (hidden, archive...), but never more than the old file
// allowed: a read-only destination is refused and stays as it was.
replace_outcome replace_with(krval &temporary, const krval &target) {
  const DWORD old = GetFileAttributesA(target.c_str());
  if (old == INVALID_FILE_ATTRIBUTES)
    return MoveFileExA(temporary.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH) ? replace_outcome::replaced
                                                                                 : replace_outcome::untouched;
  if (old & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) return replace_outcome::untouched;
  if (link_count(target) > 1) return write_into(temporary, target, false);
  SetFileAttributesA(temporary.c_str(), old & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                               FILE_ATTRIBUTE_ARCHIVE));
  // Another run (or program) reading the file keeps it from being replaced
  // for as long as it reads: a few seconds are waited for that.
  DWORD error = 0;
  const std::string replaced = whole_path(target), replacement = whole_path(temporary);
  for (int waited = 0; waited < 250; ++waited) {
    if (ReplaceFileA(replaced.c_str(), replacement.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                     nullptr))
      return replace_outcome::replaced;
    error = GetLastError();
    if (error != ERROR_SHARING_VIOLATION && error != ERROR_UNABLE_TO_REMOVE_REPLACED) break;
    Sleep(20);
  }
  if (error != ERROR_UNABLE_TO_MOVE_REPLACEMENT) return replace_outcome::untouched;
  // The old file is gone and the new one still stands under its own name.
  return MoveFileExA(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
             ? replace_outcome::replaced
             : replace_outcome::copy_kept;
}

// Windows has no flush of a whole volume for a program without the
// administrator's rights: each file is flushed by itself.
void flush_file_systems(const std::vector<krval> &, std::vector<char> &) {}

bool flush_closed_file(const krval &path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool flushed = FlushFileBuffers(file) != 0;
  return CloseHandle(file) != 0 && flushed;
}

// The moves are made with the file system's own journal (ReplaceFileA,
// MoveFileExA with MOVEFILE_WRITE_THROUGH); a folder cannot be flushed.
bool flush_folder(const krval &) { return true; }
