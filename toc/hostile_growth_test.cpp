// Pages built to hurt, made and removed at two sizes, the larger four times
// the smaller: each must cost time in proportion to its size. A look-up per heading that walks what follows the
// heading turns a page of a few hundred kilobytes into minutes; here it shows
// as a growth far beyond the size's.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>
#ifdef _WIN32
#include <chrono>
#else
#include <time.h>
#endif
#include "regex/regex_binding.h"
#include "toc/toc_test_util.h"

namespace {

struct shape {
  const char *label;
  std::function<std::string(size_t)> page;   // about this many bytes
};

std::string repeated_to(const std::string &piece, size_t bytes) {
  std::string out;
  out.reserve(bytes + piece.size());
  while (out.size() < bytes) out += piece;
  return out;
}

std::string numbered_to(const std::string &before, const std::string &after, size_t bytes) {
  std::string out;
  out.reserve(bytes + 64);
  for (size_t i = 0; out.size() < bytes; ++i) out += before + std::to_string(i) + after;
  return out;
}

const std::vector<shape> &shapes() {
  static const std::vector<shape> all = {
      {"unclosed headings with answers", [](size_t n) { return numbered_to("<h2>Q", "<p>A</p>", n); }},
      {"unclosed headings, nothing between", [](size_t n) { return repeated_to("<h2>x", n); }},
      {"headings nested in unclosed inline tags", [](size_t n) { return repeated_to("<h2>x<b>y", n); }},
      {"closed headings", [](size_t n) { return repeated_to("<h2>x</h2>", n); }},
      {"unclosed inline tags", [](size_t n) { return "<body><h1>t</h1>" + repeated_to("<b>x", n); }},
      {"lone less-than signs", [](size_t n) { return "<body><h1>t</h1>" + repeated_to("<", n); }},
      {"headings in list items", [](size_t n) { return repeated_to("<ul><li><h2>x", n); }},
      {"headings with named anchors", [](size_t n) { return numbered_to("<h2><a name=\"n", "\">x</a>", n); }},
      {"headings in unclosed divs with hidden text",
       [](size_t n) { return repeated_to("<div><h2>x<span aria-hidden=true>y", n); }},
      {"headings in a script", [](size_t n) { return repeated_to("<h2>x<script>y</script>", n); }},
      {"marker pairs", [](size_t n) {
         return repeated_to("<!--KRYN_HTML_TOC_START--><h3>z</h3><!--KRYN_HTML_TOC_END-->", n);
       }},
      {"stray end markers", [](size_t n) { return repeated_to("<!--KRYN_HTML_TOC_END--><h3>z</h3>", n); }},
      {"TOC comments", [](size_t n) { return repeated_to("<!-- toc --><h4>w</h4>", n); }},
  };
  return all;
}

// The processor time of this thread, where the system keeps it finely:
// what other programs on a busy machine do shows far less in it than in the
// time on the clock. Windows counts a thread's time in ticks of 10 ms or
// more, too coarse here: there the clock serves, and the least of three
// runs absorbs the others.
double seconds_now() {
#ifdef _WIN32
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
#else
  timespec t;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
#endif
}

// The least of three runs (the others absorb a busy machine), with the page
// it gives.
double least_seconds(const std::string &page, const toc_options &options, bool remove,
                     std::string &output) {
  double best = 1e9;
  for (int i = 0; i < 3; ++i) {
    const double started = seconds_now();
    auto r = toc_test::transform_with(page, options, 1, true, remove);
    const double took = seconds_now() - started;
    EXPECT_EQ(r->result, 0);
    best = std::min(best, took);
    output = std::move(r->output);
  }
  return best;
}

// Each shape is made, and what was made is removed again, at two sizes.
TEST(hostile_growth, FourTimesThePageTakesFourTimesTheTime) {
  ASSERT_TRUE(load_regex_library());
  toc_options stamped;
  stamped.stamp = 7;
  toc_options readable = stamped;
  readable.anchors = toc_anchor_mode::id;
  readable.names = toc_naming::slug;
  readable.heading_ids = true;
  readable.reader_entries = true;
  const size_t small = 256 * 1024;
  for (const shape &s : shapes()) {
    for (const toc_options *options : {&stamped, &readable}) {
      std::string pages[2] = {s.page(small), s.page(4 * small)};
      for (bool remove : {false, true}) {
        // Four times the page in at most eight times the time: a larger page
        // sits further from the processor, but a walk per heading over what
        // follows it takes sixteen times as long. A busy machine may spoil
        // one measurement; a fault spoils every one.
        double took[2] = {0, 0};
        std::string made[2];
        for (int attempt = 0; attempt < 3; ++attempt) {
          for (int size = 0; size < 2; ++size) took[size] = least_seconds(pages[size], *options, remove, made[size]);
          if (took[1] < 0.02 || took[1] / took[0] < 8.0) break;   // below 20 ms, a busy machine decides
        }
        if (took[1] >= 0.02) {
          EXPECT_LT(took[1] / took[0], 8.0)
              << s.label << (options == &readable ? ", readable ids" : ", stamped names")
              << (remove ? ", removed" : ", made") << ": " << took[0] << " s, then " << took[1] << " s";
        }
        pages[0] = std::move(made[0]);   // what is removed next is what was made
        pages[1] = std::move(made[1]);
      }
    }
  }
}

}  // namespace
