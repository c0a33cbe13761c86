// Runs the work of many files on several threads at once, while what each
// file prints comes out whole and in the order of the files, however many
// threads there are. Work is taken in windows of a bounded number of files;
// a window's files that wait for a common last step (making their new text
// durable together) are finished by that step before they are printed.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

struct file_outcome {
  enum kind_t { changed, unchanged, failed } kind = changed;
  std::string errors;      // whole lines for standard error
  std::string output;      // bytes for standard output
  int64_t bytes = 0;       // of the page, for the progress display
  bool pending = false;    // waits for the window's last step
};

struct parallel_run {
  std::size_t files = 0;
  int threads = 1;
  std::size_t window = 1024;
  // The work of one file; called on any thread, for each index once.
  std::function<void(std::size_t index, file_outcome &outcome)> work;
  // After every file of a window [first, end) is done: finishes the pending
  // ones. Called on the calling thread, with no work running.
  std::function<void(std::size_t first, std::size_t end, file_outcome *outcomes)> finish_window;
  // Prints one file's outcome; on the calling thread, in the files' order.
  std::function<void(std::size_t index, const file_outcome &outcome)> print;
  // Called on the calling thread now and then while work runs: files and
  // bytes done so far.
  std::function<void(std::size_t done, int64_t bytes)> progress;
};

void run_in_parallel(const parallel_run &run);
