// Benchmark of quenby-toc on generated pages of 64 KiB, 1 MiB and just under
// 4 MiB, beside cp of the same file (the floor: reading and writing the bytes)
// and, where installed, two other programs that make a TOC. Prints median wall
// time, MB/s, the ratio to cp and peak memory of each.
//
//   toc_bench [--runs N] [--keep DIR]
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

struct measurement {
  bool ran = false;
  bool failed = false;
  double seconds = 0;       // median
  long peak_kib = 0;        // largest of the runs
  int runs = 0;
};

std::string own_folder() {
  char buffer[4096];
  ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  std::string path(buffer, n > 0 ? static_cast<size_t>(n) : 0);
  return path.substr(0, path.rfind('/') + 1);
}

bool on_path(const std::string &program) {
  const char *path = std::getenv("PATH");
  if (!path) return false;
  std::string all(path);
  size_t from = 0;
  while (from <= all.size()) {
    size_t to = all.find(':', from);
    if (to == std::string::npos) to = all.size();
    std::string candidate = all.substr(from, to - from) + "/" + program;
    if (access(candidate.c_str(), X_OK) == 0) return true;
    from = to + 1;
  }
  return false;
}

// One run: wall time and the child's peak resident size; false when it failed.
bool run_once(const std::vector<std::string> &command, double &seconds, long &peak_kib) {
  std::vector<char *> argv;
  for (const std::string &a : command) argv.push_back(const_cast<char *>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  auto started = std::chrono::steady_clock::now();
  pid_t pid;
  int error = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) return false;
  int status = 0;
  struct rusage usage;
  if (wait4(pid, &status, 0, &usage) != pid) return false;
  seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  peak_kib = usage.ru_maxrss;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

measurement measure(const std::vector<std::string> &command, int runs) {
  // Each program starts from a disk with nothing left to write: quenby-toc
  // flushes its output, and that flush would otherwise also wait for what
  // the program before it left behind.
  sync();
  measurement m;
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    double seconds = 0;
    long peak = 0;
    if (!run_once(command, seconds, peak)) {
      m.failed = true;
      break;
    }
    times.push_back(seconds);
    m.peak_kib = std::max(m.peak_kib, peak);
  }
  m.ran = true;
  m.runs = static_cast<int>(times.size());
  if (!times.empty()) {
    std::sort(times.begin(), times.end());
    m.seconds = times[times.size() / 2];
  }
  return m;
}

bool write_file(const std::string &path, const std::string &bytes) {
  FILE *f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

void print_row(const char *tool, size_t size, const measurement &m, const measurement &floor) {
  if (!m.ran) {
    std::printf("  %-11s  not installed\n", tool);
    return;
  }
  if (m.failed || m.runs == 0) {
    std::printf("  %-11s  failed\n", tool);
    return;
  }
  double mb_per_s = size / 1e6 / m.seconds;
  double ratio = floor.seconds > 0 ? m.seconds / floor.seconds : 0;
  std::printf("  %-11s %10.2f ms %9.1f MB/s %9.1fx cp %8.1f MiB peak (%.1fx input) [%d run%s]\n",
              tool, m.seconds * 1e3, mb_per_s, ratio, m.peak_kib / 1024.0,
              m.peak_kib * 1024.0 / size, m.runs, m.runs == 1 ? "" : "s");
}

}  // namespace

