// Benchmark of quenby-toc on generated pages beside cp of the same file (the
// floor: reading and writing the bytes) and, where installed, two other
// programs that make a TOC. The pages: the generator's own of 64 KiB, 1 MiB
// and just under 4 MiB (a heading every 1.5 to 3 KB), a dense page of just
// under 4 MiB (a heading every ~700 bytes, h1 to h4, as generated reference
// pages have) and a heading flood (<h2>x</h2> repeated, 4 MB). Prints median
// wall time, MB/s of input and of output, the ratio to cp and peak memory as
// a multiple of the input and of input + output, and quenby-toc's time with
// its default (valid HTML, readable names) beside the window's page
// (-s classic). With --instructions, quenby-toc runs once more on each large
// page under callgrind, which counts the instructions it runs (the same on a
// busy machine), and their number per heading is printed too.
//
//   toc_bench [--runs N] [--keep DIR] [--instructions]
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>
#include "bench/gen_html.h"
#include "bench/sampling.h"

namespace {

enum class page_kind { own, dense, flood };

struct page {
  page(const char *label, page_kind kind, size_t size) : label(label), kind(kind), size(size) {}
  const char *label;
  page_kind kind;
  size_t size;   // at most
  std::string input, output, output_with_options;
  long long input_bytes = 0, output_bytes = 0, output_with_options_bytes = 0, headings = 0;
  measurement floor, ours, ours_with_options, pandoc, hypertoc;
  long long instructions = -1;
  bool large() const { return size > 2000000; }
};

std::string make_page(const page &p) {
  if (p.kind == page_kind::own) return generate_html(p.size);
  if (p.kind == page_kind::dense) return generate_html(p.size, 1, dense_page_shape());
  std::string flood;
  const std::string heading = "<h2>x</h2>";
  flood.reserve(p.size);
  while (flood.size() + heading.size() <= p.size) flood += heading;
  return flood;
}

// The headings of a page as a browser would count their start tags: "<h"
// and a digit from 1 to 9. Read in pieces: this process stays small (see
// main).
long long count_headings(const std::string &path) {
  FILE *f = std::fopen(path.c_str(), "rb");
  if (!f) return 0;
  long long count = 0;
  char buffer[65536 + 2];
  size_t kept = 0, n;
  while ((n = std::fread(buffer + kept, 1, sizeof buffer - 2 - kept, f)) > 0) {
    const size_t end = kept + n;
    for (size_t i = 0; i + 2 < end; ++i)
      count += buffer[i] == '<' && (buffer[i + 1] | 0x20) == 'h' && buffer[i + 2] >= '1' && buffer[i + 2] <= '9';
    kept = end >= 2 ? 2 : end;
    std::memmove(buffer, buffer + end - kept, kept);
  }
  std::fclose(f);
  return count;
}

// Instructions of one run under callgrind, from its summary; -1 when
// valgrind is missing or the run failed.
long long count_instructions(const std::vector<std::string> &command, const std::string &folder) {
  const std::string log = folder + "/callgrind.log";
  std::string line = "valgrind --tool=callgrind --callgrind-out-file=/dev/null --log-file='" + log + "'";
  for (const std::string &a : command) line += " '" + a + "'";
  if (!run_command({"sh", "-c", line})) return -1;
  long long count = -1;
  if (FILE *f = std::fopen(log.c_str(), "r")) {
    char text[512];
    while (std::fgets(text, sizeof text, f)) {
      const char *at = std::strstr(text, "Collected :");
      if (!at) continue;
      count = 0;
      for (at += 11; *at; ++at)
        if (*at >= '0' && *at <= '9') count = count * 10 + (*at - '0');
    }
    std::fclose(f);
  }
  std::remove(log.c_str());
  return count;
}

void print_row(const char *tool, long long input, long long output, const measurement &m,
               const measurement &floor) {
  if (!m.ran) {
    std::printf("  %-11s  not installed\n", tool);
    return;
  }
  if (m.failed || m.runs == 0) {
    std::printf("  %-11s  failed\n", tool);
    return;
  }
  const double ratio = floor.seconds > 0 ? m.seconds / floor.seconds : 0;
  const double peak = m.peak_kib * 1024.0;
  std::printf("  %-11s %9.2f ms %7.1f MB/s in %7.1f MB/s out %6.1fx cp %8.1f MiB peak "
              "(%.1fx input, %.2fx input+output) [%d run%s]\n",
              tool, m.seconds * 1e3, input / 1e6 / m.seconds, output / 1e6 / m.seconds, ratio,
              m.peak_kib / 1024.0, peak / input, output > 0 ? peak / (input + output) : 0.0, m.runs,
              m.runs == 1 ? "" : "s");
}

const char *verdict(bool met) { return met ? "met" : "NOT met"; }

}  // namespace

