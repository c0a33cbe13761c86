// The time stamp that the new anchors of a run carry. A run takes the current
// time unless a stamp was fixed beforehand (the command line's --stamp and the
// reproducible-build time use this, and so do tests that compare bytes).
#pragma once
#include <cstdint>

int32_t take_run_stamp();
void fix_run_stamp(int32_t stamp);
void unfix_run_stamp();
