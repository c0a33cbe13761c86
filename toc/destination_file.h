// Replacing a destination only once its new text is complete: the text goes
// to a temporary file in the destination's folder, is flushed to the disk and
// then moved over the destination in one step, so a full disk or a failing
// device never leaves the user with half a file (or, when the destination is
// the source, with none).
#pragma once
#include "fs/fs.h"
#include "value/krval.h"

// The file that is really replaced: a symbolic link stays a link, and its
// target gets the new text.
krval destination_target(const krval &destination);

// A name in target's folder that no file has yet.
krval temporary_name_beside(const krval &target);

// Asks the system to start writing what was written so far to the disk,
// without waiting: the flush at the end then has less left to wait for.
// Where the system has no such request it does nothing.
void start_write_back(krfile handle);

// Forces what was written to the handle onto the disk.
bool flush_to_disk(krfile handle);

// Moves temporary over target (replacing it), with target's permission bits.
bool replace_with(const krval &temporary, const krval &target);

// Test seam: when set, asked before each step; false makes the step fail as
// a failing device would. (Failing writes come from the file layer's seams.)
enum class destination_step { flush, move };
extern bool (*destination_step_allowed)(destination_step step);
