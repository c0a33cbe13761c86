// page_files/ is the file side of a run, above the engine (toc/, which works
// on bytes alone): it reads pages, replaces them safely and keeps stale
// temporaries and batches of destinations in hand.
//
// The temporary files this process has created and not yet moved into place
// or removed, so that a run stopped by Ctrl-C or a signal can remove them
// before it ends. This is the file layer's one piece of process-wide state:
// the engine never reads it, and it holds names only while their files
// exist. A complete copy of a page being written into (see replace_with) is
// not listed: a stopped run must leave it for the next.
#pragma once
#include <mutex>
#include <string>

// Held while a temporary is created and listed, so that a stop cannot fall
// between the two.
std::unique_lock<std::mutex> hold_temporary_registry();
void list_temporary(const std::string &name);   // under the hold
void forget_temporary(const std::string &name);

// Removes every listed temporary and keeps the registry held for good, so
// that no thread of the stopping process creates another.
void remove_listed_temporaries_for_good();
