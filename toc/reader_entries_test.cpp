// Entries as a reader sees their headings, and the headings left out for
// where they stand (menus, pop-ups, hidden parts, outside a chosen element),
// outside the classic style; the classic style takes every heading as it is.
#include <gtest/gtest.h>

#include <string>
#include <vector>
#include "regex/regex_binding.h"
#include "toc/heading_scope.h"
#include "toc/page_settings.h"
#include "toc/toc_test_util.h"

namespace {

using strings = std::vector<std::string>;

void collect(const toc_node *n, strings &texts) {
  for (; n; n = n->next) {
    texts.push_back(n->entry_text.str());
    collect(n->first_child, texts);
  }
}

toc_options reader_options(const std::string &within = "") {
  toc_options options;
  predefined_style("html5", options.style, options.layout, options.preferred);
  options.anchors = toc_anchor_mode::id;
  options.names = toc_naming::slug;
  options.heading_ids = true;
  options.reader_entries = true;
  options.within = within;
  options.stamp = toc_test::example_stamp;
  return options;
}

toc_options classic_options(const std::string &within = "") {
  toc_options options;
  options.heading_ids = true;
  options.within = within;
  options.stamp = toc_test::example_stamp;
  return options;
}

strings entries_of(const std::string &page, const toc_options &options) {
  auto made = toc_test::transform_with(page, options);
  EXPECT_EQ(made->result, 0);
  strings texts;
  collect(made->tree.first, texts);
  return texts;
}

class reader_entries_test : public ::testing::Test {
protected:
  static void SetUpTestSuite() { ASSERT_TRUE(load_regex_library()); }
};

TEST_F(reader_entries_test, an_entry_is_what_a_reader_sees_and_nothing_seen_is_no_heading) {
  struct heading {
    const char *markup;
    const char *entry;   // empty: no entry, no anchor
  };
  const heading cases[] = {
      {"<h2><img src=l.png alt=\"Logo\"></h2>", "Logo"},
      {"<h2><img src=l.png alt=\"1 < 2\"> &amp; c</h2>", "1 &lt; 2 &amp; c"},
      {"<h2><img src=l.png></h2>", ""},
      {"<h2><IMG SRC=l.png ALT=\"\"></h2>", ""},
      {"<h2>Function vextq_f32&nbsp;<button>Copy item path</button></h2>", "Function vextq_f32"},
      {"<h2>Title<template><b>later</b><a name=\"t\">t</a></template></h2>", "Title"},
      {"<h2>A <span hidden>secret <b>deep</b></span>B <i>c</i></h2>", "A B c"},
      {"<h2>A<span aria-hidden=\"TRUE\">#</span><span aria-hidden=\"false\">!</span></h2>", "A!"},
      {"<h2 aria-hidden=\"true\">Whole</h2>", ""},
      {"<h2>\r\n  Spaced \t out\n </h2>", "Spaced out"},
      {"<h2>One<br>Two</h2>", "One Two"},
      {"<h2> \r\n </h2>", ""},
      {"<h2>&nbsp;<button>x</button></h2>", ""},
  };
  for (const heading &c : cases) {
    SCOPED_TRACE(c.markup);
    const std::string page = std::string("<body>\n") + c.markup + "\n<h2>Next</h2>";
    auto made = toc_test::transform_with(page, reader_options());
    ASSERT_EQ(made->result, 0);
    strings texts;
    collect(made->tree.first, texts);
    const strings expected = *c.entry ? strings{c.entry, "Next"} : strings{"Next"};
    EXPECT_EQ(texts, expected);
    // No anchor where there is no entry; otherwise a name from the same
    // text, never a name hidden from the reader.
    const std::string after_block = made->output.substr(made->output.find("TOC_END-->\n") + 11);
    if (!*c.entry) {
      EXPECT_EQ(after_block.find(c.markup), 0u) << after_block;
    }
    EXPECT_NE(made->tree.first->link_target.str(), "#t");
    // The classic style lists the heading as it stands.
    EXPECT_EQ(entries_of(page, classic_options()).size(), 2u);
  }
  auto made = toc_test::transform_with("<body><h2>Function f&nbsp;<button>Copy</button></h2>", reader_options());
  EXPECT_EQ(made->tree.first->link_target.str(), "#function-f");
}

// One page with a site's menus, pop-ups and hidden parts around its main
// element; the TOC comment inside it, after its first heading.
const std::string site_page =
    "<body><nav><h2>Menu</h2><ul><li><h3>Sub</h3></li></ul></nav>\n"
    "<aside><h2>Aside</h2></aside><dialog><h2>Pop</h2></dialog>\n"
    "<div hidden><div><h2>Hidden deep</h2></div></div><h2 hidden>Hidden self</h2>\n"
    "<NAV><h2>Upper</h2></NAV>\n"
    "<main id=\"content\" class=\"page body\"><h1>Main</h1><!-- toc -->\n"
    "<section><h2>Part</h2></section><h2 class=\"notoc\">No</h2><h2 class=\"x\">Skipped</h2></main>\n"
    "<h2>After</h2>\n";

TEST_F(reader_entries_test, headings_are_left_out_for_where_they_stand) {
  struct scope {
    toc_options options;
    strings entries;
  };
  toc_options skip_x = reader_options();
  skip_x.skip_classes = {"x"};
  const scope cases[] = {
      {reader_options(), {"Part", "Skipped", "After"}},
      {skip_x, {"Part", "After"}},
      {reader_options("main"), {"Main", "Part", "Skipped"}},
      {reader_options("MAIN"), {"Main", "Part", "Skipped"}},
      {reader_options("#content"), {"Main", "Part", "Skipped"}},
      {reader_options(".body"), {"Main", "Part", "Skipped"}},
      {reader_options("section"), {"Part"}},
      {reader_options("article"), {}},
      {reader_options("#page"), {}},
      {classic_options(), {"Part", "No", "Skipped", "After"}},
      {classic_options("main"), {"Main", "Part", "No", "Skipped"}},
      {classic_options("nav"), {"Menu", "Sub"}},
  };
  for (const scope &c : cases) {
    SCOPED_TRACE(c.options.within + (c.options.reader_entries ? " reader" : " classic"));
    EXPECT_EQ(entries_of(site_page, c.options), c.entries);
  }
}

// Headings asked about in document order on pages nested deep and in every
// way: each is taken exactly when a walk over all its ancestors says so.
TEST_F(reader_entries_test, a_heading_is_taken_for_its_ancestors_however_deep) {
  const char *pieces[] = {"<div>", "</div>", "<nav>", "</nav>", "<main>", "<section hidden>", "</section>",
                          "<b>",   "x",      "<p>",   "<h2>",   "</h2>",  "<h2>",   "<h2>"};
  uint32_t state = 7;
  auto draw = [&state](uint32_t n) {
    state = state * 1103515245u + 12345u;
    return (state >> 16) % n;
  };
  for (int page_number = 0; page_number < 200; ++page_number) {
    std::string page;
    for (uint32_t i = 0, n = 50 + draw(400); i < n; ++i) page += pieces[draw(std::size(pieces))];
    const auto parsed = parse_test::parse(page);
    const xml_node *main = nullptr;
    std::vector<const xml_node *> headings;
    for (xml_node *n = parsed.tree->first; n; n = xml_tree::next_in_order(n)) {
      if (n->kind != XML_START_TAG) continue;
      if (!main && n->name == "main") main = n;
      if (n->name == "h2") headings.push_back(n);
    }
    heading_scope anywhere(true, false, nullptr), within_main(true, true, main);
    for (const xml_node *h : headings) {
      bool out = false, inside = h == main;
      for (const xml_node *a = h->parent; a; a = a->parent) {
        out = out || a->name == "nav" || a->name == "section";
        inside = inside || a == main;
      }
      SCOPED_TRACE(page);
      EXPECT_EQ(anywhere.takes(h), !out);
      EXPECT_EQ(within_main.takes(h), !out && inside);
    }
  }
}

// The TOC's own nav is never the element chosen: a remake finds the
// author's element again.
TEST_F(reader_entries_test, the_old_block_is_never_the_chosen_element) {
  const toc_options options = reader_options(".toc");
  const std::string once = toc_test::transform_with("<body><div class=\"toc\"><h2>A</h2></div>", options)->output;
  ASSERT_NE(once.find("<nav class=\"toc\""), std::string::npos);
  EXPECT_EQ(toc_test::transform_with(once, options)->output, once);
  EXPECT_EQ(entries_of(once, options), strings{"A"});
}

TEST_F(reader_entries_test, a_selector_is_a_tag_an_id_or_a_class) {
  for (const char *good : {"main", "MAIN", "h2", "my-element", "#content", "#a_b-1", ".toc", ".x_y"}) {
    toc_choices choices;
    std::string error;
    EXPECT_TRUE(set_toc_choice(choices, "within", good, error)) << good;
    EXPECT_EQ(choices.within, good);
  }
  for (const char *bad : {"", "#", ".", "div.x", "main article", "#a,#b", "1x", ">p", "a#b", "[id]", ".x:y"}) {
    toc_choices choices;
    std::string error;
    EXPECT_FALSE(set_toc_choice(choices, "within", bad, error)) << bad;
    EXPECT_EQ(error, std::string("within must be a tag name (main), #id or .class, not '") + bad + "'");
  }
}

}  // namespace
