// A running program file cannot delete itself, nor its folder while it is in
// it. So the uninstaller leaves a copy of itself in the temporary folder that
// waits for it to end, deletes the original and its folder if that is empty,
// and is itself deleted when Windows next starts.
#pragma once
#include <string>

inline constexpr char finish_switch[] = "/finish-removal";

// Starts the copy; true when it runs. program is this program's own path.
bool schedule_self_deletion(const std::string &program);

// The copy's work: wait for the process behind the inherited handle (its
// value as decimal text) to end, then delete program (only a file named
// remove.exe) and its folder when it is empty, and that folder's parent when
// it is the maker's empty KRYN folder. Returns 0 when program is gone.
int finish_self_deletion(const std::string &process_handle, const std::string &program);

// The copy's own end: Windows deletes it when it next starts.
void delete_at_restart(const std::string &file);
