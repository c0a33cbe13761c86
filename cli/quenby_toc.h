// quenby-toc as a function over its arguments and three streams, so that the
// program and its tests run the very same code.
#pragma once
#include <cstdio>
#include <string>
#include <vector>
#include "page_files/destination_batch.h"

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

// The exit status as diff and grep have it; a stop by signal N exits 128+N.
enum cli_exit : int {
  CLI_DONE = 0,      // nothing to report
  CLI_FOUND = 1,     // a page would change (--check, --diff), or the link check found something
  CLI_TROUBLE = 2,   // a usage error, a bad style, a page that could not be read, made or written
};

// A line of the program's own on the error stream ("quenby-toc: LINE"),
// its control characters escaped.
void say(cli_io &io, const std::string &line);

// args without the program name.
int run_quenby_toc(const std::vector<std::string> &args, cli_io &io);
