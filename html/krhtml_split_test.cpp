// However the input is cut into chunks, the tree is the same, and writing it
// gives the input back.
#include <gtest/gtest.h>

#include <random>

#include "html/krhtml_test_util.h"

namespace {

using parse_test::describe;
using parse_test::parse;
using parse_test::written;

const char *const kEdgeCases[] = {
    "<P CLASS=Intro>",
    "<br><br/><img src=x><META name=x><p/>",
    "<p>a<p>b",
    "<div><p>x</div>",
    "</x>y",
    "<!DOCTYPE html><?xml version=1.0?>a < b",
    "<!-- a > b -->",
    "<!--#include file=x -->",
    "<a title=\"x>y\">",
    "<td nowrap><a href = \"x\">",
    "&amp; <p class",
    "<a name=\"x\"></a><td></td>",
    "<>x<!>",
    "<![CDATA[x]]><!ELEMENT e><!ENTITY n><!ATTLIST a><%x%><#h>",
    "<!--#a>b-->--><!--#-->",
    "<html>\r\n<body>\r\n<h1>T</h1>\r\n<!-- toc -->\r\n<ul><li>a<li>b</ul></body></html>\r\n",
    "",
    "<",
    "plain text only",
    "<script>a<h2>\"</h2></SCRIPT ><style>x</style/><textarea><!--</textarea\n>",
    "<title>x</titl</title<script>x</scrip",
    "<!-- <script> --><plaintext><p></plaintext>",
};

// Tag soup from a small alphabet, so that every construct and every kind of
// mismatch turns up often.
std::string soup(std::mt19937 &rng, size_t pieces) {
  static const char *const kPieces[] = {
      "<p>", "</p>", "<div class=a>", "</div>", "<b>", "</B>", "<br>", "<img src='x'/>", "<a href=\"#\">",
      "</a>", "<!--", "-->", "<!--#", ">", "<", "</", "<!", "<!DOCTYPE", "text ", "&amp;", "\r\n", " = ",
      "\"", "'", "<li", "</li >", "<ul>", "</ul>", "\0", "\xe9\xff", "<h1 id=t>", "</h1>", "<?x", "nowrap",
      "<script>", "</script>", "</SCRIPT ", "<style a=1>", "</style>", "<textarea>", "</textarea",
  };
  std::uniform_int_distribution<size_t> pick(0, sizeof kPieces / sizeof *kPieces - 1);
  std::string out;
  for (size_t i = 0; i < pieces; ++i) {
    size_t k = pick(rng);
    if (k == 28) out.push_back('\0');
    else out += kPieces[k];
  }
  return out;
}

void expect_same_tree_for_every_single_cut(const std::string &html) {
  parse_test::parsed whole = parse(html);
  ASSERT_EQ(whole.status, 2);
  ASSERT_EQ(written(*whole.tree), html);
  ASSERT_TRUE(parse_test::links_consistent(*whole.tree));
  const std::string expected = describe(*whole.tree);
  for (size_t cut = 0; cut <= html.size(); ++cut) {
    parse_test::parsed p = parse(html, {cut});
    ASSERT_EQ(describe(*p.tree), expected) << "cut at " << cut << " of " << parse_test::escaped(html);
  }
}

TEST(krhtml_split, EdgeCasesAtEverySingleCut) {
  for (const char *html : kEdgeCases) expect_same_tree_for_every_single_cut(html);
}

TEST(krhtml_split, GeneratedSoupAtEverySingleCut) {
  std::mt19937 rng(7);
  for (int i = 0; i < 40; ++i) expect_same_tree_for_every_single_cut(soup(rng, 30));
}

TEST(krhtml_split, GeneratedSoupAtRandomMultipleCuts) {
  std::mt19937 rng(11);
  for (int i = 0; i < 200; ++i) {
    std::string html = soup(rng, 200);
    parse_test::parsed whole = parse(html);
    ASSERT_EQ(written(*whole.tree), html);
    const std::string expected = describe(*whole.tree);
    for (int round = 0; round < 5; ++round) {
      std::vector<size_t> cuts;
      std::uniform_int_distribution<size_t> gap(0, round == 0 ? 1 : 40);
      for (size_t at = gap(rng); at < html.size(); at += gap(rng)) cuts.push_back(at);
      parse_test::parsed p = parse(html, cuts);
      ASSERT_EQ(describe(*p.tree), expected) << parse_test::escaped(html);
    }
  }
}

// Skipping climbs that cannot find their element must change nothing.
TEST(krhtml_split, SkippingHopelessClimbsKeepsTheTree) {
  std::mt19937 rng(13);
  for (int i = 0; i < 300; ++i) {
    std::string html = soup(rng, 300);
    EXPECT_EQ(describe(*parse(html).tree), describe(*parse(html, {}, false).tree));
  }
}

TEST(krhtml_split, RandomBytesRoundTrip) {
  std::mt19937 rng(17);
  std::uniform_int_distribution<int> byte(0, 255), small(0, 7);
  for (int i = 0; i < 200; ++i) {
    std::string html;
    for (int k = 0; k < 500; ++k) {
      // Lean on the bytes that steer the tokenizer.
      static const char steer[] = "<>/!-#=\"";
      html.push_back(small(rng) < 3 ? steer[small(rng)] : static_cast<char>(byte(rng)));
    }
    parse_test::parsed p = parse(html, {100, 101, 250});
    ASSERT_EQ(p.status, 2);
    ASSERT_EQ(written(*p.tree), html);
    ASSERT_TRUE(parse_test::links_consistent(*p.tree));
    EXPECT_EQ(describe(*p.tree), describe(*parse(html).tree));
  }
}

}  // namespace
