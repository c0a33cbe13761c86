#include "toc/html_toc.h"

#include <gtest/gtest.h>
#include <chrono>
#include <random>
#include <string>
#include <vector>
#include "regex/regex_binding.h"
#include "test_support/toc_markup.h"
#include "toc/toc_comment.h"
#include "toc/toc_test_util.h"

namespace {

using toc_test::toc_of;
using toc_test::transform_text;

const std::string start = "<!--KRYN_HTML_TOC_START-->";
const std::string end = "<!--KRYN_HTML_TOC_END-->";
using toc_markup::block;

std::string item(const std::string &indent, const std::string &target, const std::string &text) {
  return toc_markup::item(indent, "#" + target, text);
}
std::string link_name(int n) { return toc_markup::link_name(n); }
std::string anchor(int n, const std::string &content) { return toc_markup::anchor(link_name(n), content); }

// The entries of a tree as "level:text" in document order, with nesting shown
// by brackets around each sub-chain.
std::string shape(const toc_node *n) {
  std::string out;
  for (; n; n = n->next) {
    out += std::to_string(n->level) + ":" + n->entry_text.str();
    if (n->first_child) out += "[" + shape(n->first_child) + "]";
    if (n->next) out += " ";
  }
  return out;
}

class html_toc_test : public ::testing::Test {
protected:
  static void SetUpTestSuite() { ASSERT_TRUE(load_regex_library()); }
};

TEST_F(html_toc_test, heading_level_takes_two_letter_names_within_the_range) {
  html_toc t;
  EXPECT_EQ(t.heading_level(krval("h1")), 1);
  EXPECT_EQ(t.heading_level(krval("H6")), 6);
  for (const char *name : {"h0", "h7", "hr", "h10", "b1", "h", ""})
    EXPECT_EQ(t.heading_level(krval(name)), 0) << name;
  t.range_from = 3;
  t.range_to = 2;
  EXPECT_EQ(t.heading_level(krval("h2")), 0);
}

TEST_F(html_toc_test, body_heading_gets_an_anchor_around_its_content) {
  auto r = transform_text("<html><body><h1>A</h1></body></html>");
  ASSERT_EQ(r->result, 0);
  ASSERT_NE(r->transform.insertion_node, nullptr);
  EXPECT_EQ(r->transform.insertion_node, r->transform.body_node);
  xml_node *h1 = r->transform.first_heading;
  ASSERT_NE(h1, nullptr);
  EXPECT_EQ(h1->raw_text.str(), "<h1><a name=\"kryn_link_1_1007136000\" class=\"header_item\">");
  ASSERT_NE(h1->first_child, nullptr);
  xml_node *last = xml_tree::last_sibling(h1->first_child);
  EXPECT_EQ(last->kind, XML_END_TAG);
  EXPECT_EQ(last->raw_text.str(), "</a></h1>");
  // A heading without an end tag of its own gets its anchor as two text nodes.
  auto open = transform_text("<body><h2>A<p>B");
  EXPECT_EQ(open->output, "<body>" + block("<ul>\r\n" + item("", link_name(1), "AB") + "</ul>\r\n") +
                              "<h2>" + anchor(1, "A<p>B"));
  ASSERT_NE(r->tree.first, nullptr);
  EXPECT_EQ(r->tree.first->entry_text.str(), "A");
  EXPECT_EQ(r->tree.first->link_target.str(), "#kryn_link_1_1007136000");
  EXPECT_EQ(r->transform.current_entry, r->tree.first);
}

TEST_F(html_toc_test, worked_example_block_after_the_insertion_comment) {
  std::string html = "<p>x</p><!-- toc --><h1>Intro</h1><h2>Setup</h2><h2>Usage</h2><h1>Notes</h1>";
  std::string list = "<ul>\r\n" + item("", link_name(1), "Intro") + "<ul>\r\n" +
                     item("  ", link_name(2), "Setup") + item("  ", link_name(3), "Usage") +
                     "</ul>\r\n" + item("", link_name(4), "Notes") + "</ul>\r\n";
  EXPECT_EQ(toc_of(html), "<p>x</p><!-- toc -->" + block(list) + "<h1>" + anchor(1, "Intro") +
                              "</h1><h2>" + anchor(2, "Setup") + "</h2><h2>" +
                              anchor(3, "Usage") + "</h2><h1>" + anchor(4, "Notes") + "</h1>");
}

TEST_F(html_toc_test, entry_text_is_the_raw_text_of_the_heading) {
  auto r = transform_text("<body><h2 class=x><b>Bold</b> &amp; more<!-- c --></h2>");
  ASSERT_NE(r->tree.first, nullptr);
  EXPECT_EQ(r->tree.first->entry_text.str(), "Bold &amp; more");
}

TEST_F(html_toc_test, existing_named_anchor_is_reused_and_still_counted) {
  std::string html = "<body><h1><a name=\"intro\">Intro</a></h1><h1>Next</h1>";
  auto r = transform_text(html);
  ASSERT_NE(r->tree.first, nullptr);
  EXPECT_EQ(r->tree.first->link_target.str(), "#intro");
  EXPECT_EQ(r->tree.first->next->link_target.str(), "#" + link_name(2));
  EXPECT_EQ(r->output, "<body>" +
                           block("<ul>\r\n" + item("", "intro", "Intro") +
                                 item("", link_name(2), "Next") + "</ul>\r\n") +
                           "<h1><a name=\"intro\">Intro</a></h1><h1>" + anchor(2, "Next") +
                           "</h1>");
}

TEST_F(html_toc_test, anchors_without_a_usable_name_are_not_reused) {
  // An empty anchor is one complete element for the parser, so it is no start
  // tag named a; an empty name leaves the search open.
  auto r = transform_text(
      "<body><h1><a name=\"x\"></a>Intro</h1><h1><a name=\"\">B</a><a NAME=later>C</a></h1>");
  ASSERT_NE(r->tree.first, nullptr);
  EXPECT_EQ(r->tree.first->link_target.str(), "#" + link_name(1));
  EXPECT_EQ(r->tree.first->entry_text.str(), "Intro");
  EXPECT_EQ(r->tree.first->next->link_target.str(), "#later");
  EXPECT_NE(r->output.find("<h1>" + anchor(1, "<a name=\"x\"></a>Intro") + "</h1>"),
            std::string::npos);
}

TEST_F(html_toc_test, empty_and_self_closed_headings_are_skipped) {
  std::string html = "<body><h2></h2><h3/><h7>seven</h7><h4>Four</h4>";
  auto r = transform_text(html);
  EXPECT_EQ(shape(r->tree.first), "4:Four");
  EXPECT_EQ(r->tree.first->link_target.str(), "#" + link_name(1));
  EXPECT_NE(r->output.find("<h2></h2><h3/><h7>seven</h7><h4>" + anchor(1, "Four")),
            std::string::npos);
}

TEST_F(html_toc_test, headings_before_the_toc_comment_are_left_alone) {
  std::string html = "<body><h1>Title</h1>\r\n<!--\tTOC\r\n-->\r\n<h2>One</h2>";
  auto r = transform_text(html);
  EXPECT_EQ(r->output, "<body><h1>Title</h1>\r\n<!--\tTOC\r\n-->" +
                           block("<ul>\r\n" + item("", link_name(1), "One") + "</ul>\r\n") +
                           "\r\n<h2>" + anchor(1, "One") + "</h2>");
}

TEST_F(html_toc_test, toc_comment_pattern_takes_only_the_word_toc) {
  for (const char *comment : {"<!--TOC-->", "<!--  toc\r\n-->", "<!--toc-->"}) {
    auto r = transform_text(std::string("<body><h1>A</h1>") + comment + "<h1>B</h1>");
    ASSERT_NE(r->transform.insertion_node, nullptr);
    EXPECT_EQ(r->transform.insertion_node->raw_text.str(), comment);
    EXPECT_EQ(shape(r->tree.first), "1:B");
  }
  for (const char *comment : {"<!-- toc here -->", "<!-- tocs -->", "<!--#toc-->"}) {
    auto r = transform_text(std::string("<body><h1>A</h1>") + comment + "<h1>B</h1>");
    EXPECT_EQ(r->transform.insertion_node, r->transform.body_node) << comment;
  }
}

// The window's rule is the pattern matched anywhere in the comment; words
// after toc make no TOC comment there. The reader that decides for both
// programs finds a plain TOC comment exactly where the pattern matches,
// settings on or off.
TEST_F(html_toc_test, the_toc_comment_reader_finds_what_the_pattern_finds) {
  for (const char *comment : {"<!-- x <!-- toc -->", "<!--\tToC \n-->"}) {
    auto r = transform_text(std::string("<body><h1>A</h1>") + comment + "<h1>B</h1>");
    EXPECT_EQ(r->transform.toc_comment, r->transform.insertion_node) << comment;
    EXPECT_EQ(shape(r->tree.first), "1:B") << comment;
  }
  // A NUL byte ends the text the pattern sees.
  for (const std::string &comment : {std::string("<!-- toc levels=1 -->"), std::string("<!-- toc = -->"),
                                    std::string("<!-- x <!-- toc levels=1 -->"),
                                    std::string("<!-- \0 <!-- toc -->", 19)}) {
    auto r = transform_text("<body><h1>A</h1>" + comment + "<h1>B</h1>");
    EXPECT_EQ(r->transform.insertion_node, r->transform.body_node) << comment;
  }
  const std::vector<std::string> pieces = {"<!--", "-->", "--", "<!", "<", ">", " ", "\t", "\r\n",
                                           "toc",  "TOC", "tOc", "to", "c", "x", "=", "a=b"};
  const html_toc window;
  std::mt19937 random(29);
  for (int i = 0; i < 20000; ++i) {
    std::string comment = random() % 2 ? "<!--" : "";
    for (int n = random() % 7; n > 0; --n) comment += pieces[random() % pieces.size()];
    if (random() % 2) comment += "-->";
    const bool pattern = regex_match(window.toc_comment_pattern, REGEX_ICASE, krval(comment.c_str())) == 0;
    for (bool settings_on : {false, true})
      ASSERT_EQ(toc_comment_form_of(comment.data(), static_cast<int32_t>(comment.size()), settings_on) ==
                    toc_comment_form::plain,
                pattern)
          << comment;
  }
}

TEST_F(html_toc_test, entries_nest_by_level) {
  auto r = transform_text("<body><h2>a</h2><h3>b</h3><h3>c</h3><h1>d</h1><h2>e</h2>");
  EXPECT_EQ(shape(r->tree.first), "2:a[3:b 3:c] 1:d[2:e]");
  r = transform_text("<body><h3>a</h3><h1>b</h1>");
  EXPECT_EQ(shape(r->tree.first), "3:a 1:b");
  r = transform_text("<body><h1>a</h1><h4>b</h4><h2>c</h2><h5>d</h5><h1>e</h1>");
  EXPECT_EQ(shape(r->tree.first), "1:a[4:b 2:c[5:d]] 1:e");
}

TEST_F(html_toc_test, first_of_each_marker_counts) {
  std::string html = "<body>" + start + "old" + start + end + "kept" + end + "<h1>A</h1>";
  auto r = transform_text(html);
  ASSERT_NE(r->transform.start_marker, nullptr);
  EXPECT_EQ(r->transform.start_marker->next->raw_text.str(), "old");
  EXPECT_EQ(r->transform.end_marker->previous->raw_text.str(), start);
  EXPECT_EQ(r->output, "<body>" +
                           block("<ul>\r\n" + item("", link_name(1), "A") + "</ul>\r\n") +
                           "kept" + end + "<h1>" + anchor(1, "A") + "</h1>");
}

TEST_F(html_toc_test, writer_marker_rules) {
  // A marker without its partner is ordinary text.
  EXPECT_EQ(toc_of("<body>" + start + "x"), "<body>" + start + "x");
  EXPECT_EQ(toc_of("<body>" + end + "x"), "<body>" + end + "x");
  // Without the insert flag everything is written, markers included.
  std::string old = "<body>" + start + "<ul></ul>" + end + "<h1>A</h1>";
  EXPECT_EQ(transform_text(old, 0)->output,
            "<body>" + start + "<ul></ul>" + end + "<h1>" + anchor(1, "A") + "</h1>");
  // An insertion comment inside the old block: the block goes with it.
  EXPECT_EQ(toc_of(start + "<!--toc-->" + end + "<h1>A</h1>"), "<h1>" + anchor(1, "A") + "</h1>");
}

TEST_F(html_toc_test, no_heading_leaves_the_text_but_drops_an_old_block) {
  std::string html = "<html><body><p>Hello</p>" + start + "<ul>old</ul>" + end + "</body></html>";
  auto r = transform_text(html);
  EXPECT_EQ(r->tree.first, nullptr);
  EXPECT_EQ(r->output, "<html><body><p>Hello</p></body></html>");
  EXPECT_EQ(transform_text("<p>plain</p>", 0)->output, "<p>plain</p>");
  // No body, no heading: the insertion node is the root node.
  r = transform_text("<p>plain</p>");
  EXPECT_EQ(r->transform.insertion_node, r->document.tree->first);
}

TEST_F(html_toc_test, without_body_the_block_follows_the_node_before_the_first_heading) {
  // The climb stops at the section, whose previous sibling is the p element:
  // the block follows the whole of it, never inside it (inside a title or a
  // script it would be their text).
  std::string html = "<div><p>x</p><section><h1>A</h1></section></div>";
  auto r = transform_text(html);
  ASSERT_NE(r->transform.insertion_node, nullptr);
  EXPECT_EQ(r->transform.insertion_node->raw_text.str(), "</p>");
  EXPECT_EQ(r->output, "<div><p>x</p>" + block("<ul>\r\n" + item("", link_name(1), "A") + "</ul>\r\n") +
                           "<section><h1>" + anchor(1, "A") + "</h1></section></div>");
  r = transform_text("text\r\n<h2>A</h2>");
  EXPECT_EQ(r->transform.insertion_node->raw_text.str(), "text\r\n");
  for (const std::string before : {"<title>T</title>", "<script>var a=1;</script>", "<p>x"}) {
    const std::string made = toc_of(before + "<h1>A</h1>");
    EXPECT_EQ(made.substr(0, before.size()), before);
    EXPECT_EQ(toc_of(made, 5), made) << before;
  }
}

TEST_F(html_toc_test, remake_without_body_keeps_its_block) {
  // The old block stands directly before the first heading: the climb stops
  // at the old end marker, which the writer leaves out. The new block must
  // take the old one's place instead of vanishing with it.
  std::string html = "<h1>A</h1>\r\n<h2>B</h2>";
  std::string first = toc_of(html);
  ASSERT_EQ(first.compare(0, start.size(), start), 0);
  std::string second = toc_of(first, 1234);
  EXPECT_EQ(second, first);
  EXPECT_EQ(toc_of(second, 99), first);

  // The same with text before the old block, inside an element.
  std::string nested = "<div>intro " + block("<ul>\r\n</ul>\r\n") + "<h1>A</h1></div>";
  EXPECT_EQ(toc_of(nested), "<div>intro " +
                                block("<ul>\r\n" + item("", link_name(1), "A") + "</ul>\r\n") +
                                "<h1>" + anchor(1, "A") + "</h1></div>");
}

TEST_F(html_toc_test, remake_keeps_anchors_and_replaces_the_block) {
  std::string html = "<html><body>\r\n<h1>Intro</h1>\r\n<h2>Setup</h2>\r\n</body></html>";
  std::string first = toc_of(html);
  std::string second = toc_of(first, 2000000000);
  EXPECT_EQ(second, first);
  EXPECT_EQ(second.find(start), second.rfind(start));
}

// The writer hands the bytes of neighbouring nodes on in one piece where
// they stand together, and never joins bytes that only happen to follow
// each other in memory after a piece that is gone.
// A heading's start tag ends an open heading (and an open paragraph in it),
// as browsers read it: unclosed headings are siblings. A heading inside
// another element of a heading is part of that heading's entry; where the
// insertion node stands inside a heading, only what follows it is listed.
TEST_F(html_toc_test, a_heading_start_ends_an_open_heading) {
  auto r = transform_text("<body><h2>Q0<p>A0</p><h2>Q1<p>A1<h2>Q2");
  EXPECT_EQ(shape(r->tree.first), "2:Q0A0 2:Q1A1 2:Q2");
  EXPECT_EQ(r->output.substr(r->output.find("<h2>")),
            "<h2>" + anchor(1, "Q0<p>A0</p>") + "<h2>" + anchor(2, "Q1<p>A1") + "<h2>" + anchor(3, "Q2"));
  EXPECT_EQ(shape(transform_text("<body><h1>A<h2>B</h2></h1><h3>C</h3>")->tree.first), "1:A[2:B[3:C]]");
  EXPECT_EQ(shape(transform_text("<body><h1>A<b><h2>B</h2></b></h1><h3>C</h3>")->tree.first), "1:AB[3:C]");
  r = transform_text("<h1>A <!-- toc --><b><h2>B</h2></b><h4>D</h4></h1><h3>E</h3>");
  EXPECT_EQ(shape(r->tree.first), "2:B[4:D 3:E]");
  EXPECT_EQ(r->output.substr(0, 18), "<h1>A <!-- toc -->");
  r = transform_text("<div><h1>x<div><h2>y</h2></div></h1></div><!--toc--><h5>z</h5>");
  EXPECT_EQ(shape(r->tree.first), "5:z");
  EXPECT_EQ(r->output.substr(0, 42), "<div><h1>x<div><h2>y</h2></div></h1></div>");
}

// The old block is a start marker and the first end marker after it; a
// marker without its partner is the author's text. Whatever the order,
// nothing outside the old block is lost, a remake is a fixed point and
// removal keeps every byte of the author's.
TEST_F(html_toc_test, markers_out_of_order_lose_nothing) {
  const std::string pages[] = {
      "<html><body>\n" + end + "\n" + start + end + "\n<h1>A</h1><p>Precious</p>\n</body></html>\n",
      "<body>" + start + "\n<h1>A</h1><p>Precious</p>",
      "<body>" + end + end + "<h1>A</h1><p>Precious</p>" + start,
      "<body>" + start + start + end + "<h1>A</h1><p>Precious</p>" + end,
  };
  toc_options options;
  options.stamp = 5;
  for (const std::string &page : pages) {
    const std::string made = toc_of(page);
    EXPECT_NE(made.find("Precious</p>"), std::string::npos) << page;
    EXPECT_EQ(toc_of(made, 9), made) << page;
    const std::string removed = toc_test::removed_from(made, options);
    EXPECT_EQ(toc_test::removed_from(removed, options), removed) << page;
    EXPECT_NE(removed.find("Precious</p>"), std::string::npos) << page;
  }
  EXPECT_EQ(toc_test::removed_from(toc_of(pages[0]), options),
            "<html><body>\n" + end + "\n\n<h1>A</h1><p>Precious</p>\n</body></html>\n");
}

// What raw-text elements hold is inert where it stands: in an entry it
// would become markup (a live image handler, a real end marker).
TEST_F(html_toc_test, text_of_scripts_and_text_areas_never_enters_an_entry) {
  auto r = transform_text("<body><h2>Reply<textarea><img src=x onerror=alert(1)></textarea></h2>"
                          "<h2>T<script>var m=\"" + end + "\";</script><style>b{}</style><xmp><i></xmp>"
                          "<title><b></title></h2>");
  EXPECT_EQ(shape(r->tree.first), "2:Reply 2:T");
  const std::string made = r->output;
  EXPECT_EQ(toc_of(made, 3), made);
  EXPECT_EQ(made.find(start), made.rfind(start));
  const std::string block_text = made.substr(0, made.find(end));
  EXPECT_EQ(block_text.find("<img"), std::string::npos);
  EXPECT_EQ(toc_test::removed_from(made, toc_options()),
            toc_test::removed_from(toc_of(made, 11), toc_options()));
}

// An element's first attribute of a name counts, as browsers read it. A
// heading whose id names nothing (id="") gets its anchor inside it, never a
// second id: remade it stays as it is, removed it is as it was.
TEST_F(html_toc_test, an_empty_or_repeated_id_is_read_as_browsers_read_it) {
  toc_options ids;
  ids.stamp = 9;
  ids.anchors = toc_anchor_mode::id;
  ids.heading_ids = true;
  const std::string page = "<body><h2 id=\"\">E</h2><h2 id=\"a\" id=\"b\">F</h2><h2 ID=x id>G</h2>";
  auto r = toc_test::transform_with(page, ids);
  EXPECT_EQ(r->tree.first->next->link_target.str(), "#a");
  EXPECT_EQ(r->tree.first->next->next->link_target.str(), "#x");
  const std::string made = r->output;
  EXPECT_EQ(made.find("id=\"kryn"), std::string::npos) << made;
  EXPECT_EQ(toc_test::transform_with(made, ids)->output, made);
  EXPECT_EQ(toc_test::removed_from(made, ids), page);
}

// Removal takes out only an "</a>" where this tool puts one: with that one
// deleted by hand, an author's "</a>" further on stays.
TEST_F(html_toc_test, removal_keeps_the_authors_end_of_link) {
  const std::string page = "<body><h2>T <a href=\"#y\">L</a> more</h2><p>x</p>";
  toc_options options;
  options.stamp = 4;
  std::string made = toc_test::transform_with(page, options)->output;
  const size_t ours = made.rfind("</a></h2>");
  ASSERT_NE(ours, std::string::npos);
  made.erase(ours, 4);
  EXPECT_EQ(toc_test::removed_from(made, options), page);
}

TEST_F(html_toc_test, writer_hands_on_runs_of_stored_bytes) {
  class counting_sink : public html_sink {
  public:
    void write(const char *bytes, int32_t count) override {
      text.append(bytes, count);
      ++writes;
    }
    std::string text;
    int writes = 0;
  };
  std::string page = "<html><body>\r\n";
  for (int i = 0; i < 2000; ++i) page += "<p class=x>text " + std::to_string(i) + "</p>\r\n";
  page += "<h1>Title</h1></body></html>";
  auto r = transform_text(page);
  counting_sink sink;
  write_html_document(*r->document.tree, sink, 1, r->tree, r->tree.first, r->transform.start_marker,
                      r->transform.end_marker, r->transform.insertion_node);
  EXPECT_EQ(sink.text, r->output);
  EXPECT_LT(sink.writes, 40) << "about 10000 nodes";

  // Nodes whose texts are Values of their own (an integer, a copy) between
  // stored ones: each is written where it stands.
  xml_tree &tree = *r->document.tree;
  xml_node *body = tree.first->next->first_child;
  ASSERT_EQ(body->raw_text.str(), "<body>");
  xml_node *number = new xml_node;
  number->raw_text = int32_t(42);
  tree.insert_first_child(number, body);
  xml_node *copy = new xml_node;
  copy->raw_text = "[copy]";
  tree.insert_after(copy, number);
  counting_sink again;
  toc_tree no_entries;
  write_html_document(tree, again, 0, no_entries, nullptr, nullptr, nullptr, nullptr);
  std::string expected;
  for (xml_node *n = tree.first; n; n = xml_tree::next_in_order(n)) expected += n->raw_text.str();
  EXPECT_EQ(again.text, expected);
  EXPECT_EQ(again.text.compare(0, 20, "<html><body>42[copy]"), 0);
}

TEST_F(html_toc_test, add_entry_continues_from_an_earlier_runs_last_entry) {
  toc_tree tree;
  html_toc t;
  t.tree = &tree;
  const int levels[] = {2, 3, 1, 3, 2, 2};
  for (int level : levels) {
    toc_node *e = new toc_node;
    e->level = level;
    e->entry_text = krval(int32_t(level));
    t.add_entry(e);
    EXPECT_EQ(t.current_entry, e);
  }
  EXPECT_EQ(shape(tree.first), "2:2[3:3] 1:1[3:3 2:2 2:2]");
  EXPECT_EQ(tree.count, 2);
  EXPECT_EQ(tree.first->next->child_count, 3);
}

// Hundreds of thousands of headings in one chain, and as deep chains under
// one parent: each append finds the end of its chain at once.
TEST_F(html_toc_test, add_entry_is_bounded_per_heading) {
  const int n = 400000;
  auto started = std::chrono::steady_clock::now();
  for (int pattern = 0; pattern < 3; ++pattern) {
    toc_tree tree;
    html_toc t;
    t.tree = &tree;
    for (int i = 0; i < n; ++i) {
      toc_node *e = new toc_node;
      e->level = pattern == 0 ? 1 : pattern == 1 ? (i == 0 ? 1 : 2) : (i % 2 ? 1 : 2);
      t.add_entry(e);
    }
    if (pattern == 0) {
      EXPECT_EQ(tree.count, n);
    } else if (pattern == 1) {
      EXPECT_EQ(tree.first->child_count, n - 1);
    } else {
      EXPECT_EQ(tree.count, n / 2 + 1);
    }
  }
  double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  EXPECT_LT(seconds, 10.0);
}

TEST_F(html_toc_test, four_hundred_thousand_headings_take_linear_time) {
  std::string html;
  for (int i = 0; i < 400000; ++i) html += "<h1>x</h1>";
  ASSERT_LT(html.size(), 4194304u);
  auto started = std::chrono::steady_clock::now();
  auto r = transform_text(html);
  double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  ASSERT_EQ(r->result, 0);
  EXPECT_EQ(r->tree.count, 400000);
  EXPECT_EQ(r->transform.anchor_counter, 400000);
  EXPECT_LT(seconds, 60.0);
}

}  // namespace
