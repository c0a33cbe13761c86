// Benchmark of quenby-toc on generated pages of 64 KiB, 1 MiB and just under
// 4 MiB, beside cp of the same file (the floor: reading and writing the bytes)
// and, where installed, two other programs that make a TOC. Prints median wall
// time, MB/s, the ratio to cp and peak memory of each, and quenby-toc's time
// with valid HTML and readable names (--style html5 --names slug) beside its
// default's.
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
  double cpu_seconds = 0;   // median of user and system time
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

// One run: wall time, the child's processor time and its peak resident
// size; false when it failed.
bool run_once(const std::vector<std::string> &command, double &seconds, long &peak_kib,
              double *cpu_seconds = nullptr) {
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
  if (cpu_seconds)
    *cpu_seconds = usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
                   (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The runs of one command. Warm-up runs are not counted, as with
// hyperfine's --warmup: on this kind of virtual machine, memory that a large
// program (pandoc takes 1.5 GiB) has just given back is slow to hand out
// again for a while, and the first runs of a fast program after it can take
// a third longer.
class sampler {
public:
  explicit sampler(std::vector<std::string> command) : command_(std::move(command)) {}

  void warm_up(int runs) {
    for (int i = 0; i < runs && !failed_; ++i) {
      double seconds = 0;
      long peak = 0;
      if (!run_once(command_, seconds, peak)) failed_ = true;
    }
  }

  void run(int runs) {
    // The runs start from a disk with nothing left to write: quenby-toc
    // flushes its output, and that flush would otherwise also wait for what
    // the program before it left behind.
    sync();
    for (int i = 0; i < runs && !failed_; ++i) take_turn();
  }

  // One counted run. Two commands compared with each other take turns, so
  // that what the disk and the machine are doing weighs on both alike.
  void take_turn() {
    double seconds = 0, cpu = 0;
    long peak = 0;
    if (failed_ || !run_once(command_, seconds, peak, &cpu)) {
      failed_ = true;
      return;
    }
    times_.push_back(seconds);
    cpu_times_.push_back(cpu);
    peak_kib_ = std::max(peak_kib_, peak);
  }

  measurement result() const {
    measurement m;
    m.ran = true;
    m.failed = failed_;
    m.peak_kib = peak_kib_;
    m.runs = static_cast<int>(times_.size());
    m.seconds = median(times_);
    m.cpu_seconds = median(cpu_times_);
    return m;
  }

private:
  static double median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
  }

  std::vector<std::string> command_;
  std::vector<double> times_, cpu_times_;
  long peak_kib_ = 0;
  bool failed_ = false;
};

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
  constexpr int page_count = 3;
  std::string inputs[page_count], outputs[page_count];
  measurement floor[page_count], ours[page_count], ours_html5[page_count], pandoc[page_count],
      hypertoc[page_count];
  for (int p = 0; p < page_count; ++p) {
    inputs[p] = folder + "/page-" + std::to_string(sizes[p]) + ".html";
    outputs[p] = folder + "/out-" + std::to_string(sizes[p]) + ".html";
  }
  // The pages are made in a child process: a child started from this one
  // reports at least this one's peak memory as its own, so this one must
  // stay small.
  pid_t maker = fork();
  if (maker == 0) {
    for (int p = 0; p < page_count; ++p)
      if (!write_file(inputs[p], generate_html(sizes[p]))) {
        std::fprintf(stderr, "toc_bench: cannot write %s\n", inputs[p].c_str());
        _exit(1);
      }
    _exit(0);
  }
  int made = 0;
  if (maker < 0 || waitpid(maker, &made, 0) != maker || !WIFEXITED(made) || WEXITSTATUS(made) != 0)
    return 1;
  long long page_bytes[page_count];
  for (int p = 0; p < page_count; ++p) {
    struct stat info;
    page_bytes[p] = stat(inputs[p].c_str(), &info) == 0 ? static_cast<long long>(info.st_size) : 0;
  }
  // As hyperfine measures: each program's runs one after the other, after
  // runs not counted. The fast programs on every page first, then the slow
  // ones, whose memory (pandoc's gigabyte and a half, hypertoc's 170 MiB)
  // would otherwise weigh on the runs right after them.
  for (int p = 0; p < page_count; ++p) {
    sampler copy({"cp", inputs[p], outputs[p]});
    copy.warm_up(3);
    copy.run(runs);
    floor[p] = copy.result();
    sampler mine({quenby, "-q", "--stamp", "1700000000", "-o", outputs[p], inputs[p]});
    sampler with_options({quenby, "-q", "--stamp", "1700000000", "--style", "html5", "--names",
                          "slug", "-o", outputs[p], inputs[p]});
    mine.warm_up(3);
    with_options.warm_up(3);
    sync();
    // Each goes first every other time: the one that follows meets the
    // disk still busy with what the other wrote.
    for (int i = 0; i < runs; ++i) {
      sampler &first = i % 2 ? with_options : mine, &second = i % 2 ? mine : with_options;
      first.take_turn();
      second.take_turn();
    }
    ours[p] = mine.result();
    ours_html5[p] = with_options.result();
  }
  if (have_hypertoc) {
    for (int p = 0; p < page_count; ++p) {
      std::vector<std::string> command = {"hypertoc", "--gen_anchors", "--gen_toc", "--inline",
                                          "--quiet", "--toc_tag", "BODY"};
      for (int h = 1; h <= 6; ++h) {
        command.push_back("--toc_entry");
        command.push_back("H" + std::to_string(h) + "=" + std::to_string(h));
      }
      command.insert(command.end(), {"--outfile", outputs[p], inputs[p]});
      // A few seconds a run on the largest page, and its time varies by a
      // good part from run to run: three runs give a median to compare with.
      sampler theirs(command);
      theirs.warm_up(1);
      theirs.run(std::min(runs, 3));
      hypertoc[p] = theirs.result();
    }
  }
  if (have_pandoc) {
    for (int p = 0; p < page_count; ++p) {
      sampler theirs({"pandoc", "-f", "html", "-t", "html", "--toc", "-s", "-o", outputs[p], inputs[p]});
      theirs.run(sizes[p] > 2000000 ? 1 : std::min(runs, 3));
      pandoc[p] = theirs.result();
    }
  }

  std::printf("quenby-toc benchmark, median of %d runs after 3 not counted (hypertoc: three after 1; "
              "pandoc: at most three, one on the largest page); quenby-toc's two rows take turns\n",
              runs);
  bool targets_met = true;
  for (int p = 0; p < page_count; ++p) {
    const size_t size = sizes[p];
    std::printf("%lld bytes (page of at most %zu)\n", page_bytes[p], size);
    print_row("cp", size, floor[p], floor[p]);
    print_row("quenby-toc", size, ours[p], floor[p]);
    print_row("html5+slug", size, ours_html5[p], floor[p]);
    print_row("pandoc", size, pandoc[p], floor[p]);
    print_row("hypertoc", size, hypertoc[p], floor[p]);
    const measurement &mine = ours[p], &theirs = hypertoc[p];
    if (!ours_html5[p].failed && mine.seconds > 0) {
      const double ratio = ours_html5[p].seconds / mine.seconds;
      std::printf("  --style html5 --names slug: %.0f%% of the default's time (<= 110%%) %s; "
                  "processor time %.2f ms beside %.2f ms (%.0f%%)\n",
                  ratio * 100, ratio <= 1.10 ? "met" : "NOT met", ours_html5[p].cpu_seconds * 1e3,
                  mine.cpu_seconds * 1e3,
                  mine.cpu_seconds > 0 ? ours_html5[p].cpu_seconds / mine.cpu_seconds * 100 : 0.0);
      if (size > 2000000) targets_met = targets_met && ratio <= 1.10;
    }
    if (theirs.ran && !theirs.failed && mine.seconds > 0)
      std::printf("  quenby-toc is %.0fx faster than hypertoc\n", theirs.seconds / mine.seconds);
    if (size > 2000000 && !mine.failed) {
      double mb_per_s = size / 1e6 / mine.seconds;
      double memory_ratio = mine.peak_kib * 1024.0 / size;
      std::printf("  targets: %.0f MB/s (>= 100) %s, peak %.1fx input (<= 8) %s", mb_per_s,
                  mb_per_s >= 100 ? "met" : "NOT met", memory_ratio,
                  memory_ratio <= 8 ? "met" : "NOT met");
      targets_met = targets_met && mb_per_s >= 100 && memory_ratio <= 8;
      if (theirs.ran && !theirs.failed && mine.seconds > 0) {
        double speedup = theirs.seconds / mine.seconds;
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
