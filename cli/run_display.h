// What a run of many files shows on standard error besides its messages:
// on a terminal, one progress line for the whole run, kept up to date, and
// a summary at the end; elsewhere the summary's counts only.
#pragma once
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

class run_display {
public:
  // checking: --check or --diff, where pages are not written.
  run_display(std::FILE *err, bool terminal, std::size_t files, bool checking);

  // Files done and their bytes so far; shown at most ten times a second.
  void progress(std::size_t done, int64_t bytes);
  // Takes the progress line away before a message is printed.
  void clear();
  // link_findings: those of --check-links, when it was asked for.
  void summary(std::size_t changed, std::size_t unchanged, std::size_t failed,
               const std::size_t *link_findings = nullptr);

private:
  std::FILE *err_;
  bool terminal_;
  std::size_t files_;
  bool checking_;
  std::size_t shown_length_ = 0;   // of the progress line on the screen
  std::chrono::steady_clock::time_point started_, last_shown_;
};
