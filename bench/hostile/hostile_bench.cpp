// Benchmark of quenby-toc on pages built to hurt, each at two sizes (1 MiB
// and 4 MiB; with --large also 64 MiB for the ordinary page and two hostile
// shapes), beside the ordinary generated page of the same sizes. For every
// shape it prints the median wall and processor time (the two sizes taking
// turns), the growth of processor time from the smaller size to the larger
// (a fourfold size: linear is 4), taken from each size's fastest run, with
// the growth of the median wall clock beside it, and the peak
// memory against the input and against input + output; then whether the
// targets hold: growth per fourfold size within 4.6, peak within 10x input +
// output, the heading flood within 3x, a 64 MiB ordinary page within 8x input.
//
//   hostile_bench [--runs N] [--large] [--keep DIR] [--only TEXT]
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>
#include "bench/gen_html.h"
#include "bench/sampling.h"

namespace {

constexpr size_t MiB = 1000 * 1000;

struct shape {
  const char *label;
  std::function<std::string(size_t)> page;   // of at most this many bytes
  bool large = false;                         // also at 64 MiB with --large
  bool flood = false;                         // the heading flood's own target
};

std::string repeated_to(const std::string &piece, size_t bytes) {
  std::string out;
  out.reserve(bytes);
  while (out.size() + piece.size() <= bytes) out += piece;
  return out;
}

std::string numbered_to(const std::string &before, const std::string &after, size_t bytes) {
  std::string out;
  out.reserve(bytes);
  for (size_t i = 0;; ++i) {
    const std::string piece = before + std::to_string(i) + after;
    if (out.size() + piece.size() > bytes) return out;
    out += piece;
  }
}

// Random bytes but NUL, which would make the page no HTML page at all (the
// program refuses it unread); a tag of some sort comes soon enough.
std::string random_bytes(size_t bytes) {
  std::string out(bytes, '\0');
  uint32_t state = 12345;
  for (char &c : out) {
    state = state * 1103515245u + 12345u;
    c = static_cast<char>(state >> 24);
    if (c == '\0') c = '<';
  }
  return out;
}

// A tag of one element with as many attributes as fit, then a heading.
std::string attribute_flood(size_t bytes) {
  std::string out = "<body><p";
  for (size_t i = 0; out.size() + 20 < bytes; ++i) out += " a" + std::to_string(i) + "=v";
  return out + "><h2>x</h2>";
}

// Class words to leave out, each also the class of a heading: the page's
// own TOC comment names them all.
std::string skip_class_flood(size_t bytes) {
  const size_t count = bytes / 40;
  std::string words, headings;
  for (size_t i = 0; i < count; ++i) {
    const std::string word = "c" + std::to_string(i);
    words += " skip-class=" + word;
    headings += "<h2 class=" + word + ">x</h2>";
  }
  return "<body><!-- toc" + words + " -->" + headings;
}

std::vector<shape> shapes() {
  return {
      {"ordinary page", [](size_t n) { return generate_html(n); }, true},
      {"lone less-than signs", [](size_t n) { return "<body><h1>t</h1>" + repeated_to("<", n - 16); }, true},
      {"unclosed <b>x", [](size_t n) { return "<body><h1>t</h1>" + repeated_to("<b>x", n - 16); }, true},
      {"<h2>x</h2> flood", [](size_t n) { return repeated_to("<h2>x</h2>", n); }, false, true},
      {"<ul><li><h2>x", [](size_t n) { return repeated_to("<ul><li><h2>x", n); }},
      {"<h2><a name>", [](size_t n) { return numbered_to("<h2><a name=\"n", "\">x</a></h2>", n); }},
      {"unclosed <h2>Q<p>A</p>", [](size_t n) { return numbered_to("<h2>Q", "<p>A</p>", n); }},
      {"nested <h2>x<b>y", [](size_t n) { return repeated_to("<h2>x<b>y", n); }},
      {"attribute flood", attribute_flood},
      {"skip-class words", skip_class_flood},
      {"giant comment", [](size_t n) { return "<body><h1>t</h1><!--" + std::string(n - 23, 'x') + "-->"; }},
      {"TOC comments", [](size_t n) { return repeated_to("<!-- toc --><h4>w</h4>", n); }},
      {"marker pairs",
       [](size_t n) { return repeated_to("<!--KRYN_HTML_TOC_START--><h3>z</h3><!--KRYN_HTML_TOC_END-->", n); }},
      {"random bytes", random_bytes},
  };
}

struct figures {
  measurement m;
  long long input = 0, output = 0;
  double peak_to_input() const { return m.peak_kib * 1024.0 / static_cast<double>(input); }
  double peak_to_both() const { return m.peak_kib * 1024.0 / static_cast<double>(input + output); }
};

// A page written to its file, ready to be measured.
struct written_page {
  std::string input, output;
  long long bytes = 0;
  bool written = false;
};

// The page goes to its file and out of this process, and this process's
// peak memory is set back to its present size, before quenby-toc runs: a
// spawned child's peak counts from its parent's peak, so a 64 MiB page once
// held here would be counted in every run after.
written_page write_page(const std::string &folder, const std::string &name, std::string page) {
  written_page w;
  w.input = folder + "/" + name + ".html";
  w.output = folder + "/" + name + ".out.html";
  w.written = write_file(w.input, page);
  w.bytes = static_cast<long long>(page.size());
  std::string().swap(page);
  malloc_trim(0);
  if (FILE *peak = std::fopen("/proc/self/clear_refs", "w")) {
    std::fputs("5", peak);
    std::fclose(peak);
  }
  return w;
}

// A 64 MiB page grows past the default size limit with its TOC, and the
// program then refuses to write a page it could not read again.
sampler sampler_for(const std::string &quenby, const written_page &w) {
  return sampler({quenby, "-q", "--stamp", "7", "--max-size", "134217728", "-o", w.output, w.input});
}

figures result_of(const sampler &s, const written_page &w) {
  figures f;
  f.input = w.bytes;
  f.m = s.result();
  if (!w.written) f.m.failed = true;
  f.output = file_bytes(w.output);
  std::remove(w.output.c_str());
  std::remove(w.input.c_str());
  return f;
}

// The two sizes of a shape take turns, run for run, so that what else the
// machine is doing weighs on both alike and on the growth between them.
void measure_pair(const std::string &quenby, const written_page &small_page, const written_page &big_page,
                  int runs, figures &small, figures &big) {
  sampler small_runs = sampler_for(quenby, small_page), big_runs = sampler_for(quenby, big_page);
  if (small_page.written && big_page.written) {
    small_runs.warm_up(1);
    big_runs.warm_up(1);
    take_turns(small_runs, big_runs, runs);
  }
  small = result_of(small_runs, small_page);
  big = result_of(big_runs, big_page);
}

figures measure(const std::string &quenby, const written_page &page, int runs) {
  sampler s = sampler_for(quenby, page);
  if (page.written) {
    s.warm_up(1);
    s.run(runs);
  }
  return result_of(s, page);
}

void print_cell(const figures &f) {
  if (f.m.failed || f.m.runs == 0) {
    std::printf(" %42s", "failed");
    return;
  }
  std::printf(" %7.1f %7.1f ms %5.0f MiB %5.1fx %5.2fx", f.m.seconds * 1e3, f.m.cpu_seconds * 1e3,
              f.m.peak_kib / 1024.0, f.peak_to_input(), f.peak_to_both());
}

const char *verdict(bool met) { return met ? "met" : "NOT met"; }

}  // namespace

