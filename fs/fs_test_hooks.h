// Seams through which tests make the file layer meet a failing disk or a drive
// of a chosen size. Every read of read_chunk, every write of write_text and
// write_pieces and every free-space query of disk_free_space goes through
// fs_hooks; by default they are the system's own calls. Program code never
// includes this header.
//
//   fs_hooks_scope restore;              // puts the real calls back at scope end
//   fs_fail_writes_after(100);           // a disk that fills after 100 bytes
//   fs_simulate_free_space(8, 512, 2000000);   // 8192000000 bytes free
#pragma once
#include <cstdint>
#include "fs/fs.h"

// What the system's free-space query reports; disk_free_space multiplies it out.
struct fs_disk_geometry {
  uint32_t sectors_per_cluster = 0;
  uint32_t bytes_per_sector = 0;
  uint32_t free_clusters = 0;
};

struct fs_test_hooks {
  // Reads up to count bytes into buffer: true with *got set (0 at end of file),
  // or false with *system_error set (a GetLastError code on Windows, an errno
  // value on POSIX; read_chunk maps it through read_error_result).
  bool (*read)(krfile file, char *buffer, int32_t count, int32_t *got, int32_t *system_error);
  // Writes count bytes: true when all of them reached the file; *written tells
  // how many did.
  bool (*write)(krfile file, const char *data, int32_t count, int32_t *written);
  // Writes the pieces in order: true when all of them reached the file.
  bool (*write_pieces)(krfile file, const krfile_piece *pieces, int32_t count);
  // The free-space query for a drive root; false when it fails.
  bool (*free_space)(const char *root, fs_disk_geometry *geometry);
};

extern fs_test_hooks fs_hooks;          // the calls in use
fs_test_hooks fs_system_hooks();        // the system's own calls
void fs_restore_hooks();                // fs_hooks = fs_system_hooks()

// Ready-made failures. Counting starts when the hook is installed.
// Writes pass through until `bytes` bytes in all have reached the file (the
// write that crosses the limit stores the part that fits); every write after
// that fails, as on a full disk.
void fs_fail_writes_after(int64_t bytes);
// Reads pass through until `bytes` bytes in all have been delivered; the next
// read fails with the system's generic I/O error (read_chunk gives
// krfile_read_failed). A read that would cross the limit is cut at it.
void fs_fail_reads_after(int64_t bytes);
// Every free-space query succeeds with this geometry.
void fs_simulate_free_space(uint32_t sectors_per_cluster, uint32_t bytes_per_sector,
                            uint32_t free_clusters);
// Every free-space query fails.
void fs_simulate_missing_drive();

class fs_hooks_scope {
public:
  fs_hooks_scope() = default;
  fs_hooks_scope(const fs_hooks_scope &) = delete;
  fs_hooks_scope &operator=(const fs_hooks_scope &) = delete;
  ~fs_hooks_scope() { fs_restore_hooks(); }
};
