// Benchmark of quenby-toc -r on a tree of generated pages (by default 5,000
// pages of 2 to 50 KB in nested folders), beside copying the same tree with
// cp -r followed by sync, the floor of writing that many files durably.
// Each run works on a fresh copy of the tree; the two take turns. Prints
// median wall times, their ratio and quenby-toc's peak memory.
//
//   tree_bench [--runs N] [--pages N] [--jobs N] [--dir DIR]
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
#include <cstring>
#include <string>
#include <vector>
#include "bench/gen_html.h"

extern char **environ;

namespace {

std::string own_folder() {
  char buffer[4096];
  ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  std::string path(buffer, n > 0 ? static_cast<size_t>(n) : 0);
  return path.substr(0, path.rfind('/') + 1);
}

// Runs a command; its wall time and peak resident size. False when it failed.
bool run(const std::vector<std::string> &command, double *seconds = nullptr, long *peak_kib = nullptr) {
  std::vector<char *> argv;
  for (const std::string &a : command) argv.push_back(const_cast<char *>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  const auto started = std::chrono::steady_clock::now();
  pid_t pid;
  const int error = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) return false;
  int status = 0;
  struct rusage usage;
  if (wait4(pid, &status, 0, &usage) != pid) return false;
  if (seconds) *seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  if (peak_kib) *peak_kib = usage.ru_maxrss;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool write_file(const std::string &path, const std::string &bytes) {
  FILE *f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

// Pages of 2 to 50 KB, three folders deep, the same bytes on every run.
bool make_tree(const std::string &root, int pages, long long &bytes) {
  bytes = 0;
  uint32_t state = 2463534242u;
  for (int i = 0; i < pages; ++i) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    const std::string folder = root + "/part" + std::to_string(i % 10) + "/chapter" +
                               std::to_string(i / 10 % 10) + "/section" + std::to_string(i / 100 % 5);
    for (size_t at = root.size(); at != std::string::npos; at = folder.find('/', at + 1))
      mkdir(folder.substr(0, at).c_str(), 0755);
    mkdir(folder.c_str(), 0755);
    const std::string page = generate_html(2048 + state % (48 * 1024), static_cast<uint32_t>(i) + 1);
    if (!write_file(folder + "/page" + std::to_string(i) + ".html", page)) return false;
    bytes += static_cast<long long>(page.size());
  }
  return true;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

}  // namespace

int main(int argc, char **argv) {
  int runs = 5, pages = 5000;
  std::string jobs, dir;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--runs") && i + 1 < argc) runs = std::max(1, std::atoi(argv[++i]));
    else if (!std::strcmp(argv[i], "--pages") && i + 1 < argc) pages = std::max(1, std::atoi(argv[++i]));
    else if (!std::strcmp(argv[i], "--jobs") && i + 1 < argc) jobs = argv[++i];
    else if (!std::strcmp(argv[i], "--dir") && i + 1 < argc) dir = argv[++i];
    else {
      std::fprintf(stderr, "usage: tree_bench [--runs N] [--pages N] [--jobs N] [--dir DIR]\n");
      return 2;
    }
  }
  const std::string quenby = own_folder() + "quenby-toc";
  if (access(quenby.c_str(), X_OK) != 0) {
    std::fprintf(stderr, "tree_bench: %s is missing; build the quenby-toc target\n", quenby.c_str());
    return 1;
  }
  // On the disk, not in memory: the flushes are what is measured.
  std::string folder = dir;
  if (folder.empty()) {
    char pattern[] = "/var/tmp/quenby-tree-XXXXXX";
    if (!mkdtemp(pattern)) return 1;
    folder = pattern;
  } else if (mkdir(folder.c_str(), 0755) != 0) {
    std::fprintf(stderr, "tree_bench: %s must be a new folder\n", folder.c_str());
    return 1;
  }
  const std::string source = folder + "/source", work = folder + "/work", copy = folder + "/copy";
  // Made in a child: a child started from this one reports at least this
  // one's peak memory as its own, so this one stays small.
  long long bytes = 0;
  pid_t maker = fork();
  if (maker == 0) _exit(make_tree(source, pages, bytes) ? 0 : 1);
  int made = 0;
  if (maker < 0 || waitpid(maker, &made, 0) != maker || !WIFEXITED(made) || WEXITSTATUS(made) != 0) {
    std::fprintf(stderr, "tree_bench: cannot make the tree in %s\n", source.c_str());
    return 1;
  }
  run({"sh", "-c", "du -sb '" + source + "' | cut -f1 > '" + folder + "/size'"});
  if (FILE *f = std::fopen((folder + "/size").c_str(), "r")) {
    if (std::fscanf(f, "%lld", &bytes) != 1) bytes = 0;
    std::fclose(f);
  }

  std::vector<std::string> ours = {quenby, "-q", "-r", "--stamp", "1700000000"};
  if (!jobs.empty()) ours.insert(ours.end(), {"-j", jobs});
  ours.push_back(work);
  std::vector<double> our_times, copy_times;
  long peak_kib = 0;
  bool failed = false;
  for (int i = 0; i < runs && !failed; ++i) {
    for (int turn = 0; turn < 2 && !failed; ++turn) {
      // Each goes first every other time.
      if ((turn == 0) == (i % 2 == 0)) {
        double seconds = 0;
        long peak = 0;
        failed = !run({"rm", "-rf", work}) || !run({"cp", "-r", source, work}) || !run({"sync"}) ||
                 !run(ours, &seconds, &peak);
        our_times.push_back(seconds);
        peak_kib = std::max(peak_kib, peak);
      } else {
        double seconds = 0;
        failed = !run({"rm", "-rf", copy}) || !run({"sync"}) ||
                 !run({"sh", "-c", "cp -r '" + source + "' '" + copy + "' && sync"}, &seconds);
        copy_times.push_back(seconds);
      }
    }
  }
  run({"rm", "-rf", folder});
  if (failed) {
    std::fprintf(stderr, "tree_bench: a run failed\n");
    return 1;
  }
  const double mine = median(our_times), floor = median(copy_times), ratio = floor > 0 ? mine / floor : 0;
  std::printf("quenby-toc -r on %d pages (%.1f MB) in nested folders, median of %d runs, taking turns; "
              "%s jobs\n",
              pages, bytes / 1e6, runs, jobs.empty() ? "default" : jobs.c_str());
  std::printf("  cp -r + sync  %9.1f ms\n", floor * 1e3);
  std::printf("  quenby-toc -r %9.1f ms  %.2fx cp -r + sync (<= 2.5) %s; peak %.1f MiB (< 64) %s\n", mine * 1e3,
              ratio, ratio <= 2.5 ? "met" : "NOT met", peak_kib / 1024.0, peak_kib < 64 * 1024 ? "met" : "NOT met");
  return ratio <= 2.5 && peak_kib < 64 * 1024 ? 0 : 3;
}