int main(int argc, char **argv) {
  int runs = 5;
  bool large = false;
  std::string keep, only;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--runs") && i + 1 < argc) runs = std::max(1, std::atoi(argv[++i]));
    else if (!std::strcmp(argv[i], "--large")) large = true;
    else if (!std::strcmp(argv[i], "--keep") && i + 1 < argc) keep = argv[++i];
    else if (!std::strcmp(argv[i], "--only") && i + 1 < argc) only = argv[++i];
    else {
      std::fprintf(stderr, "usage: hostile_bench [--runs N] [--large] [--keep DIR] [--only TEXT]\n");
      return 2;
    }
  }
  const std::string quenby = own_folder() + "quenby-toc";
  if (access(quenby.c_str(), X_OK) != 0) {
    std::fprintf(stderr, "hostile_bench: %s is missing; build the quenby-toc target\n", quenby.c_str());
    return 1;
  }
  std::string folder = keep;
  if (folder.empty()) {
    char pattern[] = "/tmp/quenby-hostile-XXXXXX";
    if (!mkdtemp(pattern)) return 1;
    folder = pattern;
  } else {
    mkdir(folder.c_str(), 0755);
  }

  std::printf("quenby-toc -q --stamp 7 --max-size 134217728 on each page; median of %d runs, peak memory of the largest run\n", runs);
  std::printf("time: medians of wall clock and processor time; growth from 1 MiB to 4 MiB: of the least processor time (of the median wall clock)\n");
  std::printf("%-22s %42s %42s %15s\n", "", "1 MiB: wall, cpu, peak, /in, /in+out", "4 MiB: wall, cpu, peak, /in, /in+out",
              "growth");
  bool all_met = true;
  figures ordinary_large;
  for (const shape &s : shapes()) {
    if (!only.empty() && std::strstr(s.label, only.c_str()) == nullptr) continue;
    std::string name = s.label;
    for (char &c : name)
      if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))) c = '_';
    figures small, big;
    const written_page small_page = write_page(folder, name + "-1m", s.page(MiB));
    const written_page big_page = write_page(folder, name + "-4m", s.page(4 * MiB));
    measure_pair(quenby, small_page, big_page, runs, small, big);
    // Growth is judged on processor time, and on each size's fastest run:
    // wall clock also holds the wait for the disk to take the page, and on
    // a shared machine a run of a few milliseconds may be slowed by half by
    // what else runs, while the work itself does not vary.
    const double growth =
        small.m.least_cpu_seconds > 0 ? big.m.least_cpu_seconds / small.m.least_cpu_seconds : 0;
    const double wall_growth = small.m.seconds > 0 ? big.m.seconds / small.m.seconds : 0;
    std::printf("%-22s", s.label);
    print_cell(small);
    print_cell(big);
    std::printf(" %5.2fx (%5.2fx)\n", growth, wall_growth);
    const bool failed = small.m.failed || big.m.failed || small.m.runs == 0 || big.m.runs == 0;
    const double peak_limit = s.flood ? 3.0 : 10.0;
    const bool met = !failed && growth <= 4.6 && small.peak_to_both() <= peak_limit && big.peak_to_both() <= peak_limit;
    if (!met) {
      all_met = false;
      std::printf("  %s: growth <= 4.6, peak <= %.0fx input+output: NOT met\n", s.label, peak_limit);
    }
    if (large && s.large) {
      const figures huge = measure(quenby, write_page(folder, name + "-64m", s.page(64 * MiB)), std::min(runs, 3));
      std::printf("%-22s", "  at 64 MiB");
      print_cell(huge);
      const double growth16 =
          big.m.least_cpu_seconds > 0 ? huge.m.least_cpu_seconds / big.m.least_cpu_seconds : 0;
      std::printf(" %5.2fx per 16x\n", growth16);
      const bool huge_met = !huge.m.failed && huge.m.runs > 0 && huge.peak_to_both() <= 10.0 &&
                            (std::strcmp(s.label, "ordinary page") != 0 || huge.peak_to_input() <= 8.0);
      if (std::strcmp(s.label, "ordinary page") == 0) ordinary_large = huge;
      if (!huge_met) {
        all_met = false;
        std::printf("  %s at 64 MiB: peak <= 10x input+output%s: NOT met\n", s.label,
                    std::strcmp(s.label, "ordinary page") == 0 ? ", <= 8x input" : "");
      }
    }
  }
  if (large && ordinary_large.m.runs > 0)
    std::printf("\nordinary page at 64 MiB: peak %.1fx input (<= 8) %s\n", ordinary_large.peak_to_input(),
                verdict(ordinary_large.peak_to_input() <= 8.0));
  std::printf("\nall targets: %s\n", verdict(all_met));
  if (keep.empty()) rmdir(folder.c_str());
  return 0;
}
