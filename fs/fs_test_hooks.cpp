// The ready-made failures of fs_test_hooks.h: each one wraps the system's own
// calls with a budget, so what does get through really reaches the file.
#include "fs/fs_test_hooks.h"
#include "fs/fs_backend.h"

namespace {

int64_t write_budget = 0;
int64_t read_budget = 0;
fs_disk_geometry simulated_geometry;

bool write_within_budget(krfile file, const char *data, int32_t count, int32_t *written) {
  *written = 0;
  if (write_budget <= 0) return false;
  int32_t allowed = count < write_budget ? count : static_cast<int32_t>(write_budget);
  bool ok = fs_system_hooks().write(file, data, allowed, written);
  write_budget -= *written;
  return ok && allowed == count;
}

bool pieces_within_budget(krfile file, const krfile_piece *pieces, int32_t count) {
  for (int32_t i = 0; i < count; ++i) {
    int32_t written = 0;
    if (pieces[i].count > 0 && !write_within_budget(file, pieces[i].bytes, pieces[i].count, &written))
      return false;
  }
  return true;
}

bool read_within_budget(krfile file, char *buffer, int32_t count, int32_t *got,
                        int32_t *system_error) {
  *got = 0;
  if (read_budget <= 0) {
    *system_error = fs_generic_io_error();
    return false;
  }
  int32_t allowed = count < read_budget ? count : static_cast<int32_t>(read_budget);
  bool ok = fs_system_hooks().read(file, buffer, allowed, got, system_error);
  if (ok) read_budget -= *got;
  return ok;
}

bool simulated_free_space(const char *, fs_disk_geometry *geometry) {
  *geometry = simulated_geometry;
  return true;
}

bool no_free_space(const char *, fs_disk_geometry *) { return false; }

}  // namespace

void fs_restore_hooks() { fs_hooks = fs_system_hooks(); }

void fs_fail_writes_after(int64_t bytes) {
  write_budget = bytes;
  fs_hooks.write = write_within_budget;
  fs_hooks.write_pieces = pieces_within_budget;
}

void fs_fail_reads_after(int64_t bytes) {
  read_budget = bytes;
  fs_hooks.read = read_within_budget;
}

void fs_simulate_free_space(uint32_t sectors_per_cluster, uint32_t bytes_per_sector,
                            uint32_t free_clusters) {
  simulated_geometry.sectors_per_cluster = sectors_per_cluster;
  simulated_geometry.bytes_per_sector = bytes_per_sector;
  simulated_geometry.free_clusters = free_clusters;
  fs_hooks.free_space = simulated_free_space;
}

void fs_simulate_missing_drive() { fs_hooks.free_space = no_free_space; }
