// Benchmark of quenby-toc -r on a tree of generated pages (by default 5,000
// pages of 2 to 50 KB in nested folders), beside copying the same tree with
// cp -r followed by sync, the floor of writing that many files durably.
// Each run works on a fresh copy of the tree; the two take turns. Prints
// median wall times, their ratio and quenby-toc's peak memory.
//
//   tree_bench [--runs N] [--pages N] [--jobs N] [--dir DIR]
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>
#include "bench/gen_html.h"
#include "bench/sampling.h"

namespace {

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
  run_command({"sh", "-c", "du -sb '" + source + "' | cut -f1 > '" + folder + "/size'"});
  if (FILE *f = std::fopen((folder + "/size").c_str(), "r")) {
    if (std::fscanf(f, "%lld", &bytes) != 1) bytes = 0;
    std::fclose(f);
  }

  std::vector<std::string> ours = {quenby, "-q", "-r", "--stamp", "1700000000"};
  if (!jobs.empty()) ours.insert(ours.end(), {"-j", jobs});
  ours.push_back(work);
  sampler mine(ours, {{"rm", "-rf", work}, {"cp", "-r", source, work}, {"sync"}});
  sampler copying({"sh", "-c", "cp -r '" + source + "' '" + copy + "' && sync"}, {{"rm", "-rf", copy}, {"sync"}});
  take_turns(mine, copying, runs);
  run_command({"rm", "-rf", folder});
  const measurement ours_measured = mine.result(), copy_measured = copying.result();
  if (ours_measured.failed || copy_measured.failed) {
    std::fprintf(stderr, "tree_bench: a run failed\n");
    return 1;
  }
  const long peak_kib = ours_measured.peak_kib;
  const double ours_seconds = ours_measured.seconds, floor = copy_measured.seconds,
               ratio = floor > 0 ? ours_seconds / floor : 0;
  std::printf("quenby-toc -r on %d pages (%.1f MB) in nested folders, median of %d runs, taking turns; "
              "%s jobs\n",
              pages, bytes / 1e6, runs, jobs.empty() ? "default" : jobs.c_str());
  std::printf("  cp -r + sync  %9.1f ms\n", floor * 1e3);
  std::printf("  quenby-toc -r %9.1f ms  %.2fx cp -r + sync (<= 2.5) %s; peak %.1f MiB (< 64) %s\n", ours_seconds * 1e3,
              ratio, ratio <= 2.5 ? "met" : "NOT met", peak_kib / 1024.0, peak_kib < 64 * 1024 ? "met" : "NOT met");
  return ratio <= 2.5 && peak_kib < 64 * 1024 ? 0 : 3;
}
