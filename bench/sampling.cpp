#include "bench/sampling.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>

extern char **environ;

bool run_command(const std::vector<std::string> &command, run_figures *figures, bool quiet) {
  std::vector<char *> argv;
  for (const std::string &a : command) argv.push_back(const_cast<char *>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  if (quiet) posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  const auto started = std::chrono::steady_clock::now();
  pid_t pid;
  const int error = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) return false;
  int status = 0;
  struct rusage usage;
  if (wait4(pid, &status, 0, &usage) != pid) return false;
  if (figures) {
    figures->seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    figures->peak_kib = usage.ru_maxrss;
    figures->cpu_seconds = usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
                           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

double median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

bool sampler::run_setup() {
  for (const std::vector<std::string> &step : setup_)
    if (!run_command(step)) return false;
  return true;
}

void sampler::warm_up(int runs) {
  for (int i = 0; i < runs && !failed_; ++i)
    if (!run_setup() || !run_command(command_)) failed_ = true;
}

void sampler::run(int runs) {
  sync();
  for (int i = 0; i < runs && !failed_; ++i) take_turn();
}

void sampler::take_turn() {
  run_figures figures;
  if (failed_ || !run_setup() || !run_command(command_, &figures)) {
    failed_ = true;
    return;
  }
  times_.push_back(figures.seconds);
  cpu_times_.push_back(figures.cpu_seconds);
  peak_kib_ = std::max(peak_kib_, figures.peak_kib);
}

measurement sampler::result() const {
  measurement m;
  m.ran = true;
  m.failed = failed_;
  m.peak_kib = peak_kib_;
  m.runs = static_cast<int>(times_.size());
  m.seconds = median(times_);
  m.cpu_seconds = median(cpu_times_);
  m.least_cpu_seconds = cpu_times_.empty() ? 0 : *std::min_element(cpu_times_.begin(), cpu_times_.end());
  return m;
}

void take_turns(sampler &one, sampler &other, int runs) {
  sync();
  for (int i = 0; i < runs; ++i) {
    sampler &first = i % 2 ? other : one, &second = i % 2 ? one : other;
    first.take_turn();
    second.take_turn();
  }
}

std::string own_folder() {
  char buffer[4096];
  const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  const std::string path(buffer, n > 0 ? static_cast<size_t>(n) : 0);
  return path.substr(0, path.rfind('/') + 1);
}

bool on_path(const std::string &program) {
  const char *path = std::getenv("PATH");
  if (!path) return false;
  const std::string all(path);
  size_t from = 0;
  while (from <= all.size()) {
    size_t to = all.find(':', from);
    if (to == std::string::npos) to = all.size();
    const std::string candidate = all.substr(from, to - from) + "/" + program;
    if (access(candidate.c_str(), X_OK) == 0) return true;
    from = to + 1;
  }
  return false;
}

bool write_file(const std::string &path, const std::string &bytes) {
  FILE *f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

long long file_bytes(const std::string &path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 ? static_cast<long long>(info.st_size) : -1;
}
