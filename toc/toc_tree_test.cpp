#include "toc/toc_tree.h"

#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include <vector>
#include "product/product.h"
#include "test_support/toc_markup.h"
#include "toc/toc_style.h"

namespace {

toc_node *entry(int32_t level, const char *text, const char *target) {
  toc_node *n = new toc_node;
  n->level = level;
  n->entry_text = text;
  n->link_target = target;
  return n;
}

class text_sink : public html_sink {
public:
  void write(const char *bytes, int32_t count) override { text.append(bytes, count); }
  std::string text;
};

std::string joined(const std::vector<std::string> &pieces) {
  std::string all;
  for (const std::string &p : pieces) all += p;
  return all;
}

std::string link(const char *indent, int n, const char *text) {
  return toc_markup::item(indent, "#" + toc_markup::link_name(n), text);
}

TEST(toc_style, holds_its_twelve_defaults) {
  toc_style s;
  const krval *ints[] = {&s.range_from, &s.range_to, &s.process_title,
                         &s.process_decimal_notation};
  for (const krval *v : ints) EXPECT_EQ(v->tag, KR_INT);
  EXPECT_EQ(s.range_from.as_int(), 1);
  EXPECT_EQ(s.range_to.as_int(), 6);
  EXPECT_EQ(s.process_title.as_int(), 0);
  EXPECT_EQ(s.process_decimal_notation.as_int(), 0);
  const std::pair<const krval *, const char *> texts[] = {
      {&s.list_start, "<ul>\r\n"},
      {&s.list_end, "</ul>\r\n"},
      {&s.item_start, "<li>"},
      {&s.item_end, "</li>\r\n"},
      {&s.item_indentation, "  "},
      {&s.toc_anchor_attributes, " class=\"toc_item\""},
      {&s.named_anchor_attributes, " class=\"header_item\""},
      {&s.reserved, ""},
  };
  for (const auto &t : texts) {
    EXPECT_EQ(t.first->tag, KR_TEXT);
    EXPECT_EQ(t.first->str(), t.second);
  }
  EXPECT_STREQ(toc_style_keys[0], "range_from");
  EXPECT_STREQ(toc_style_keys[10], "process_decimal_notation");
}

TEST(toc_tree, renders_the_worked_example_piece_by_piece) {
  toc_style style;
  toc_tree tree;
  tree.take_markup(style, toc_layout());
  toc_node *intro = entry(1, "Intro", "#kryn_link_1_1007136000");
  tree.append_top_level(intro);
  tree.append_child(entry(2, "Setup", "#kryn_link_2_1007136000"), intro);
  tree.append_child(entry(2, "Usage", "#kryn_link_3_1007136000"), intro);
  tree.append_top_level(entry(1, "Notes", "#kryn_link_4_1007136000"));

  text_sink sink;
  tree.write_toc(sink, tree.first);
  const std::string expected = joined({
      "<!--KRYN_HTML_TOC_START-->",
      toc_explanatory_comment().str(),
      "<ul>\r\n",
      link("", 1, "Intro"),
      "<ul>\r\n",
      link("  ", 2, "Setup"),
      link("  ", 3, "Usage"),
      "</ul>\r\n",
      link("", 4, "Notes"),
      "</ul>\r\n",
      "<!--KRYN_HTML_TOC_END-->",
  });
  EXPECT_EQ(sink.text, expected);
  EXPECT_EQ(tree.indentation_length, 2);
}

TEST(toc_tree, explanatory_comment_is_seven_rows_each_ending_in_crlf) {
  EXPECT_EQ(toc_explanatory_comment().str(), toc_markup::explanatory_comment());
}

TEST(toc_tree, no_entry_gives_no_block_at_all) {
  toc_tree tree;
  text_sink sink;
  tree.write_toc(sink, nullptr);
  EXPECT_EQ(sink.text, "");
}

TEST(toc_tree, nesting_indentation_and_unescaped_text) {
  toc_style style;
  toc_tree tree;
  tree.take_markup(style, toc_layout());
  // h1 then h4: one level deep, whatever the level gap; then a third level.
  toc_node *h1 = entry(1, "A &amp; <b>B</b>", "#a");
  tree.append_top_level(h1);
  toc_node *h4 = entry(4, "D", "#d");
  tree.append_child(h4, h1);
  tree.append_child(entry(5, "E", "#e"), h4);

  text_sink sink;
  tree.write_toc(sink, tree.first);
  const std::string list = joined({
      "<ul>\r\n",
      "<li><a href=\"#a\" class=\"toc_item\">A &amp; <b>B</b></a></li>\r\n",
      "<ul>\r\n",
      "  <li><a href=\"#d\" class=\"toc_item\">D</a></li>\r\n",
      "<ul>\r\n",
      "    <li><a href=\"#e\" class=\"toc_item\">E</a></li>\r\n",
      "</ul>\r\n</ul>\r\n</ul>\r\n<!--KRYN_HTML_TOC_END-->",
  });
  EXPECT_EQ(sink.text, "<!--KRYN_HTML_TOC_START-->" + toc_explanatory_comment().str() + list);

  tree.indentation_unit = "";
  sink.text.clear();
  tree.write_toc(sink, tree.first);
  EXPECT_NE(sink.text.find("\r\n<li><a href=\"#e\" class=\"toc_item\">E</a></li>\r\n"), std::string::npos);
  EXPECT_EQ(tree.indentation_length, 0);
}

TEST(toc_tree, a_sub_chain_renders_at_its_own_depth) {
  toc_tree tree;
  tree.indentation_unit = "-";
  toc_node *top = entry(1, "T", "#t");
  tree.append_top_level(top);
  toc_node *child = entry(2, "C", "#c");
  tree.append_child(child, top);
  text_sink sink;
  tree.write_list(child, sink);
  EXPECT_EQ(sink.text, "-<a href=\"#c\">C</a>");
}

TEST(toc_tree, adopted_entries_follow_the_children_and_leave_their_tree_empty) {
  toc_tree tree, other;
  toc_node *top = entry(1, "T", "#t");
  tree.append_top_level(top);
  tree.append_child(entry(2, "C", "#c"), top);
  toc_node *a = entry(1, "A", "#a");
  other.append_top_level(a);
  other.append_child(entry(2, "A1", "#a1"), a);
  other.append_top_level(entry(1, "B", "#b"));
  tree.adopt_entries(other, top);
  EXPECT_EQ(other.first, nullptr);
  EXPECT_EQ(other.count, 0);
  EXPECT_EQ(top->child_count, 3);
  text_sink sink;
  tree.write_list(top->first_child, sink);
  EXPECT_EQ(sink.text, "<a href=\"#c\">C</a><a href=\"#a\">A</a><a href=\"#a1\">A1</a><a href=\"#b\">B</a>");
  for (toc_node *n = top->first_child; n; n = n->next) EXPECT_EQ(n->parent, top);
}

TEST(toc_tree, deep_nesting_renders_without_recursion) {
  toc_tree tree;
  toc_node *parent = entry(1, "x", "#x");
  tree.append_top_level(parent);
  for (int i = 0; i < 200000; ++i) {
    toc_node *n = entry(2, "x", "#x");
    tree.append_child(n, parent);
    parent = n;
  }
  text_sink sink;
  tree.write_toc(sink, tree.first);
  const std::string item = "<a href=\"#x\">x</a>";
  EXPECT_EQ(sink.text.size(), std::strlen(toc_start_marker) + toc_explanatory_comment().str().size() +
                                  std::strlen(toc_end_marker) + 200001 * item.size());
}

}  // namespace
