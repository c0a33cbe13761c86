// quenby-toc as a function over its arguments and three streams, so that the
// program and its tests run the very same code.
#pragma once
#include <cstdio>
#include <string>
#include <vector>
#include "toc/destination_batch.h"

struct cli_io {
  std::FILE *in = stdin;
  std::FILE *out = stdout;
  std::FILE *err = stderr;
  bool err_is_terminal = false;            // progress is shown only on a terminal
  const char *source_date_epoch = nullptr; // the variable's value, or none
  // Tests only: makes a page's flush or move fail where several are
  // written at once.
  destination_batch::step_check batch_step_allowed = nullptr;
};

enum cli_exit : int {
  CLI_DONE = 0,
  CLI_FAILED = 1,   // a FILE failed, or would change under --check
  CLI_USAGE = 2,
};

// args without the program name.
int run_quenby_toc(const std::vector<std::string> &args, cli_io &io);
