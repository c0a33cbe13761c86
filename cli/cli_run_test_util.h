// One run of quenby-toc's function with scratch streams, for its tests.
#pragma once
#include <cstdio>
#include <string>
#include <vector>
#include "cli/quenby_toc.h"

namespace cli_test {

inline std::string contents(std::FILE *f) {
  std::string text;
  std::rewind(f);
  char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
  return text;
}

// One run of the command with three scratch streams.
struct cli_run {
  std::FILE *in = std::tmpfile();
  std::FILE *out = std::tmpfile();
  std::FILE *err = std::tmpfile();
  cli_io io;
  int status = -1;

  explicit cli_run(const std::string &input = "") {
    std::fwrite(input.data(), 1, input.size(), in);
    std::rewind(in);
    io.in = in;
    io.out = out;
    io.err = err;
  }
  ~cli_run() {
    std::fclose(in);
    std::fclose(out);
    std::fclose(err);
  }
  int run(const std::vector<std::string> &args) { return status = run_quenby_toc(args, io); }
  std::string output() { return contents(out); }
  std::string errors() { return contents(err); }
};

}  // namespace cli_test
