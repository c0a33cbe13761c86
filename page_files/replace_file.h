// page_files/ is the file side of a run, above the engine (toc/, which works
// on bytes alone): it reads pages, replaces them safely and keeps stale
// temporaries and batches of destinations in hand.
//
// Replacing a file by a new text, safely: the text goes to a temporary file
// beside the destination, which the batch of destinations or this call
// flushes and moves over it only once it is whole (destination_file.h says
// how). What every run that writes a page goes through: the file job, and a
// text made in memory.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include "page_files/destination_file.h"
#include "toc/html_sink.h"
#include "value/krval.h"

class destination_batch;

// The last two steps of writing a destination, which a test may make fail
// as a failing device would (failing writes come from the file layer's seams).
enum class destination_step { flush, move };
using destination_step_check = bool (*)(destination_step step);

// How a new text reaches its destination.
struct replacement_rules {
  // Where set, the complete new text is left in a closed temporary file that
  // the batch makes durable together with others and then moves (see
  // destination_batch), under batch_key; success then says only that the
  // text is written.
  destination_batch *batch = nullptr;
  std::size_t batch_key = 0;
  // Where above 0, a new text of this many bytes or more is refused: no run
  // that reads pages below that size could read it again. The window's runs
  // have none: their pages may grow past its limit.
  int32_t readable_below = 0;
  // Where known, a destination that is no longer this (someone changed it
  // since it was read) is left as it is.
  file_version read_as;
  // Tests only: asked before each step; false makes it fail.
  destination_step_check step_allowed = nullptr;
};

// A failed replacement: the message the window shows, ending in "\r\n", and
// the system's reason where it gave one ("No space left on device").
struct replacement_failure {
  krval message;
  std::string reason;
};

// Writes the text that write_text gives its sink into a temporary beside
// destination_name and puts it in place: 0, or 1 with failure set, the
// destination as it was. Once the text is written and before the wait for
// the disk, text_written is called (to free what the text was made of
// meanwhile), unless a batch takes the temporary.
int32_t replace_file_through(const krval &destination_name, const std::function<void(html_sink &)> &write_text,
                             const replacement_rules &rules, replacement_failure &failure,
                             const std::function<void()> &text_written = {});

// The same for bytes in memory.
int32_t replace_file_with(const std::string &bytes, const krval &destination_name,
                          const replacement_rules &rules, replacement_failure &failure);
