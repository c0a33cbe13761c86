// bench_parser: parsing speed and memory of the HTML parser on generated
// documents (one of them dense, with a heading every ~700 bytes), beside a
// plain read of the same files, and the time of hostile inputs relative to an
// ordinary document of the same size.
//
//   bench_parser [--dir DIR] [--runs N]
// Memory is measured in a fresh process per file (bench_parser --memory FILE),
// so that no earlier measurement raises the peak: peak/in is the rise of the
// peak resident size while the file is read and parsed, heap/in the heap in
// use when the parse is done (chunks, tree and parser), both over the file size.
// "parse MB/s" reads the file in 16 KiB chunks as the file job does; "from mem"
// takes the chunks from memory, as the hostile inputs below are.
#include <malloc.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "bench/gen_html.h"
#include "html/krhtml.h"

namespace {

constexpr size_t kChunk = 16384;

double seconds_since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Best of several runs: the least disturbed one.
double best_time(int runs, const std::function<void()> &work) {
  double best = 1e30;
  for (int i = 0; i < runs; ++i) {
    auto start = std::chrono::steady_clock::now();
    work();
    double t = seconds_since(start);
    if (t < best) best = t;
  }
  return best;
}

bool write_file(const std::string &path, const std::string &bytes) {
  FILE *f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

long file_size(const std::string &path) {
  FILE *f = std::fopen(path.c_str(), "rb");
  if (!f) return -1;
  std::fseek(f, 0, SEEK_END);
  long n = std::ftell(f);
  std::fclose(f);
  return n;
}

// The baseline: the file read in chunks, each touched so nothing is skipped.
unsigned plain_read(const std::string &path) {
  FILE *f = std::fopen(path.c_str(), "rb");
  if (!f) return 0;
  static char buffer[kChunk];
  unsigned sum = 0;
  size_t n;
  while ((n = std::fread(buffer, 1, kChunk, f)) > 0) sum += static_cast<unsigned char>(buffer[n - 1]);
  std::fclose(f);
  return sum;
}

// As the file job does it: a root node, one chunk and one step at a time.
struct parse_result {
  int32_t status = -1;
  double parse_seconds = 0;
  double destroy_seconds = 0;
  bool round_trip = false;
  size_t nodes = 0;
};

parse_result parse_chunks(const std::function<size_t(char *, size_t)> &read, const std::string *expected,
                          bool keep_tree_until_measured = false, size_t *live_after = nullptr) {
  parse_result r;
  auto start = std::chrono::steady_clock::now();
  xml_tree *tree = new xml_tree;
  tree->append_top_level(new xml_node);
  krhtml *parser = new krhtml;
  parser->set_tree(tree);
  static char buffer[kChunk];
  size_t n;
  while ((n = read(buffer, kChunk)) > 0) {
    krval chunk(buffer, static_cast<int32_t>(n));
    parser->add(chunk);
    r.status = parser->step();
    if (r.status != 0) break;
  }
  if (r.status == 0 || r.status == -1) {
    parser->mark_input_complete();
    r.status = parser->step();
  }
  r.parse_seconds = seconds_since(start);
  if (keep_tree_until_measured && live_after) {
    struct mallinfo2 mi = mallinfo2();
    *live_after = mi.uordblks + mi.hblkhd;
  }
  if (expected) {
    std::string out;
    out.reserve(expected->size());
    for (xml_node *node = tree->first; node; node = xml_tree::next_in_order(node)) {
      out.append(node->raw_text.bytes() ? node->raw_text.bytes() : "", node->raw_text.length());
      ++r.nodes;
    }
    r.round_trip = out == *expected;
  }
  start = std::chrono::steady_clock::now();
  delete parser;
  delete tree;
  r.destroy_seconds = seconds_since(start);
  return r;
}

parse_result parse_file(const std::string &path, bool measure_live = false, size_t *live = nullptr) {
  FILE *f = std::fopen(path.c_str(), "rb");
  if (!f) return {};
  parse_result r = parse_chunks([f](char *b, size_t n) { return std::fread(b, 1, n, f); }, nullptr,
                                measure_live, live);
  std::fclose(f);
  return r;
}

parse_result parse_text(const std::string &text, bool check = false) {
  size_t at = 0;
  return parse_chunks(
      [&](char *b, size_t n) {
        size_t k = std::min(n, text.size() - at);
        std::memcpy(b, text.data() + at, k);
        at += k;
        return k;
      },
      check ? &text : nullptr);
}

long resident_kib() {
  FILE *f = std::fopen("/proc/self/statm", "r");
  long pages = 0, resident = 0;
  if (f) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// Child mode: parse one file, print "peak_rss_bytes live_heap_bytes".
int memory_mode(const std::string &path) {
  long before_kib = resident_kib();
  struct mallinfo2 mi = mallinfo2();
  size_t heap_before = mi.uordblks + mi.hblkhd;
  size_t heap_after = 0;
  parse_result r = parse_file(path, true, &heap_after);
  struct rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  long peak_kib = usage.ru_maxrss - before_kib;
  std::printf("%ld %zu %d\n", peak_kib * 1024, heap_after - heap_before, r.status);
  return 0;
}

bool measure_memory(const std::string &self, const std::string &path, double &rss_ratio, double &heap_ratio) {
  std::string command = "'" + self + "' --memory '" + path + "'";
  FILE *p = popen(command.c_str(), "r");
  if (!p) return false;
  long rss = 0;
  size_t heap = 0;
  int status = -1;
  bool ok = std::fscanf(p, "%ld %zu %d", &rss, &heap, &status) == 3;
  pclose(p);
  long size = file_size(path);
  if (!ok || size <= 0 || status != 2) return false;
  rss_ratio = static_cast<double>(rss) / size;
  heap_ratio = static_cast<double>(heap) / size;
  return true;
}

std::string repeated(const std::string &piece, size_t total_below) {
  std::string out;
  while (out.size() + piece.size() < total_below) out += piece;
  return out;
}

// Inputs near 4 MiB that would be slow or deep for a naive parser.
std::vector<std::pair<std::string, std::string>> hostile_inputs() {
  const size_t limit = krhtml::kSizeLimit - 1;
  std::vector<std::pair<std::string, std::string>> inputs;
  inputs.push_back({"1M nested unclosed <p>", repeated("<p>", 3000001)});
  inputs.push_back({"deep nesting + ~1M unmatched end tags",
                    repeated("<b>", 300001) + repeated("</i>", limit - 300000)});
  inputs.push_back({"500,000 nested elements closed by end tags",
                    repeated("<p>", 1500001) + repeated("</p>", 2000001)});
  inputs.push_back({"400,000 siblings under body",
                    "<body>" + repeated("<p>x</p>", 3200001) + "</body>"});
  std::string attributes = "<a";
  for (int i = 0; i < 200000; ++i) attributes += " a" + std::to_string(1000000 + i) + "=v";
  inputs.push_back({"one tag with 200,000 attributes", attributes + ">"});
  inputs.push_back({"4 MiB comment", "<!--" + std::string(limit - 7, 'x') + "-->"});
  inputs.push_back({"4 MiB include full of '>'", "<!--#" + std::string(limit - 8, '>') + "-->"});
  inputs.push_back({"4 MiB attribute value", "<a href=\"" + std::string(limit - 11, 'x') + "\">"});
  std::string binary;
  uint32_t state = 12345;
  binary.reserve(limit);
  while (binary.size() < limit) {
    state = state * 1103515245u + 12345u;
    binary.push_back(static_cast<char>(state >> 24));
  }
  inputs.push_back({"4 MiB random bytes", binary});
  // The ordinary document with every 16th byte a NUL or a byte from 128 to 255.
  std::string sprinkled = generate_html(limit);
  for (size_t i = 7; i < sprinkled.size(); i += 16) {
    state = state * 1103515245u + 12345u;
    sprinkled[i] = (state >> 28) == 0 ? '\0' : static_cast<char>(128 + (state >> 25));
  }
  inputs.push_back({"NUL and bytes 128-255 everywhere", sprinkled});
  return inputs;
}

}  // namespace

int main(int argc, char **argv) {
  std::string dir = "bench-parser-data";
  int runs = 5;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--memory" && i + 1 < argc) return memory_mode(argv[i + 1]);
    if (a == "--dir" && i + 1 < argc) dir = argv[++i];
    else if (a == "--runs" && i + 1 < argc) runs = std::atoi(argv[++i]);
    else {
      std::fprintf(stderr, "usage: bench_parser [--dir DIR] [--runs N]\n");
      return 2;
    }
  }
  if (runs < 1) runs = 1;
  std::string self = "/proc/self/exe";
  char resolved[4096];
  ssize_t len = readlink("/proc/self/exe", resolved, sizeof resolved - 1);
  if (len > 0) self.assign(resolved, len);
  std::system(("mkdir -p '" + dir + "'").c_str());

  struct sample {
    const char *label;
    size_t size;
    page_shape shape;
  } samples[] = {{"64 KiB", 65536, {}},
                 {"1 MiB", 1048576, {}},
                 {"4 MiB-1", krhtml::kSizeLimit - 1, {}},
                 {"dense 4 MiB", krhtml::kSizeLimit - 1, dense_page_shape()}};

  std::printf("%-11s %10s %8s %8s %10s %11s %8s %8s %8s %8s %s\n", "document", "bytes", "nodes/KB", "ns/node",
              "read MB/s", "parse MB/s", "from mem", "peak/in", "heap/in", "free ms", "round trip");
  double ordinary_4m = 0;
  for (const sample &s : samples) {
    std::string doc = generate_html(s.size, 1, s.shape);
    std::string path = dir + "/generated-" + std::to_string(s.size) +
                       (s.shape.heading_gap_least == page_shape{}.heading_gap_least ? "" : "-dense") + ".html";
    if (!write_file(path, doc)) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      return 1;
    }
    double rss_ratio = 0, heap_ratio = 0;
    bool memory_ok = measure_memory(self, path, rss_ratio, heap_ratio);

    volatile unsigned sink = 0;
    double read_t = best_time(runs, [&] { sink = sink + plain_read(path); });
    parse_result last;
    double parse_t = best_time(runs, [&] { last = parse_file(path); });
    double memory_t = best_time(runs, [&] { parse_text(doc); });
    parse_result checked = parse_text(doc, true);

    const size_t nodes = checked.nodes;
    const double mb = doc.size() / 1e6;
    std::printf("%-11s %10zu %8.1f %8.0f %10.0f %11.1f %8.1f %8.2f %8.2f %8.2f %s\n", s.label, doc.size(),
                nodes / (doc.size() / 1024.0), parse_t * 1e9 / nodes, mb / read_t, mb / parse_t, mb / memory_t,
                memory_ok ? rss_ratio : -1, memory_ok ? heap_ratio : -1, last.destroy_seconds * 1000,
                checked.status == 2 && checked.round_trip ? "ok" : "FAILED");
    if (s.size == krhtml::kSizeLimit - 1 && ordinary_4m == 0) ordinary_4m = memory_t;
  }

  std::printf("\nhostile inputs, parsed from memory like the ordinary 4 MiB document (%.1f ms):\n",
              ordinary_4m * 1000);
  std::printf("%-42s %10s %9s %9s %8s %8s %s\n", "input", "bytes", "nodes", "parse ms", "ns/node", "ratio",
              "round trip");
  bool all_within = true;
  for (auto &[label, text] : hostile_inputs()) {
    parse_result checked = parse_text(text, true);
    double t = best_time(runs, [&] { parse_text(text); });
    double ratio = t / ordinary_4m;
    if (ratio > 5) all_within = false;
    std::printf("%-42s %10zu %9zu %9.1f %8.0f %8.2f %s\n", label.c_str(), text.size(), checked.nodes, t * 1000,
                t * 1e9 / checked.nodes, ratio, checked.status == 2 && checked.round_trip ? "ok" : "FAILED");
  }
  std::printf("\nall hostile inputs within 5x: %s\n", all_within ? "yes" : "NO");
  return 0;
}
