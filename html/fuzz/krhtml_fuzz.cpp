// Fuzz target for the HTML parser: the input is parsed in one chunk and again
// cut into chunks of sizes drawn from the input itself; both trees must write
// back the input byte for byte, have consistent links, and be the same tree.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "html/krhtml_test_util.h"

namespace {

[[noreturn]] void finding(const char *what) {
  std::fprintf(stderr, "parser fuzz finding: %s\n", what);
  std::abort();
}

// Chunk boundaries from a hash of the input: the same input always gives the
// same cuts, so a finding reproduces.
std::vector<size_t> cuts_for(const uint8_t *data, size_t size) {
  uint32_t state = 2166136261u;
  for (size_t i = 0; i < size; ++i) state = (state ^ data[i]) * 16777619u;
  std::vector<size_t> cuts;
  size_t at = 0;
  while (true) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    // Mostly tiny chunks, now and then a long one.
    size_t step = (state & 7) == 0 ? (state >> 8) % 4096 : (state >> 8) % 9;
    at += step;
    if (at >= size) break;
    cuts.push_back(at);
  }
  return cuts;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string html(reinterpret_cast<const char *>(data), size);
  parse_test::parsed whole = parse_test::parse(html);
  if (whole.status != SGML_DONE) finding("a complete input did not finish with SGML_DONE");
  if (parse_test::written(*whole.tree) != html) finding("round trip of the one-chunk parse");
  if (!parse_test::links_consistent(*whole.tree)) finding("links of the one-chunk parse");

  parse_test::parsed cut = parse_test::parse(html, cuts_for(data, size));
  if (cut.status != SGML_DONE) finding("a chunked input did not finish with SGML_DONE");
  if (parse_test::written(*cut.tree) != html) finding("round trip of the chunked parse");
  if (parse_test::describe(*cut.tree) != parse_test::describe(*whole.tree))
    finding("the chunked parse built another tree");

  parse_test::parsed climbing = parse_test::parse(html, {}, false);
  if (parse_test::describe(*climbing.tree) != parse_test::describe(*whole.tree))
    finding("skipping hopeless climbs changed the tree");
  return 0;
}
