// File operations on Values: files, folders, sizes, free space, directory
// listings and time conversion. No function here shows a message; each one
// reports failure through its result and leaves no handle open behind it.
//
// Paths are Values: an operation that takes a path first turns the caller's
// Value into text in place. On Windows it then turns every '/' into '\' in that
// Value; on POSIX paths stay as they are.
//
// On POSIX the component separator is '/' and the one drive is the root "/":
// only absolute paths have a drive, and existing_path_prefix never walks above
// "/". Sharing modes have no POSIX counterpart and are not imitated there.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include "value/kre_tree.h"
#include "value/krval.h"

// The system's file handle in 32 bits (a HANDLE in the 32-bit Windows program,
// a file descriptor on POSIX). Every operation takes krfile_invalid as "no file".
typedef int32_t krfile;
constexpr krfile krfile_invalid = -1;

// The attribute bits of a listing entry: the system's own on Windows; on POSIX
// the subset that POSIX can express (directory, read-only for the owner, and
// normal for a plain writable file).
constexpr uint32_t krfile_attribute_readonly = 0x01;
constexpr uint32_t krfile_attribute_hidden = 0x02;
constexpr uint32_t krfile_attribute_directory = 0x10;
constexpr uint32_t krfile_attribute_normal = 0x80;

// One entry of a directory listing.
struct krfile_node : krnode<krfile_node> {
  krval name{""};              // as the system reports it; the whole path for stat_path
  int32_t is_directory = 0;
  krval size;                  // integer up to 2147483647 bytes, else a real; unset for folders
  int32_t modification_time = 0;  // seconds since 1970-01-01 UTC of the last write
  uint32_t attributes = 0;
  int32_t selected = 1;        // left to the listing's user; these operations keep it at 1
  krval sort_text{""};         // not filled here; ordering mode 1 compares it
};

// A directory listing whose ordering is compare_file_entries under ordering_mode:
// 0 by name, 1 by sort_text, 2 by size, 3 by time; directories always first.
class krfile_tree : public kre_tree<krfile_node> {
public:
  int32_t compare(const krfile_node *a, const krfile_node *b) const override;
  krval ordering_mode{0};
};

// --- Files -----------------------------------------------------------------

// mode: "r", "w" (create or truncate), "a" (open or create, positioned at the
// end), each with an optional '+' for reading and writing; the empty mode opens
// for queries only (folders too). The mode Value is lower-cased in place.
krfile open_file(krval &name, krval &mode);
krfile open_file(krval &name, const char *mode);
bool close_file(krfile file);  // true for krfile_invalid

// Reads up to count bytes; the Value's text then holds exactly the bytes read.
// Returns the count read (0 at end of file and for krfile_invalid) or, with an
// empty text, a negative code for the system's error. An error outside the
// list gives krfile_read_failed, so that a failing disk never looks like the
// end of the file.
constexpr int32_t krfile_read_end_of_file = -1;  // the system's "handle at end of file"
constexpr int32_t krfile_read_io_pending = -2;
constexpr int32_t krfile_read_more_data = -3;
constexpr int32_t krfile_read_insufficient_buffer = -4;
constexpr int32_t krfile_read_broken_pipe = -5;
constexpr int32_t krfile_read_invalid_user_buffer = -6;
constexpr int32_t krfile_read_no_memory = -7;
constexpr int32_t krfile_read_aborted = -8;
constexpr int32_t krfile_read_failed = -9;
int32_t read_chunk(krval &out, int32_t count, krfile file);
// The same into count bytes at into.
int32_t read_bytes(char *into, int32_t count, krfile file);
// The read_chunk result for a system error code (GetLastError / errno).
int32_t read_error_result(int32_t system_error);

