#include "toc/run_stamp.h"
#include "fs/fs.h"

namespace {
bool stamp_fixed = false;
int32_t fixed_stamp = 0;
}  // namespace

int32_t take_run_stamp() {
  if (stamp_fixed) return fixed_stamp;
  return static_cast<int32_t>(static_cast<uint32_t>(unix_time_now()));
}

void fix_run_stamp(int32_t stamp) {
  stamp_fixed = true;
  fixed_stamp = stamp;
}

void unfix_run_stamp() { stamp_fixed = false; }
