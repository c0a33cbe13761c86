// The properties of the transform for every combination of options, on
// generated pages: a remake is a fixed point, taking out what was inserted
// (by hand, and with --remove) gives the page back, every link of the block
// resolves, and no name the tool made is used twice; a run without options
// remakes and takes apart a page as the settings its block records say. And the markup of the html5, ol and details styles
// is valid HTML, as a real HTML parser reads it.
#include <gtest/gtest.h>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>
#include "page_files/make_toc_file.h"
#include "page_files/style_files.h"
#include "regex/regex_binding.h"
#include "test_support/scratch_folder.h"
#include "page_files/make_toc_file.h"
#include "page_files/style_files.h"
#include "toc/make_toc.h"
#include "toc/page_settings.h"
#include "toc/toc_generated_pages.h"
#include "toc/toc_style_file.h"
#include "toc/toc_test_util.h"

namespace {

const std::string start_marker = "<!--KRYN_HTML_TOC_START-->";
const std::string end_marker = "<!--KRYN_HTML_TOC_END-->";

// A generated page whose headings also carry ids of their own (some of
// them the same), classes to leave out, texts that make the same name,
// and what a reader does not see: hidden headings, menus, buttons, images.
std::string page_for_options(uint32_t seed) {
  toc_test::sequence r(seed);
  const std::string page = toc_test::generated_page(seed, true);
  std::string out;
  for (size_t i = 0; i < page.size(); ++i) {
    out += page[i];
    const bool heading_tag = page[i] == '<' && i + 2 < page.size() && (page[i + 1] | 0x20) == 'h' &&
                             page[i + 2] >= '1' && page[i + 2] <= '6';
    if (!heading_tag) continue;
    out += page.substr(i + 1, 2);
    i += 2;
    switch (r.next(6)) {
      case 0: out += " id=\"intro\""; break;
      case 1: out += " class=\"side notoc\""; break;
      case 2: out += " ID=own" + std::to_string(i); break;
      case 3: out += " aria-hidden=\"true\""; break;
      default: break;
    }
  }
  if (seed % 3 == 0) out += "<p id=\"intro\">the name a slug would take</p><h2>Intro</h2>";
  if (seed % 4 == 1)
    out += "<nav><h2>Menu</h2></nav><div hidden><h3>Gone</h3></div><h2><img src=l.png alt=\"Logo\">"
           "<button>Copy</button></h2><h3><img src=x.png></h3><h2>\r\n</h2>";
  return out;
}

size_t erase_all(std::string &text, const std::string &from, const std::string &to) {
  size_t count = 0, at;
  while ((at = text.find(from)) != std::string::npos) {
    size_t stop = to.empty() ? at + from.size() : text.find(to, at + from.size());
    if (stop == std::string::npos) break;
    text.erase(at, stop + to.size() - at);
    ++count;
  }
  return count;
}

// What follows a made anchor's name: the style's attributes, or where it has
// none, the mark for a name not from the stamp.
std::string made_anchor_attributes(const toc_options &options) {
  const std::string own = options.style.named_anchor_attributes.str();
  return own.empty() && options.names != toc_naming::stamp ? toc_made_id_mark : own;
}

// Names the tool made in an output, in the order they stand.
std::vector<std::string> made_names(const std::string &output, const toc_options &options) {
  const bool ids = options.anchors == toc_anchor_mode::id;
  const std::string from = ids ? " id=\"" : "<a name=\"";
  const std::string to = ids ? std::string("\"") + toc_made_id_mark
                             : "\"" + made_anchor_attributes(options) + ">";
  // Without attributes, a name from the stamp is all that marks an anchor.
  const bool by_name = !ids && to == "\">";
  std::vector<std::string> names;
  for (size_t at = output.find(from); at != std::string::npos; at = output.find(from, at + 1)) {
    size_t stop = output.find('"', at + from.size());
    const std::string name = output.substr(at + from.size(), stop - at - from.size());
    if (output.compare(stop, to.size(), to) == 0 && (!by_name || name.rfind("kryn_link_", 0) == 0))
      names.push_back(name);
  }
  return names;
}

// The output with the block and every inserted anchor or id taken out. The
// generated pages close their own anchors with "</A>".
std::string strip_insertions(std::string output, const toc_options &options) {
  erase_all(output, start_marker, end_marker);
  for (const std::string &name : made_names(output, options)) {
    if (options.anchors == toc_anchor_mode::id) {
      erase_all(output, " id=\"" + name + "\"" + toc_made_id_mark, "");
    } else {
      erase_all(output, "<a name=\"" + name + "\"" + made_anchor_attributes(options) + ">", "");
    }
  }
  if (options.anchors == toc_anchor_mode::name) erase_all(output, "</a>", "");
  return output;
}

// How often each name a link can reach stands in a page: ids of any
// element, names of a elements.
std::map<std::string, int> page_names(const std::string &html) {
  std::map<std::string, int> names;
  auto parsed = parse_test::parse(html);
  for (xml_node *n = parsed.tree->first; n; n = xml_tree::next_in_order(n)) {
    if (n->kind != XML_START_TAG && n->kind != XML_ELEMENT) continue;
    krval value;
    if (n->attributes().get(krval("id"), value) && value.text_length() > 0) ++names[value.str()];
    if (n->name == "a" && n->attributes().get(krval("name"), value) && value.text_length() > 0)
      ++names[value.str()];
  }
  return names;
}

std::vector<std::string> block_targets(const std::string &html) {
  std::vector<std::string> targets;
  const size_t begin = html.find(start_marker), end = html.find(end_marker);
  if (begin == std::string::npos || end == std::string::npos) return targets;
  const std::string href = "<a href=\"#";
  for (size_t at = html.find(href, begin); at != std::string::npos && at < end;
       at = html.find(href, at + 1)) {
    size_t from = at + href.size();
    targets.push_back(html.substr(from, html.find('"', from) - from));
  }
  return targets;
}

// strip_by_hand: the page closes its own anchors with "</A>" alone, so that
// the hand-made removal can tell them from the tool's.
void check_properties(const std::string &input, const toc_options &options,
                      bool strip_by_hand = true) {
  auto first = toc_test::transform_with(input, options);
  ASSERT_EQ(first->result, 0);
  const std::string &output = first->output;
  toc_options next_day = options;
  next_day.stamp += 86400;
  EXPECT_EQ(toc_test::transform_with(output, next_day)->output, output);
  if (strip_by_hand && !options.number) {
    EXPECT_EQ(strip_insertions(output, options), input);
  }
  EXPECT_EQ(toc_test::removed_from(output, options), input);

  std::map<std::string, int> names = page_names(output);
  std::vector<std::string> targets = block_targets(output);
  EXPECT_EQ(targets.size(), static_cast<size_t>(first->transform.anchor_counter));
  for (const std::string &target : targets) EXPECT_GE(names[target], 1) << target;
  for (const std::string &made : made_names(output, options)) EXPECT_EQ(names[made], 1) << made;
}

class toc_options_properties : public ::testing::Test {
protected:
  static void SetUpTestSuite() { ASSERT_TRUE(load_regex_library()); }
};

// The page made in memory as quenby-toc makes it, with choices on its
// command line (a style file's name counts from the golden folder).
std::string made_in_memory(const std::string &page, const toc_choices &choices, bool remove = false) {
  toc_tree tree;
  toc_request job;
  const disk_style_files style_files;
  std::string error;
  toc_choices run = merge_settings({{&choices, settings_origin::command_line}}, command_line_defaults()).choices;
  if (run.style == "style.txt") run.style = QUENBY_SOURCE_DIR "/toc/golden/style.txt";
  EXPECT_TRUE(resolve_toc_options(run, std::string(), &style_files, job.options, error)) << error;
  job.bytes = page.data();
  job.length = page.size();
  job.options.stamp = 1007136000 + 86400;
  job.chosen = &choices;
  job.style_folder = QUENBY_SOURCE_DIR "/toc/golden";
  job.style_files = &style_files;
  job.comment_matcher = toc_comment_matches;
  job.tree = &tree;
  job.remove = remove;
  job.size_limit = 1 << 26;
  std::string text;
  string_sink sink(text);
  toc_result result;
  EXPECT_EQ(make_toc(job, &sink, result), 0) << message_line(result.message);
  return text;
}

TEST_F(toc_options_properties, hold_for_every_combination_of_options) {
  // The command line's default, the predefined styles, and a style file
  // whose anchors have no attributes.
  const disk_style_files style_files;
  for (const char *style : {"", "classic", "html5", "details", "style.txt"})
    for (toc_anchor_mode anchors : {toc_anchor_mode::name, toc_anchor_mode::id})
      for (toc_naming names : {toc_naming::stamp, toc_naming::slug})
        for (int levels = 0; levels < 2; ++levels)
          for (int skip_and_number = 0; skip_and_number < 4; ++skip_and_number) {
            const bool skip = skip_and_number & 1, number = skip_and_number & 2;
            toc_choices choices;
            if (*style) choices.style = style;
            choices.anchors = anchors;
            choices.names = names;
            if (levels) choices.levels = toc_levels{2, 4};
            if (skip) choices.skip_classes = std::vector<std::string>{"notoc"};
            choices.number = number;
            toc_options options;
            options.stamp = 1007136000;
            std::string error;
            ASSERT_TRUE(resolve_toc_options(merge_settings({{&choices, settings_origin::command_line}},
                                                           command_line_defaults()).choices,
                                            QUENBY_SOURCE_DIR "/toc/golden", &style_files, options, error))
                << error;
            const std::string label = std::string(*style ? style : "default") +
                                      (anchors == toc_anchor_mode::id ? " id" : " name") +
                                      (names == toc_naming::slug ? " slug" : " stamp") +
                                      (levels ? " 2-4" : "") + (skip ? " skip" : "") +
                                      (number ? " number" : "");
            for (uint32_t seed = 1; seed <= 60; ++seed) {
              SCOPED_TRACE(label + ", seed " + std::to_string(seed));
              const std::string page = page_for_options(seed);
              toc_options for_seed = options;
              if (seed % 5 == 0) for_seed.within = "#d2";   // where a page has one
              check_properties(page, for_seed);
              if (seed > 6) continue;
              // The block records the settings: a run without options
              // remakes the page as it was, and takes out what it inserted.
              // (Without entries there is no block to record them in.)
              const std::string made = made_in_memory(page, choices);
              if (made.find(start_marker) == std::string::npos) continue;
              EXPECT_EQ(made_in_memory(made, toc_choices()), made);
              EXPECT_EQ(made_in_memory(made, toc_choices(), true), page);
            }
          }
}

// The bundled pages, real HTML, made and taken apart again with each style.
TEST_F(toc_options_properties, hold_on_real_pages) {
  for (const char *file : {"/samples/sample.html", "/dist/help.html"}) {
    const std::string page = test_support::read_file(std::string(QUENBY_SOURCE_DIR) + file);
    ASSERT_NE(page, "<missing>");
    // help.html carries its TOC already: the page as it was before it.
    toc_options plain;
    plain.numbers_known = true;
    const std::string original = toc_test::removed_from(page, plain);
    ASSERT_GT(original.size(), 3000u);
    EXPECT_EQ(original.find("<!--KRYN_HTML_TOC_START-->"), std::string::npos);
    for (const char *style : {"classic", "html5", "details"})
      for (bool number : {false, true}) {
        SCOPED_TRACE(std::string(file) + " " + style + (number ? " number" : ""));
        toc_choices choices;
        choices.style = style;
        choices.names = toc_naming::slug;
        choices.number = number;
        toc_options options;
        std::string error;
        ASSERT_TRUE(resolve_toc_options(choices, std::string(), nullptr, options, error)) << error;
        check_properties(original, options, false);
      }
  }
}

// What the page's author wrote is never taken out, however much it looks
// like what this tool makes.
TEST_F(toc_options_properties, removal_keeps_the_authors_markup) {
  toc_options options;
  options.numbers_known = true;
  const char *const pages[] = {
      "<h1><a name=\"intro\">Intro</a></h1><h2 id=\"setup\">Setup</h2>",
      "<h2 id=\"x\" data-kryn-toc=\"1\">A</h2><h2 id=\"y\"data-kryn-toc>B</h2>",
      "<h2><b><span class=\"toc_number\">1. </span></b>A</h2><p><span class=\"toc_number\">2. </span></p>",
      "<h2><span class=\"toc_number\">1. <b>x</b></span>A</h2><h3><span class=toc_number>1. </span>B</h3>",
      "<h2><span class=\"toc_number\">x</span>A</h2><h2><span class=\"toc_number\"></span>B</h2>"
      "<h2><span class=\"toc_number\">1.2 </span>C</h2><h2><span class=\"toc_number\">1.2.</span>D</h2>",
      "<p><a name=\"kryn_link_1_5\" class=\"header_item\">out of a heading</a></p>",
      "<h2>text <a name=\"kryn_link_1_5\" class=\"header_item\">later</a></h2>",
      "<h2><a name=\"own\" class=\"header_item\" title=\"t\">A</a></h2>",
      "<!--KRYN_HTML_TOC_START--> only a start marker <h1>A</h1>",
  };
  for (const char *page : pages) EXPECT_EQ(toc_test::removed_from(page, options), page);
  for (uint32_t seed = 1; seed <= 200; ++seed) {
    const std::string page = page_for_options(seed);
    EXPECT_EQ(toc_test::removed_from(page, options), page) << seed;
  }
}

// A remake with the same stamp after the page was edited: the names made
// then are kept, and the new heading's name from the same counter and stamp
// is not given twice.
TEST_F(toc_options_properties, a_fixed_stamp_never_gives_a_name_twice) {
  toc_options options;
  options.stamp = 5;
  const std::string once = toc_test::transform_with("<body><h1>A</h1><h2>B</h2>", options)->output;
  std::string edited = once;
  edited.replace(edited.find("<h1>"), 4, "<h1>New</h1><h1>");
  // The second heading loses its heading tags, and keeps its anchor.
  edited.replace(edited.find("<h2>"), 4, "<p>");
  edited.replace(edited.find("</h2>"), 5, "</p>");
  const std::string again = toc_test::transform_with(edited, options)->output;
  std::map<std::string, int> names = page_names(again);
  for (const auto &name : names) EXPECT_EQ(name.second, 1) << name.first;
  EXPECT_NE(again.find("<h1><a name=\"kryn_link_1_5-2\" class=\"header_item\">New</a></h1>"),
            std::string::npos)
      << again;
  for (const std::string &target : block_targets(again)) EXPECT_EQ(names[target], 1) << target;
}

// The nesting of a TOC as brackets: each entry "(", its sub-entries, ")".
std::string shape(const toc_node *n) {
  std::string out;
  for (; n; n = n->next) out += "(" + shape(n->first_child) + ")";
  return out;
}

#ifndef _WIN32
// html5lib's strict parser reads each page (any parse error fails it), and
// the script prints the nesting it finds inside the nav, checking that every
// list holds items alone and every item its link and at most one list.
TEST_F(toc_options_properties, html5_ol_and_details_markup_is_valid_html) {
  test_support::scratch_folder folder;
  std::string command = std::string(QUENBY_PYTHON) + " " + QUENBY_SOURCE_DIR "/toc/check_toc_markup.py";
  std::string expected;
  int file_number = 0;
  for (const char *style : {"html5", "ol", "details"})
    for (uint32_t seed = 1; seed <= 20; ++seed) {
      toc_test::sequence r(seed);
      std::string page = "<!DOCTYPE html>\n<html><head><title>t</title></head><body>\n";
      const int headings = 1 + static_cast<int>(r.next(30));
      for (int h = 0; h < headings; ++h) {
        const std::string level = std::to_string(1 + r.next(6));
        page += "<h" + level + ">Part " + std::to_string(h) + " &amp; more</h" + level + ">\n<p>text</p>\n";
      }
      if (seed % 4 == 0) page += "<aside><h2>Menu</h2></aside><h3><img src=l.png alt=\"A &amp; B\"><button>x</button></h3>\n";
      page += "</body></html>\n";
      toc_options options;
      style_preferences preferences;
      ASSERT_TRUE(predefined_style(style, options.style, options.layout, preferences));
      options.anchors = toc_anchor_mode::id;
      options.names = seed % 2 ? toc_naming::slug : toc_naming::stamp;
      options.number = seed % 3 == 0;
      options.reader_entries = true;
      auto made = toc_test::transform_with(page, options);
      const std::string file = folder.file(std::to_string(++file_number) + ".html");
      ASSERT_TRUE(test_support::write_file(file, made->output));
      command += " " + file;
      expected += file + " " + shape(made->tree.first) + "\n";
    }
  std::FILE *pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string printed;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) printed.append(buffer, n);
  EXPECT_EQ(pclose(pipe), 0) << printed;
  EXPECT_EQ(printed, expected);
}
#endif

}  // namespace