int main(int argc, char **argv) {
  int runs = 7;
  bool instructions = false;
  std::string keep;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--runs") && i + 1 < argc) runs = std::max(1, std::atoi(argv[++i]));
    else if (!std::strcmp(argv[i], "--keep") && i + 1 < argc) keep = argv[++i];
    else if (!std::strcmp(argv[i], "--instructions")) instructions = true;
    else {
      std::fprintf(stderr, "usage: toc_bench [--runs N] [--keep DIR] [--instructions]\n");
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
  if (instructions && !on_path("valgrind")) {
    std::fprintf(stderr, "toc_bench: --instructions needs valgrind\n");
    return 1;
  }

  std::vector<page> pages = {
      {"own page", page_kind::own, 64 * 1024},
      {"own page", page_kind::own, 1024 * 1024},
      {"own page", page_kind::own, 4 * 1024 * 1024 - 1},
      {"dense page", page_kind::dense, 4 * 1024 * 1024 - 1},
      {"heading flood", page_kind::flood, 4000000},
  };
  for (size_t i = 0; i < pages.size(); ++i) {
    page &p = pages[i];
    const std::string name = std::to_string(i) + "-" + std::to_string(p.size);
    p.input = folder + "/page-" + name + ".html";
    p.output = folder + "/out-" + name + ".html";
    p.output_with_options = folder + "/out5-" + name + ".html";
  }
  // The pages are made in a child process: a child started from this one
  // reports at least this one's peak memory as its own, so this one must
  // stay small.
  const pid_t maker = fork();
  if (maker == 0) {
    for (const page &p : pages)
      if (!write_file(p.input, make_page(p))) {
        std::fprintf(stderr, "toc_bench: cannot write %s\n", p.input.c_str());
        _exit(1);
      }
    _exit(0);
  }
  int made = 0;
  if (maker < 0 || waitpid(maker, &made, 0) != maker || !WIFEXITED(made) || WEXITSTATUS(made) != 0)
    return 1;
  for (page &p : pages) {
    p.input_bytes = file_bytes(p.input);
    p.headings = count_headings(p.input);
  }
  // As hyperfine measures: each program's runs one after the other, after
  // runs not counted. The fast programs on every page first, then the slow
  // ones, whose memory (pandoc's gigabyte and a half, hypertoc's 170 MiB)
  // would otherwise weigh on the runs right after them.
  for (page &p : pages) {
    sampler copy({"cp", p.input, p.output});
    copy.warm_up(3);
    copy.run(runs);
    p.floor = copy.result();
    const std::vector<std::string> mine = {quenby, "-q", "-s", "classic", "--stamp", "1700000000",
                                           "-o", p.output, p.input};
    sampler plain(mine);
    sampler with_options({quenby, "-q", "--stamp", "1700000000", "-o", p.output_with_options, p.input});
    plain.warm_up(3);
    with_options.warm_up(3);
    take_turns(plain, with_options, runs);
    p.ours = plain.result();
    p.ours_with_options = with_options.result();
    p.output_bytes = file_bytes(p.output);
    p.output_with_options_bytes = file_bytes(p.output_with_options);
    if (instructions && p.large()) p.instructions = count_instructions(mine, folder);
  }
  if (have_hypertoc) {
    for (page &p : pages) {
      if (p.kind != page_kind::own) continue;
      std::vector<std::string> command = {"hypertoc", "--gen_anchors", "--gen_toc", "--inline",
                                          "--quiet", "--toc_tag", "BODY"};
      for (int h = 1; h <= 6; ++h) {
        command.push_back("--toc_entry");
        command.push_back("H" + std::to_string(h) + "=" + std::to_string(h));
      }
      command.insert(command.end(), {"--outfile", p.output, p.input});
      // A few seconds a run on the largest page, and its time varies by a
      // good part from run to run: three runs give a median to compare with.
      sampler theirs(command);
      theirs.warm_up(1);
      theirs.run(std::min(runs, 3));
      p.hypertoc = theirs.result();
    }
  }
  if (have_pandoc) {
    for (page &p : pages) {
      if (p.kind != page_kind::own) continue;
      sampler theirs({"pandoc", "-f", "html", "-t", "html", "--toc", "-s", "-o", p.output, p.input});
      theirs.run(p.large() ? 1 : std::min(runs, 3));
      p.pandoc = theirs.result();
    }
  }

  std::printf("quenby-toc benchmark, median of %d runs after 3 not counted (hypertoc: three after 1; "
              "pandoc: at most three, one on the largest page); quenby-toc's two rows take turns\n",
              runs);
  bool targets_met = true;
  for (const page &p : pages) {
    std::printf("%s, %lld bytes (at most %zu), %lld headings (one every %.0f bytes)\n", p.label,
                p.input_bytes, p.size, p.headings, p.headings ? double(p.input_bytes) / p.headings : 0.0);
    print_row("cp", p.input_bytes, p.input_bytes, p.floor, p.floor);
    print_row("-s classic", p.input_bytes, p.output_bytes, p.ours, p.floor);
    print_row("default", p.input_bytes, p.output_with_options_bytes, p.ours_with_options, p.floor);
    if (p.kind == page_kind::own) {
      print_row("pandoc", p.input_bytes, 0, p.pandoc, p.floor);
      print_row("hypertoc", p.input_bytes, 0, p.hypertoc, p.floor);
    }
    const measurement &mine = p.ours, &theirs = p.hypertoc;
    if (p.instructions > 0 && p.headings > 0)
      std::printf("  %.0f instructions per heading (%lld in all, under callgrind)\n",
                  double(p.instructions) / p.headings, p.instructions);
    if (!p.ours_with_options.failed && mine.seconds > 0) {
      const double ratio = p.ours_with_options.seconds / mine.seconds;
      std::printf("  default: %.0f%% of -s classic's time (<= 110%%) %s; "
                  "processor time %.2f ms beside %.2f ms (%.0f%%)\n",
                  ratio * 100, verdict(ratio <= 1.10), p.ours_with_options.cpu_seconds * 1e3,
                  mine.cpu_seconds * 1e3,
                  mine.cpu_seconds > 0 ? p.ours_with_options.cpu_seconds / mine.cpu_seconds * 100 : 0.0);
      if (p.large()) targets_met = targets_met && ratio <= 1.10;
    }
    if (theirs.ran && !theirs.failed && mine.seconds > 0)
      std::printf("  quenby-toc is %.0fx faster than hypertoc\n", theirs.seconds / mine.seconds);
    if (!p.large() || mine.failed || mine.seconds <= 0) continue;
    const double mb_per_s = p.input_bytes / 1e6 / mine.seconds;
    const double to_input = mine.peak_kib * 1024.0 / p.input_bytes;
    const double to_both = mine.peak_kib * 1024.0 / (p.input_bytes + p.output_bytes);
    if (p.kind == page_kind::flood) {
      std::printf("  target: peak %.2fx input+output (<= 3) %s\n", to_both, verdict(to_both <= 3));
      targets_met = targets_met && to_both <= 3;
      continue;
    }
    const double least = p.kind == page_kind::dense ? 120 : 100;
    std::printf("  targets: %.0f MB/s (>= %.0f) %s, peak %.1fx input (<= 8) %s", mb_per_s, least,
                verdict(mb_per_s >= least), to_input, verdict(to_input <= 8));
    targets_met = targets_met && mb_per_s >= least && to_input <= 8;
    if (theirs.ran && !theirs.failed) {
      const double speedup = theirs.seconds / mine.seconds;
      std::printf(", %.0fx hypertoc's speed (>= 100) %s", speedup, verdict(speedup >= 100));
      targets_met = targets_met && speedup >= 100;
    }
    std::printf("\n");
  }
  if (keep.empty()) {
    for (const page &p : pages)
      for (const std::string *file : {&p.input, &p.output, &p.output_with_options})
        std::remove(file->c_str());
    rmdir(folder.c_str());
  }
  return targets_met ? 0 : 3;
}
