// page_files/ is the file side of a run, above the engine (toc/, which works
// on bytes alone): it reads pages, replaces them safely and keeps stale
// temporaries and batches of destinations in hand.
//
// Replacing a destination only once its new text is complete: the text goes
// to a temporary file in the destination's folder, is flushed to the disk and
// then moved over the destination in one step, so a full disk or a failing
// device never leaves the user with half a file (or, when the destination is
// the source, with none). The replaced file keeps what is not its text: its
// owner, group, permissions and other names.
#pragma once
#include <string>
#include <vector>
#include "fs/fs.h"
#include "value/krval.h"

// The file that is really replaced: a symbolic link stays a link, and its
// target gets the new text.
krval destination_target(const krval &destination);

// The file itself, the same under each of its names (another spelling of
// its path, a symbolic link to it, another hard link): its device and file
// number as text. Empty when the file cannot be looked up.
std::string file_identity(const krval &path);

// What a temporary's name carries after its target's name:
// "<target>.quenby-<process>-<n>.tmp". One that holds the complete new text
// of a file with several names, which is being written into the file itself,
// is renamed "<target>.quenby-<process>-<n>.complete.tmp" first: a run
// stopped while writing leaves it behind as the only whole copy, and the
// next run finishes the copy from it instead of removing it.
constexpr const char *temporary_infix = ".quenby-";
constexpr const char *complete_copy_suffix = ".complete.tmp";

// The system's reason for the last failure of a call of this thread, as
// text ("No space left on device"); empty where it gave none.
std::string last_system_error();
// Clears it, before a call whose failure is to be explained.
void clear_system_error();

// What a file was when it was read: which file, how long, when last
// written. Compared just before the file is replaced, so that a page that
// someone else changed meanwhile is left as it is now.
struct file_version {
  bool known = false;
  std::string identity;   // as file_identity
  int64_t size = 0;
  int64_t modified = 0;   // in the system's finest unit
};
file_version version_of_open(krfile file);
// Whether path is still that very file, of that size and time. False also
// when it cannot be looked up; true when version is not known.
bool still_as_read(const krval &path, const file_version &version);

// Whether the temporary beside target was left by a run of this program
// that has ended: the process named is not running, and the temporary is a
// plain file, not a link (on POSIX also one of this user or, for the
// administrator, of target's owner, to whom a run gives its temporaries).
// With this_process_too, one of this very process counts too: an earlier
// job of a process that goes on (the window) whose copy into a file failed.
bool left_by_ended_run(const krval &temporary, const krval &target, unsigned long process,
                       bool this_process_too = false);

// Whether path is a plain file with more than one name (hard links).
bool has_several_names(const krval &path);

// Creates a new, empty file for writing in target's folder and puts its name
// in temporary_name. It is created exclusively, under a name no file had
// (nothing planted under that name, a link included, is ever opened
// instead), and only its owner may read it until it takes target's
// attributes. krfile_invalid when no such file can be created. Until it is
// moved, kept as a complete copy, or removed, it is listed in the registry
// of temporaries (see temporary_registry.h).
krfile create_temporary_beside(const krval &target, krval &temporary_name);

// Gives the open temporary target's owner, group and permission bits, as
// far as the system allows (where this process may not give a file away, it
// keeps the group if it can). A temporary for a target that does not exist
// yet gets what a new file gets. False when the permission bits cannot be set.
bool take_attributes_of(const krval &target, krfile temporary);

// Asks the system to start writing what was written so far to the disk,
// without waiting: the flush at the end then has less left to wait for.
// Where the system has no such request it does nothing.
void start_write_back(krfile handle);

// Forces what was written to the handle onto the disk.
bool flush_to_disk(krfile handle);

// Makes closed files durable together where the system flushes a whole
// file system in one call (Linux): marks in flushed each file it did.
// Elsewhere, or where that call fails, it marks none, and each file is to
// be flushed by itself.
void flush_file_systems(const std::vector<krval> &files, std::vector<char> &flushed);

// Forces a closed file's text onto the disk.
bool flush_closed_file(const krval &path);

// Forces a folder's entries (the files just moved into it) onto the disk;
// true where the system offers no such thing.
bool flush_folder(const krval &folder);

enum class replace_outcome {
  replaced,      // target holds the new text; the temporary is gone
  untouched,     // target is as it was; the temporary is still there
  copy_kept,     // target may be damaged; the temporary holds the whole new text
};

// Puts the closed temporary's text in target's place. A target with several
// names (hard links) keeps them all: the text is written into the file
// itself, once room for all of it is reserved (a full disk then leaves the
// file untouched) and the temporary, renamed as a complete copy (its new
// name then in temporary), is on the disk to recover from. Any other target
// is replaced in one step.
replace_outcome replace_with(krval &temporary, const krval &target);

// Writes a complete copy that a stopped run left beside target into it,
// as replace_with does: replaced (the copy is gone), or copy_kept.
replace_outcome finish_copy(const krval &copy, const krval &target);

// Holds off the runs that write into this file (see replace_with) until
// the handle is closed, first waiting for one that is writing now, so that
// a source is never read half rewritten. Where the system's sharing rules
// already keep writers out while a file is read, it does nothing.
void wait_for_writers(krfile source);

