// What the benchmarks share: running a program as a child and taking its
// wall time, processor time and peak memory; the median of several runs;
// two commands taking turns; and small file helpers.
#pragma once
#include <string>
#include <vector>

struct run_figures {
  double seconds = 0;       // wall time
  double cpu_seconds = 0;   // user and system time
  long peak_kib = 0;        // peak resident size
};

// Runs a command with its standard output (and, when quiet, its errors)
// going nowhere; false when it could not start or failed.
bool run_command(const std::vector<std::string> &command, run_figures *figures = nullptr,
                 bool quiet = true);

double median(std::vector<double> values);

struct measurement {
  bool ran = false;
  bool failed = false;
  double seconds = 0;       // median
  double cpu_seconds = 0;   // median of user and system time
  double least_cpu_seconds = 0;   // the least of them: the work's own cost
  long peak_kib = 0;        // largest of the runs
  int runs = 0;
};

// The runs of one command, each after its setup commands (not timed).
// Warm-up runs are not counted, as with hyperfine's --warmup: on this kind
// of virtual machine, memory that a large program has just given back is
// slow to hand out again for a while, and the first runs of a fast program
// after it can take a third longer.
class sampler {
public:
  explicit sampler(std::vector<std::string> command,
                   std::vector<std::vector<std::string>> setup = {})
      : command_(std::move(command)), setup_(std::move(setup)) {}

  void warm_up(int runs);
  // The runs start from a disk with nothing left to write: a program that
  // flushes its output would otherwise also wait for what the one before
  // it left behind.
  void run(int runs);
  // One counted run.
  void take_turn();
  measurement result() const;

private:
  bool run_setup();

  std::vector<std::string> command_;
  std::vector<std::vector<std::string>> setup_;
  std::vector<double> times_, cpu_times_;
  long peak_kib_ = 0;
  bool failed_ = false;
};

// Two commands compared with each other take turns, each going first every
// other time, so that what the disk and the machine are doing (the one that
// follows meets the disk still busy with what the other wrote) weighs on
// both alike.
void take_turns(sampler &one, sampler &other, int runs);

// The folder of the running program, with a final slash.
std::string own_folder();
bool on_path(const std::string &program);
bool write_file(const std::string &path, const std::string &bytes);
long long file_bytes(const std::string &path);   // -1 when it cannot be read