int main(int argc, char **argv) {
  int runs = 7;
  std::string keep;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--runs") && i + 1 < argc) runs = std::max(1, std::atoi(argv[++i]));
    else if (!std::strcmp(argv[i], "--keep") && i + 1 < argc) keep = argv[++i];
    else {
      std::fprintf(stderr, "usage: toc_bench [--runs N] [--keep DIR]\n");
      return 2;
    }
  }
  const std::string quenby = own_folder() + "quenby-toc";
  if (access(quenby.c_str(), X_OK) != 0) {
    std::fprintf(stderr, "toc_bench: %s is missing; build the quenby-toc target\n", quenby.c_str());
    return 1;
  }
  std::string folder = keep;
  if (folder.empty()) {
    char pattern[] = "/tmp/quenby-bench-XXXXXX";
    if (!mkdtemp(pattern)) return 1;
    folder = pattern;
  } else {
    mkdir(folder.c_str(), 0755);
  }
  const bool have_pandoc = on_path("pandoc");
  const bool have_hypertoc = on_path("hypertoc");

  const size_t sizes[] = {64 * 1024, 1024 * 1024, 4 * 1024 * 1024 - 1};
  std::printf("quenby-toc benchmark, median of %d runs (at most three for pandoc and hypertoc, one for pandoc on the largest)\n", runs);
  bool targets_met = true;
  for (size_t size : sizes) {
    const std::string input = folder + "/page-" + std::to_string(size) + ".html";
    const std::string output = folder + "/out-" + std::to_string(size) + ".html";
    if (!write_file(input, generate_html(size))) {
      std::fprintf(stderr, "toc_bench: cannot write %s\n", input.c_str());
      return 1;
    }
    std::printf("%zu bytes (page of at most %zu)\n", generate_html(size).size(), size);
    measurement floor = measure({"cp", input, output}, runs);
    measurement ours = measure({quenby, "-q", "--stamp", "1700000000", "-o", output, input}, runs);
    measurement pandoc, hypertoc;
    if (have_pandoc)
      pandoc = measure({"pandoc", "-f", "html", "-t", "html", "--toc", "-s", "-o", output, input},
                       size > 2000000 ? 1 : std::min(runs, 3));
    if (have_hypertoc) {
      std::vector<std::string> command = {"hypertoc", "--gen_anchors", "--gen_toc", "--inline",
                                          "--quiet", "--toc_tag", "BODY"};
      for (int h = 1; h <= 6; ++h) {
        command.push_back("--toc_entry");
        command.push_back("H" + std::to_string(h) + "=" + std::to_string(h));
      }
      command.insert(command.end(), {"--outfile", output, input});
      // A few seconds a run on the largest page, and its time varies by a
      // good part from run to run: three runs give a median to compare with.
      hypertoc = measure(command, std::min(runs, 3));
    }
    print_row("cp", size, floor, floor);
    print_row("quenby-toc", size, ours, floor);
    print_row("pandoc", size, pandoc, floor);
    print_row("hypertoc", size, hypertoc, floor);
    if (hypertoc.ran && !hypertoc.failed && ours.seconds > 0)
      std::printf("  quenby-toc is %.0fx faster than hypertoc\n", hypertoc.seconds / ours.seconds);
    if (size > 2000000 && !ours.failed) {
      double mb_per_s = size / 1e6 / ours.seconds;
      double memory_ratio = ours.peak_kib * 1024.0 / size;
      std::printf("  targets: %.0f MB/s (>= 100) %s, peak %.1fx input (<= 8) %s", mb_per_s,
                  mb_per_s >= 100 ? "met" : "NOT met", memory_ratio,
                  memory_ratio <= 8 ? "met" : "NOT met");
      targets_met = targets_met && mb_per_s >= 100 && memory_ratio <= 8;
      if (hypertoc.ran && !hypertoc.failed && ours.seconds > 0) {
        double speedup = hypertoc.seconds / ours.seconds;
        std::printf(", %.0fx hypertoc's speed (>= 100) %s", speedup, speedup >= 100 ? "met" : "NOT met");
        targets_met = targets_met && speedup >= 100;
      }
      std::printf("\n");
    }
  }
  if (keep.empty()) {
    for (size_t size : sizes) {
      std::remove((folder + "/page-" + std::to_string(size) + ".html").c_str());
      std::remove((folder + "/out-" + std::to_string(size) + ".html").c_str());
    }
    rmdir(folder.c_str());
  }
  return targets_met ? 0 : 3;
}