// Writes the first count bytes of the Value's text form (count is capped at its
// length). Returns count, or 0 for krfile_invalid or a failed write, even when
// part of the bytes reached the file before the failure.
int32_t write_text(const krval &text, int32_t count, krfile file);
// The same for count bytes at bytes: nothing is copied or terminated first.
int32_t write_bytes(const char *bytes, int32_t count, krfile file);
// Writes the pieces one after the other, gathered into as few system calls as
// the system allows (on POSIX without copying them first). True when all of
// their bytes reached the file; on failure some of them may have.
struct krfile_piece {
  const char *bytes;
  int32_t count;
};
bool write_pieces(const krfile_piece *pieces, int32_t count, krfile file);

// origin: 0 begin, 1 current, 2 end. Returns the new position, -1 on failure.
int64_t seek_file(krfile file, int32_t distance, int32_t origin);

// Integer below 268435455 bytes, else a real; integer -1 for krfile_invalid or
// when the size cannot be taken.
krval file_size(krfile file);
krval file_size_by_name(krval &name);  // integer -1 when the file cannot be opened

// True when the whole file now stands in out's text. An empty file gives true
// and leaves out untouched; a file too large for a Value gives false.
bool read_whole_file(krval &name, krval &out);

// Reads from the file's place to its end into bytes, most bytes at the
// most (a reader that refuses more need not read on), growing them as the
// file grows. False on a read error, which is not the end of the file.
bool read_rest_of_file(krfile file, std::size_t most, std::string &bytes);
// A whole file's bytes as they stand on the disk; false (the system's error
// says why) when it cannot be opened or read.
bool read_file_bytes(const std::string &path, std::string &bytes);

// The folder that path names its file in: "." for a bare name.
std::string folder_of(const std::string &path);

bool delete_file(krval &name);
// With overwrite 0 the copy fails when the destination exists. Copying a file
// onto itself fails and leaves it intact.
bool copy_file(krval &source, krval &destination, uint8_t overwrite);
bool move_file(krval &source, krval &destination);  // fails when the destination exists

// --- Folders -----------------------------------------------------------------

bool create_directory(krval &name);  // one level only
bool set_current_directory(krval &name);
int32_t get_current_directory(krval &out);  // its length, 0 on failure

// root names a drive root ("C:\", or "/" on POSIX). out gets the free bytes as a
// real (integer 0 on failure).
bool disk_free_space(const krval &root, krval &out);

// Makes folder the current directory (and leaves it so: callers restore it) and
// appends its entries matching pattern ("*.*" and "*" match every name) to the
// tree, or as children of parent: the directories first, then the files, each
// group in the order the system returns them. skip_dots drops "." and "..".
// True when at least one entry was found; a folder that cannot be entered
// leaves the tree unchanged.
bool list_directory(krval &folder, krfile_tree &tree, krfile_node *parent, uint8_t skip_dots,
                    const krval &pattern);

// Fills out (name = the path as passed) when the path exists.
bool stat_path(krfile_node &out, krval &path);

// Cuts path back to its deepest existing folder, or to an existing file where
// the walk meets one ("C:\missing\deeper" gives "C:\"). False, with an empty
// path, when its drive does not exist.
bool existing_path_prefix(krval &path);

// Shortens a path longer than n (n of 6 or more) to exactly n characters:
// "C:\...", or "/..." for a POSIX absolute path, then the path's tail.
void shorten_path(krval &path, int32_t n);

// --- Time and numbers --------------------------------------------------------

int64_t unix_time_now();  // UTC seconds since 1970-01-01
// Windows file time (100 ns units since 1601-01-01) to UNIX seconds.
int64_t file_time_to_unix(int64_t file_time);

// Formats number_text (digits, an optional leading '-' and one '.') by the
// user's default number format; POSIX uses the C locale's, which has no
// grouping, so the number comes back as it went in. Returns the size the
// system asked for (the text's length plus its terminating zero), 0 on failure.
int32_t format_number(krval &out, const krval &number_text);

// Negative, 0 or positive; directories before files, then by the tree's mode.
int32_t compare_file_entries(const krfile_tree &tree, const krfile_node *a, const krfile_node *b);
