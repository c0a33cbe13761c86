// Inputs of the allowed size built to hurt: deep nesting, long chains of
// siblings, huge tokens. Each must parse to the right tree without
// exhausting the stack or taking quadratic time.
#include <gtest/gtest.h>

#include <string>

#include "html/krhtml_test_util.h"

namespace {

using parse_test::parse;
using parse_test::written;

std::string repeated(const std::string &piece, size_t times) {
  std::string out;
  out.reserve(piece.size() * times);
  for (size_t i = 0; i < times; ++i) out += piece;
  return out;
}

int depth_of_deepest_first_child(const xml_tree &t) {
  int depth = 0;
  for (xml_node *n = t.first->next; n && n->first_child; n = n->first_child) ++depth;
  return depth;
}

TEST(krhtml_robust, AMillionNestedUnclosedElements) {
  const std::string html = repeated("<p>", 1000000);
  parse_test::parsed p = parse(html, {16384, 32768});
  ASSERT_EQ(p.status, 2);
  EXPECT_EQ(depth_of_deepest_first_child(*p.tree), 999999);
  EXPECT_EQ(written(*p.tree), html);
}

TEST(krhtml_robust, AMillionEndTagsUnderDeepNesting) {
  // None finds an element: each would otherwise climb the whole nesting.
  const std::string html = repeated("<b>", 100000) + repeated("</i>", 960000);
  parse_test::parsed p = parse(html);
  ASSERT_EQ(p.status, 2);
  xml_node *deepest = p.tree->first->next;
  while (deepest->first_child && deepest->first_child->kind == XML_START_TAG) deepest = deepest->first_child;
  EXPECT_EQ(parse_test::child_count(deepest), 960000);
  EXPECT_EQ(deepest->first_child->closed, 0);
  EXPECT_EQ(written(*p.tree), html);
}

TEST(krhtml_robust, DeepNestingClosedFromTheInside) {
  // Each end tag finds its element one level up; the first one absorbs into
  // the innermost start tag.
  const std::string html = repeated("<p>", 500000) + repeated("</p>", 500000) + "<i>";
  parse_test::parsed p = parse(html);
  ASSERT_EQ(p.status, 2);
  EXPECT_EQ(written(*p.tree), html);
  xml_node *outer = p.tree->first->next;
  EXPECT_EQ(outer->closed, 1);
  ASSERT_NE(outer->next, nullptr);
  EXPECT_EQ(outer->next->name.str(), "i");   // after everything, at the top
  EXPECT_TRUE(parse_test::links_consistent(*p.tree));
}

TEST(krhtml_robust, DeepNestingClosedByOneEndTagFromTheTop) {
  const std::string html = "<div>" + repeated("<p>", 500000) + "</div>" + repeated("</div>", 400000);
  parse_test::parsed p = parse(html);
  ASSERT_EQ(p.status, 2);
  xml_node *div = p.tree->first->next;
  EXPECT_EQ(div->closed, 1);
  EXPECT_EQ(parse_test::child_count(div), 2);
  EXPECT_EQ(p.tree->count, 2 + 400000);   // the unmatched ones follow at the top
  EXPECT_EQ(written(*p.tree), html);
}

TEST(krhtml_robust, FourHundredThousandSiblings) {
  const std::string html = "<body>" + repeated("<p>x</p>", 400000) + "</body>";
  parse_test::parsed p = parse(html);
  ASSERT_EQ(p.status, 2);
  xml_node *body = p.tree->first->next;
  EXPECT_EQ(parse_test::child_count(body), 400001);   // the p elements and the end tag
  EXPECT_EQ(body->closed, 1);
  EXPECT_EQ(parse_test::child_count(body->first_child), 2);
  EXPECT_EQ(written(*p.tree), html);
}

TEST(krhtml_robust, TwoHundredThousandAttributes) {
  std::string html = "<a";
  for (int i = 0; i < 200000; ++i) html += " a" + std::to_string(1000000 + i) + "=v";
  html += ">";
  parse_test::parsed p = parse(html);
  ASSERT_EQ(p.status, 2);
  xml_node *a = p.tree->first->next;
  EXPECT_EQ(a->attributes().count(), 200000);
  krval value;
  EXPECT_TRUE(a->attributes().get(krval("a1199999"), value));
  EXPECT_EQ(written(*p.tree), html);
}

TEST(krhtml_robust, FourMegabyteTokens) {
  const size_t size = 4194304 - 64;
  const std::string body(size, 'x');
  for (const std::string &html : {"<!--" + body + "-->", "<a href=\"" + body + "\">", "<a href=" + body + ">",
                                  "<!--#" + std::string(size, '>') + "-->", "<p>" + body}) {
    parse_test::parsed p = parse(html);
    ASSERT_EQ(p.status, 2);
    EXPECT_LE(p.tree->count, 3);
    EXPECT_EQ(written(*p.tree), html);
  }
}

TEST(krhtml_robust, EveryByteValueEverywhere) {
  std::string html;
  for (int round = 0; round < 64; ++round)
    for (int c = 0; c < 256; ++c) {
      html += "<p a";
      html.push_back(static_cast<char>(c));
      html += "=";
      html.push_back(static_cast<char>(c));
      html += ">";
      html.push_back(static_cast<char>(c));
      html += "</p";
      html.push_back(static_cast<char>(c));
      html += ">";
    }
  parse_test::parsed p = parse(html, {1000, 1001, 50000});
  ASSERT_EQ(p.status, 2);
  EXPECT_EQ(written(*p.tree), html);
  EXPECT_TRUE(parse_test::links_consistent(*p.tree));
}

}  // namespace
