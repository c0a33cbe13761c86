// Properties of the whole transform on generated pages and on real ones:
// nothing but anchors and one block is ever added, a remake of an unchanged
// page is a fixed point, and every link of the block has its anchor.
#include <gtest/gtest.h>
#include <cstdint>
#include <set>
#include <string>
#include <vector>
#include "regex/regex_binding.h"
#include "test_support/scratch_folder.h"
#include "toc/toc_generated_pages.h"
#include "toc/toc_test_util.h"

namespace {

using toc_test::generated_page;

const std::string start_marker = "<!--KRYN_HTML_TOC_START-->";
const std::string end_marker = "<!--KRYN_HTML_TOC_END-->";

std::string without(std::string text, const std::string &piece, int &removed) {
  size_t at;
  while ((at = text.find(piece)) != std::string::npos) {
    text.erase(at, piece.size());
    ++removed;
  }
  return text;
}

// The output with the block and every inserted anchor text taken out.
std::string strip_insertions(std::string output, int32_t stamp) {
  size_t begin = output.find(start_marker);
  if (begin != std::string::npos) {
    size_t end = output.find(end_marker, begin);
    if (end != std::string::npos) output.erase(begin, end + end_marker.size() - begin);
  }
  int opened = 0, closed = 0;
  const std::string prefix = "<a name=\"kryn_link_";
  const std::string suffix = "_" + std::to_string(stamp) + "\" class=\"header_item\">";
  size_t at;
  while ((at = output.find(prefix)) != std::string::npos) {
    size_t stop = output.find(suffix, at);
    if (stop == std::string::npos) break;
    output.erase(at, stop + suffix.size() - at);
    ++opened;
  }
  output = without(output, "</a>", closed);
  EXPECT_EQ(opened, closed);
  return output;
}

// Anchor names in a page, and the targets of its block's links.
std::set<std::string> anchor_names(const std::string &html) {
  std::set<std::string> names;
  auto parsed = parse_test::parse(html);
  for (xml_node *n = parsed.tree->first; n; n = xml_tree::next_in_order(n)) {
    krval value;
    if (n->name == "a" && n->attributes().get(krval("name"), value) && value.text_length() > 0)
      names.insert(value.str());
  }
  return names;
}

std::vector<std::string> block_targets(const std::string &html) {
  std::vector<std::string> targets;
  size_t begin = html.find(start_marker);
  size_t end = html.find(end_marker);
  if (begin == std::string::npos || end == std::string::npos) return targets;
  const std::string href = "<a href=\"#";
  for (size_t at = html.find(href, begin); at != std::string::npos && at < end;
       at = html.find(href, at + 1)) {
    size_t from = at + href.size();
    targets.push_back(html.substr(from, html.find('"', from) - from));
  }
  return targets;
}

void check_properties(const std::string &input, const std::string &label) {
  SCOPED_TRACE(label);
  const int32_t stamp = 1007136000;
  auto first = toc_test::transform_text(input, 1, stamp);
  ASSERT_EQ(first->result, 0);
  const std::string &output = first->output;

  // (a) no qualifying heading: nothing changes, with or without the flag.
  if (!first->tree.first) {
    EXPECT_EQ(output, input);
    EXPECT_EQ(toc_test::transform_text(input, 0, stamp)->output, input);
  }
  // (b) only anchors and the block were added.
  EXPECT_EQ(strip_insertions(output, stamp), input);
  // (c) a remake of the result, on another day, gives the result again.
  EXPECT_EQ(toc_test::toc_of(output, stamp + 86400), output);
  // (d) every link of the block has its anchor.
  std::set<std::string> names = anchor_names(output);
  std::vector<std::string> targets = block_targets(output);
  EXPECT_EQ(targets.size(), static_cast<size_t>(first->transform.anchor_counter));
  for (const std::string &target : targets) EXPECT_EQ(names.count(target), 1u) << target;
  if (first->tree.first) {
    EXPECT_EQ(output.find(start_marker), output.rfind(start_marker));
  }
}

// The transform of the file job looks at the parser's landmarks alone; a
// walk over every node must find the same places and headings.
void check_landmarks_find_what_the_walk_finds(const std::string &input, const std::string &label) {
  SCOPED_TRACE(label);
  for (uint8_t insert_toc : {uint8_t(0), uint8_t(1)}) {
    auto listed = toc_test::transform_text(input, insert_toc, 1007136000, true);
    auto walked = toc_test::transform_text(input, insert_toc, 1007136000, false);
    ASSERT_EQ(listed->result, 0);
    EXPECT_EQ(listed->output, walked->output);
    EXPECT_EQ(listed->transform.anchor_counter, walked->transform.anchor_counter);
    EXPECT_EQ(listed->transform.insertion_node == nullptr, walked->transform.insertion_node == nullptr);
    if (listed->transform.insertion_node && walked->transform.insertion_node) {
      EXPECT_EQ(listed->transform.insertion_node->raw_text.str(),
                walked->transform.insertion_node->raw_text.str());
    }
  }
}

class toc_properties : public ::testing::Test {
protected:
  static void SetUpTestSuite() { ASSERT_TRUE(load_regex_library()); }
};

TEST_F(toc_properties, hold_on_generated_pages) {
  int with_entries = 0;
  for (uint32_t seed = 1; seed <= 400; ++seed) {
    std::string page = generated_page(seed, seed % 5 != 0);
    check_properties(page, "seed " + std::to_string(seed));
    with_entries += toc_test::transform_text(page)->tree.first != nullptr;
  }
  // The generator must exercise both sides.
  EXPECT_GT(with_entries, 200);
  EXPECT_LT(with_entries, 380);
}

TEST_F(toc_properties, the_parsers_landmarks_give_the_walks_result) {
  for (uint32_t seed = 1; seed <= 400; ++seed) {
    std::string page = generated_page(seed, seed % 5 != 0);
    check_landmarks_find_what_the_walk_finds(page, "seed " + std::to_string(seed));
    check_landmarks_find_what_the_walk_finds(toc_test::toc_of(page, 5), "remade seed " + std::to_string(seed));
  }
  const char *const edge_cases[] = {
      // Headings inside headings, with the TOC comment inside one.
      "<h1>A <!-- toc --><h2>B<h3>C</h3></h2><h4>D</h4></h1><h3>E</h3><p><h2>F</h2></p>",
      "<div><h1>x<div><h2>y</h2></div></h1></div><!--toc--><h5>z</h5>",
      // A remake without body or TOC comment, where the old block is the
      // first child of a heading.
      "<h1><!--KRYN_HTML_TOC_START-->old<!--KRYN_HTML_TOC_END-->A</h1><h2>B</h2>",
      "text<!--KRYN_HTML_TOC_START-->old<!--KRYN_HTML_TOC_END--><h2>B</h2>",
      "<!--KRYN_HTML_TOC_START--><h1>in</h1><!--KRYN_HTML_TOC_END--><h1>out</h1>",
      "<h2></h2><h3/><h1>only</h1>", "<body><body><h1>a</h1></body>", "no headings at all"};
  for (const char *page : edge_cases) check_landmarks_find_what_the_walk_finds(page, page);
  std::string sample = test_support::read_file(QUENBY_SOURCE_DIR "/samples/sample.html");
  check_landmarks_find_what_the_walk_finds(sample, "sample.html");
}

TEST_F(toc_properties, hold_on_the_bundled_sample) {
  std::string sample = test_support::read_file(QUENBY_SOURCE_DIR "/samples/sample.html");
  ASSERT_NE(sample, "<missing>");
  check_properties(sample, "sample.html");
  // Every heading of the sample comes after its TOC comment.
  auto r = toc_test::transform_text(sample);
  EXPECT_EQ(r->transform.anchor_counter, 12);
  EXPECT_EQ(r->transform.insertion_node->raw_text.str(), "<!-- toc -->");
}

TEST_F(toc_properties, hold_on_pages_that_already_have_a_block) {
  for (uint32_t seed = 1; seed <= 100; ++seed) {
    std::string once = toc_test::toc_of(generated_page(seed, true), 5);
    SCOPED_TRACE(seed);
    EXPECT_EQ(toc_test::toc_of(once, 6), once);
  }
}

}  // namespace
