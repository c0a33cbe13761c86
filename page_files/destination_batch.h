// page_files/ is the file side of a run, above the engine (toc/, which works
// on bytes alone): it reads pages, replaces them safely and keeps stale
// temporaries and batches of destinations in hand.
//
// Replacing many destinations with one wait for the disk. Each page's job
// leaves its complete new text in a closed temporary file beside its
// destination; commit then makes all of them durable together (one flush
// of each file system where the system has one, else flushes from several
// threads at once), moves each over its destination, and flushes the
// folders that changed. As with one file at a time, no destination is
// replaced before its new text is on the disk, and a crash leaves every
// file either old or new.
#pragma once
#include <cstddef>
#include <mutex>
#include <string>
#include <vector>
#include "page_files/destination_file.h"
#include "page_files/replace_file.h"
#include "value/krval.h"

// Puts a closed temporary holding a destination's complete new text in its
// place (see replace_with): 0, or 1 with the file job's message and, where
// the system gave one, its reason. The temporary is gone afterwards unless
// the message names it. Where read_as is known, a target that is no longer
// that version (someone else changed it since it was read) is left as it is.
int32_t put_in_place(const krval &temporary, const krval &target, const krval &destination_name,
                     krval &message, const file_version &read_as = file_version(),
                     std::string *reason = nullptr);

class destination_batch {
public:
  enum class flushing {
    together,   // a file system at once where the system can, else each file
    each,       // each file by itself, several at once
  };
  explicit destination_batch(flushing how = flushing::together) : how_(how) {}

  // Tests only: asked before each file's flush and move; false makes that
  // step fail for that file, as a failing device would.
  using step_check = bool (*)(destination_step step, const std::string &destination);
  step_check step_allowed = nullptr;

  // A closed temporary with the complete new text of destination_name,
  // whose file is target, as it was when read where that is known; key
  // names it in commit's results. Any thread.
  void add(std::size_t key, const krval &temporary, const krval &target, const krval &destination_name,
           const file_version &read_as = file_version());

  struct result {
    std::size_t key;
    bool replaced;
    std::string message;   // the file job's, without its line end, and why, when not replaced
  };
  // Everything added since the last commit, in the order of the keys.
  // Folders whose moves could not be made durable are named in problems.
  std::vector<result> commit(std::vector<std::string> &problems);

private:
  struct entry {
    std::size_t key;
    krval temporary, target, name;
    file_version read_as;
  };
  void flush_all(const std::vector<entry> &entries, std::vector<char> &flushed) const;

  flushing how_;
  std::mutex lock_;
  std::vector<entry> entries_;
};
