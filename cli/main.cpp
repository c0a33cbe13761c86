// quenby-toc: creates or remakes the TOC of HTML files from the command line,
// with the same job as the window, so its bytes are the window's bytes.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>
#include "cli/quenby_toc.h"
#include "cli/stop_signals.h"
#include "regex/regex_binding.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#define quenby_isatty _isatty
#define quenby_fileno _fileno
#elif defined(__EMSCRIPTEN__)
#include <emscripten/emscripten.h>
#include <unistd.h>
// Under Node the C library takes every standard stream for a terminal; Node knows.
#define quenby_isatty(fd) EM_ASM_INT({ return require('tty').isatty($0) ? 1 : 0; }, fd)
#define quenby_fileno fileno
#else
#include <unistd.h>
#define quenby_isatty isatty
#define quenby_fileno fileno
#endif

int main(int argc, char **argv) {
#ifdef _WIN32
  // HTML passes through standard input and output byte for byte.
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  remove_temporaries_when_stopped();
  std::vector<std::string> args(argv + 1, argv + argc);
  cli_io io;
  io.err_is_terminal = quenby_isatty(quenby_fileno(stderr)) != 0;
  io.source_date_epoch = std::getenv("SOURCE_DATE_EPOCH");
  int status = run_quenby_toc(args, io);
  release_regex_library();
  return status;
}
