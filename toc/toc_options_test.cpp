// The engine's options: one small page made with each option and style
// against its golden output, readable names, settings in a page, style files,
// and what each rejects.
#include <gtest/gtest.h>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>
#include "regex/regex_binding.h"
#include "toc/anchor_slug.h"
#include "page_files/make_toc_file.h"
#include "page_files/style_files.h"
#include "toc/page_settings.h"
#include "test_support/scratch_folder.h"
#include "toc/toc_style_file.h"
#include "toc/toc_test_util.h"
#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

using test_support::read_file;
using test_support::write_file;

const std::string golden_folder = QUENBY_SOURCE_DIR "/toc/golden";

// A page made in memory as quenby-toc makes it: the choices as on its
// command line, the page's TOC comment read for settings.
struct made_page {
  int32_t result = -1;
  std::string output;
  std::string message;
};

made_page make(const std::string &page, const std::vector<std::pair<std::string, std::string>> &chosen,
               const std::string &name = "page.html", bool remove = false,
               const std::string &style_folder = golden_folder) {
  made_page made;
  toc_choices choices;
  std::string error;
  for (const auto &c : chosen) EXPECT_TRUE(set_toc_choice(choices, c.first, c.second, error)) << error;
  toc_tree tree;
  toc_request job;
  const disk_style_files style_files;
  const toc_choices run = merge_settings({{&choices, settings_origin::command_line}}, command_line_defaults()).choices;
  EXPECT_TRUE(resolve_toc_options(run, golden_folder, &style_files, job.options, error)) << error;
  job.bytes = page.data();
  job.length = page.size();
  job.options.stamp = 1007136000;
  job.chosen = &choices;
  job.style_folder = style_folder;
  job.style_files = &style_files;
  job.comment_matcher = toc_comment_matches;
  job.page_name = name;
  job.tree = &tree;
  job.remove = remove;
  string_sink sink(made.output);
  toc_result result;
  made.result = make_toc(job, &sink, result);
  made.message = result.message.str();
  return made;
}

class toc_options_test : public ::testing::Test {
protected:
  static void SetUpTestSuite() { ASSERT_TRUE(load_regex_library()); }
};

// QUENBY_UPDATE_GOLDEN=1 writes the outputs instead: read them before
// committing.
void expect_golden(const std::string &output, const std::string &golden) {
  const std::string path = golden_folder + "/" + golden;
  if (std::getenv("QUENBY_UPDATE_GOLDEN")) {
    ASSERT_TRUE(write_file(path, output));
  }
  EXPECT_TRUE(output == read_file(path)) << golden << ":\n" << output;
}

TEST_F(toc_options_test, each_option_and_style_gives_its_golden_page) {
  const std::vector<std::pair<std::string, std::vector<std::pair<std::string, std::string>>>> cases = {
      {"default", {}},
      {"classic", {{"style", "classic"}}},
      {"levels", {{"style", "classic"}, {"levels", "2-3"}}},
      {"anchors-id", {{"style", "classic"}, {"anchors", "id"}}},
      {"names-slug", {{"style", "classic"}, {"names", "slug"}}},
      {"skip-class", {{"style", "classic"}, {"skip-class", "notoc"}, {"skip-class", "other"}}},
      {"html5", {{"style", "html5"}}},
      {"ol", {{"style", "ol"}, {"names", "slug"}}},
      {"details", {{"style", "details"}, {"anchors", "name"}}},
      {"style-file", {{"style", "style.txt"}}},
      {"number", {{"number", "yes"}, {"style", "details"}, {"levels", "1-4"}}},
  };
  const std::string page = read_file(golden_folder + "/page.html");
  for (const auto &c : cases) {
    SCOPED_TRACE(c.first);
    made_page made = make(page, c.second);
    ASSERT_EQ(made.result, 0) << made.message;
    expect_golden(made.output, "page-" + c.first + ".html");
    // Made again, with or without the options, the page stays as it is;
    // taken out, it is as it was.
    EXPECT_TRUE(make(made.output, c.second).output == made.output);
    EXPECT_TRUE(make(made.output, {}).output == made.output);
    EXPECT_TRUE(make(made.output, {}, "page.html", true).output == page);
    // A block from before records is read by its markup: its style stays.
    if (c.first != "default" && c.first != "html5" && c.first != "ol" && c.first != "details") continue;
    const size_t record = made.output.find("\r\n<!-- Table of contents by");
    std::string unrecorded = made.output;
    unrecorded.replace(record, made.output.find("-->", record) + 5 - record, toc_explanatory_comment().str());
    const std::string remade = make(unrecorded, {}).output;
    const size_t list = made.output.find("<ul>\r\n<li>") != std::string::npos ? made.output.find("<ul>\r\n<li>")
                                                                          : made.output.find("<ol>");
    EXPECT_EQ(remade.substr(remade.find(made.output.substr(list, 12))), made.output.substr(list)) << remade;
  }
  // Classic alone gives the window's bytes, as do the window's defaults.
  EXPECT_TRUE(make(page, {{"style", "classic"}}).output == toc_test::toc_of(page));
  toc_options window;
  std::string error;
  ASSERT_TRUE(resolve_toc_options(merge_settings({}, window_defaults()).choices, "", nullptr, window, error));
  window.stamp = toc_test::example_stamp;
  EXPECT_TRUE(toc_test::transform_with(page, window)->output == toc_test::toc_of(page));
}

// Numbers follow the TOC's nesting, whatever levels a heading skips; a
// section added in the middle renumbers those after it; a number the
// author typed stays text of the heading; numbering turned off, a remake
// takes the numbers out.
TEST_F(toc_options_test, numbers_follow_the_nesting_and_are_made_anew) {
  const std::string page =
      "<body>\r\n<h1>A</h1>\r\n<h4>Deep</h4>\r\n<h2>1.5 Typed</h2>\r\n<h1>B</h1>\r\n<h3>C</h3>\r\n";
  const auto number = std::vector<std::pair<std::string, std::string>>{
      {"style", "classic"}, {"number", "yes"}, {"anchors", "id"}};
  const std::string once = make(page, number).output;
  auto heading = [](const std::string &tag, const std::string &id, const std::string &n,
                    const std::string &text) {
    return "<" + tag + " id=\"" + id + "\" data-kryn-toc><span class=\"toc_number\">" + n + "</span>" +
           text + "</" + tag + ">";
  };
  EXPECT_NE(once.find(heading("h1", "kryn_link_1_1007136000", "1. ", "A") + "\r\n" +
                      heading("h4", "kryn_link_2_1007136000", "1.1. ", "Deep") + "\r\n" +
                      heading("h2", "kryn_link_3_1007136000", "1.2. ", "1.5 Typed") + "\r\n" +
                      heading("h1", "kryn_link_4_1007136000", "2. ", "B") + "\r\n" +
                      heading("h3", "kryn_link_5_1007136000", "2.1. ", "C")),
            std::string::npos)
      << once;
  EXPECT_NE(once.find("<li>1.2. <a href=\"#kryn_link_3_1007136000\" class=\"toc_item\">1.5 Typed</a></li>"),
            std::string::npos);

  std::string edited = once;
  edited.insert(edited.find("<h1 id=\"kryn_link_4"), "<h1>Inserted</h1>\r\n");
  const std::string again = make(edited, number).output;
  EXPECT_NE(again.find("<span class=\"toc_number\">2. </span>Inserted</h1>"), std::string::npos);
  EXPECT_NE(again.find(heading("h1", "kryn_link_4_1007136000", "3. ", "B")), std::string::npos);
  EXPECT_NE(again.find("<li>3.1. <a href=\"#kryn_link_5_1007136000\""), std::string::npos);

  const std::string unnumbered = make(again, {{"number", "no"}}).output;
  EXPECT_EQ(unnumbered.find("toc_number"), std::string::npos);
  EXPECT_NE(unnumbered.find("<h2 id=\"kryn_link_3_1007136000\" data-kryn-toc>1.5 Typed</h2>"),
            std::string::npos);
}

// Each setting comes from the first that has it: the page's TOC comment,
// the command line, the record in the page's block, the defaults.
TEST_F(toc_options_test, settings_come_from_the_page_then_the_command_line_then_the_record) {
  const std::string page = read_file(golden_folder + "/settings.html");
  made_page made = make(page, {});
  ASSERT_EQ(made.result, 0) << made.message;
  expect_golden(made.output, "settings-out.html");
  // The same as choosing them on the command line, but for the record.
  made_page chosen = make(page, {{"levels", "2-3"}, {"style", "details"}, {"names", "slug"},
                                 {"skip-class", "notoc"}});
  EXPECT_NE(chosen.output.find("(style=details names=slug levels=2-3 skip-class=notoc)"), std::string::npos);
  EXPECT_EQ(chosen.output.substr(chosen.output.find("<nav")), made.output.substr(made.output.find("<nav")));
  // The page's comment wins over the command line, which the block records
  // for the settings the page leaves open.
  made_page over = make(page, {{"style", "classic"}, {"levels", "1-2"}, {"anchors", "id"}});
  EXPECT_NE(over.output.find("(style=classic levels=1-2 anchors=id)"), std::string::npos);
  EXPECT_NE(over.output.find("<details"), std::string::npos);
  EXPECT_NE(over.output.find("<h3 id=\"caf\xc3\xa9-1-2\" data-kryn-toc>"), std::string::npos);
  // Without the page's settings, the record's apply, without options.
  std::string open = over.output;
  const size_t comment = open.find("<!--\ttoc");
  open.replace(comment, open.find("-->", comment) + 3 - comment, "<!-- toc -->");
  made_page recorded = make(open, {});
  ASSERT_EQ(recorded.result, 0) << recorded.message;
  expect_golden(recorded.output, "settings-recorded.html");
  EXPECT_TRUE(make(recorded.output, {}).output == recorded.output);
}

// The block's line ends are the page's first; where it has none, classic's
// CR LF, and LF in the other styles.
TEST_F(toc_options_test, the_block_takes_the_line_ends_of_the_page) {
  for (const std::string style : {"", "classic", "ol", "style.txt"})
    for (const std::string line_end : {"", "\n", "\r\n"}) {
      SCOPED_TRACE(style + " " + std::to_string(line_end.size()));
      std::vector<std::pair<std::string, std::string>> chosen;
      if (!style.empty()) chosen.push_back({"style", style});
      const std::string out = make("<body>" + line_end + "<h1>A</h1><h2>B</h2>", chosen).output;
      const size_t from = out.find("<!--KRYN_HTML_TOC_START-->"), to = out.find("<!--KRYN_HTML_TOC_END-->");
      ASSERT_LT(from, to);
      const std::string block = out.substr(from, to - from);
      const bool crlf = line_end == "\r\n" || (line_end.empty() && style != "" && style != "ol");
      const size_t lines = static_cast<size_t>(std::count(block.begin(), block.end(), '\n'));
      EXPECT_GT(lines, 3u);
      EXPECT_EQ(static_cast<size_t>(std::count(block.begin(), block.end(), '\r')), crlf ? lines : 0u) << block;
    }
}

TEST_F(toc_options_test, bad_settings_in_a_page_name_its_line_and_write_nothing) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"<!-- toc levels=3-1 -->", "page.html:3: levels must be FROM-TO or one level, from 1 to 9, "
                                  "the lower first: '3-1' in the TOC comment\r\n"},
      {"<!-- toc\r\n  style=details\r\n  colour=red -->",
       "page.html:5: unknown setting 'colour' in the TOC comment\r\n"},
      {"<!-- toc names=readable -->",
       "page.html:3: names must be stamp or slug, not 'readable' in the TOC comment\r\n"},
      {"<!-- toc style=fancy -->", "page.html:3: " + golden_folder +
                                       "/fancy: can't read the style file: No such file or directory\r\n"},
      {"<!-- toc style=../../etc/passwd -->",
       "page.html:3: a style file named in a page must lie in the page's folder or below it: "
       "'../../etc/passwd'\r\n"},
      {"<!-- toc style=/etc/passwd -->",
       "page.html:3: a style file named in a page must lie in the page's folder or below it: "
       "'/etc/passwd'\r\n"},
      {"<!-- toc here -->", "page.html:3: expected KEY=VALUE, not 'here' in the TOC comment\r\n"},
      {"<!-- toc levels=2\r\n  style = -->",
       "page.html:4: style needs a name or a file in the TOC comment\r\n"},
      {"<!-- toc levels=2\n = 3 -->", "page.html:4: expected KEY=VALUE, not '=' in the TOC comment\r\n"},
      {"<!-- toc levels=2\r\n\r\nlevels = 3 -->",
       "page.html:5: levels is given twice in the TOC comment\r\n"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.first);
    made_page made = make("<html><body>\r\n<p>x</p>\r\n" + c.first + "\r\n<h1>A</h1></body></html>", {});
    EXPECT_EQ(made.result, 1);
    EXPECT_EQ(made.message, c.second);
    EXPECT_EQ(made.output, "");
  }
#ifndef _WIN32
  // Nor is a link in the page's folder a way out of it; a style that lies
  // there is read.
  test_support::scratch_folder scratch;
  ASSERT_TRUE(write_file(scratch.file("outside.txt"), "secret_key = \"1\"\n"));
  std::filesystem::create_directories(scratch.file("pages/sub"));
  ASSERT_TRUE(write_file(scratch.file("pages/sub/inside.txt"), read_file(golden_folder + "/style.txt")));
  std::filesystem::create_symlink("../outside.txt", scratch.file("pages/out.txt"));
  std::filesystem::create_symlink("sub/inside.txt", scratch.file("pages/in.txt"));
  std::filesystem::create_directory_symlink(scratch.path(), scratch.file("pages/up"));
  for (const char *style : {"out.txt", "up/outside.txt"}) {
    made_page made = make("<body><!-- toc style=" + std::string(style) + " --><h1>A</h1>", {}, "page.html",
                          false, scratch.file("pages"));
    EXPECT_EQ(made.result, 1);
    EXPECT_EQ(made.message, "page.html:1: a style file named in a page must lie in the page's folder or "
                            "below it: '" + std::string(style) + "'\r\n");
  }
  made_page inside = make("<body><!-- toc style=in.txt --><h1>A</h1>", {}, "page.html", false,
                          scratch.file("pages"));
  EXPECT_EQ(inside.result, 0) << inside.message;
  EXPECT_NE(inside.output.find("<dl>"), std::string::npos);
#endif
}

// A comment whose first word is toc places the TOC and its settings apply,
// blanks around "=" or not, wherever the window's pattern would place it;
// a first word that only begins with toc makes no TOC comment.
TEST_F(toc_options_test, toc_comments_with_settings_place_the_toc_as_plain_ones_do) {
  const std::vector<std::pair<std::string, int>> cases = {
      {"<!-- toc -->", 2},
      {"<!-- x <!-- toc -->", 2},
      {"<!-- toc levels=2 -->", 1},
      {"<!-- x <!-- toc levels=2 -->", 1},   // once placed without its settings
      {"<!--TOC\tlevels = 2\r\n-->", 1},
      {"<!-- toc levels= 2 skip-class=a skip-class=b -->", 1},
      {"<!-- toc levels =\r\n2-->", 1},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.first);
    const made_page made = make("<body><h1>A</h1>\r\n" + c.first + "\r\n<h2>B</h2><h3>C</h3>", {});
    ASSERT_EQ(made.result, 0) << made.message;
    EXPECT_NE(made.output.find(c.first + "<!--KRYN_HTML_TOC_START-->"), std::string::npos) << made.output;
    size_t links = 0;
    for (size_t at = 0; (at = made.output.find("href=\"#", at)) != std::string::npos; ++at) ++links;
    EXPECT_EQ(links, static_cast<size_t>(c.second));
  }
  for (const std::string comment : {"<!-- tocs a=b -->", "<!-- toc=2 -->", "<!-- #toc a=b -->"}) {
    const std::string page = "<body><h1>A</h1>" + comment + "<h2>B</h2>";
    EXPECT_EQ(make(page, {{"style", "classic"}}).output, toc_test::toc_of(page)) << comment;
  }
  // Inside an old block a comment is the block's own, such as its
  // "<!-- TOC is created ..." comment; after a start marker that no end
  // marker follows, the author's.
  const std::string start = "<!--KRYN_HTML_TOC_START-->", end = "<!--KRYN_HTML_TOC_END-->";
  const std::string in_block = "<body>" + start + "<!-- toc levels=2 -->" + end + "<h1>A</h1><h2>B</h2>";
  EXPECT_EQ(make(in_block, {{"style", "classic"}}).output, toc_test::toc_of(in_block));
  const std::string lone_start = "<body>" + start + "<!-- toc levels=2 --><h1>A</h1><h2>B</h2>";
  EXPECT_NE(make(lone_start, {{"style", "classic"}}).output.find("<!-- toc levels=2 -->" + start + "\r\n<!--"), std::string::npos);
}

TEST_F(toc_options_test, style_files_name_the_line_that_is_wrong) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"list_start = \"<ol>\"\ncolour = \"red\"\n", "s.txt:2: unknown key 'colour'"},
      {"\n# note\nitem_start = <li>\n", "s.txt:3: the value must stand in double quotes"},
      {"item_end = \"</li>\\q\"\n", "s.txt:1: unknown escape \\q"},
      {"item_end = \"</li>\n", "s.txt:1: the closing double quote is missing"},
      {"range_from = 0\n", "s.txt:1: range_from must be a level from 1 to 9, not '0'"},
      {"range_from = 4\nrange_to = 2\n", "s.txt: range_from is above range_to"},
      {"nested = maybe\n", "s.txt:1: nested must be yes or no, not 'maybe'"},
      {"just words\n", "s.txt:1: expected KEY = VALUE"},
      {"comment = \"made --\"\n", "s.txt:1: the comment may hold neither -- nor >"},
      {"process_decimal_notation = 1\n", "s.txt:1: process_decimal_notation can only be 0"},
      {"\nitem_indentation = \"" + std::string(1025, ' ') + "\"\n", "s.txt:2: the value is longer than 1024 bytes"},
  };
  for (const auto &c : cases) {
    toc_style style;
    toc_layout layout;
    std::string error;
    EXPECT_FALSE(read_style_text(c.first, "s.txt", style, layout, error)) << c.first;
    EXPECT_EQ(error, c.second);
    EXPECT_EQ(style.list_start.str(), "<ul>\r\n");   // untouched
  }
  toc_style style;
  toc_layout layout;
  std::string error;
  ASSERT_TRUE(read_style_text("item_start = \"<li class=\\\"a\\\\b\\\">\\t\"\r\nnested = yes\r\n",
                              "s.txt", style, layout, error))
      << error;
  EXPECT_EQ(style.item_start.str(), "<li class=\"a\\b\">\t");
  EXPECT_TRUE(layout.nested);
}

// A style file is a small regular file: a FIFO, a folder or a large file is
// refused at once, by name, and nothing waits for a writer.
TEST_F(toc_options_test, style_files_must_be_small_regular_files) {
  test_support::scratch_folder scratch;
  const std::string large = scratch.file("large.txt");
  std::string lines;
  while (lines.size() <= 65536) lines += "# a comment line that makes the file larger than a style needs to be\n";
  ASSERT_TRUE(write_file(large, lines));
  std::vector<std::pair<std::string, std::string>> cases = {
      {large, "larger than 65536 bytes"},
  };
#ifndef _WIN32
  cases.push_back({scratch.path().string(), "a folder, not a file"});
  const std::string fifo = scratch.file("fifo.txt");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  cases.push_back({fifo, "not a regular file"});
  // Should reading wait for a writer, this one comes after a while and
  // writes nothing, so that the test fails instead of hanging.
  std::atomic<bool> done{false};
  std::thread writer([&] {
    for (int tries = 0; tries < 200 && !done; ++tries) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
      if (fd >= 0) {
        ::close(fd);
        return;
      }
    }
  });
#endif
  for (const auto &c : cases) {
    toc_style style;
    toc_layout layout;
    std::string error;
    EXPECT_FALSE(read_style_file(c.first, style, layout, error)) << c.first;
    EXPECT_EQ(error, c.first + ": can't read the style file: " + c.second);
  }
#ifndef _WIN32
  done = true;
  writer.join();
#endif
}

TEST_F(toc_options_test, readable_names_from_heading_text) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"Getting Started", "getting-started"},
      {"  Intro &amp; more!  ", "intro-more"},
      {"Caf&eacute; &Eacute;T&Eacute;", "caf\xc3\xa9-\xc3\xa9t\xc3\xa9"},
      {"caf\xe9 au lait", "caf\xe9-au-lait"},                  // a single-byte page's letters
      {"\xe6\x97\xa5\xe6\x9c\xac", "\xe6\x97\xa5\xe6\x9c\xac"},  // UTF-8 as it stands
      {"A&#66;&#x43;&nbsp;d&mdash;e", "abc-d-e"},
      {"1.2.3 Step_one", "1-2-3-step-one"},
      {"&bogus; x", "bogus-x"},
      {"&amp;&lt;&gt;", "section"},
      {"", "section"},
  };
  for (const auto &c : cases) EXPECT_EQ(anchor_slug(c.first.data(), c.first.size()), c.second) << c.first;
}

// A name taken by the page or by an earlier heading gets the first free
// suffix from 2 on, and a run of many headings of one text numbers them in
// turn (each search goes on from where the last for that name ended).
TEST_F(toc_options_test, readable_names_given_twice_take_the_next_free_suffix) {
  std::string page = "<body><p id=a-3>p</p><h1>A</h1><h1>A-2</h1><h1>A</h1><h1>A</h1>";
  for (int i = 0; i < 3000; ++i) page += "<h2>x</h2>";
  // Texts that read as names given with a suffix before.
  page += "<h1>A-4</h1><h1>x 10</h1><h1>A</h1></body>";
  const made_page made = make(page, {{"names", "slug"}});
  ASSERT_EQ(made.result, 0) << made.message;
  std::vector<std::string> targets;
  for (size_t at = 0; (at = made.output.find("<a href=\"#", at)) != std::string::npos; at += 10)
    targets.push_back(made.output.substr(at + 10, made.output.find('"', at + 10) - at - 10));
  ASSERT_EQ(targets.size(), 3007u);
  EXPECT_EQ(std::vector<std::string>(targets.begin(), targets.begin() + 4),
            (std::vector<std::string>{"a", "a-2", "a-4", "a-5"}));
  EXPECT_EQ(targets[4], "x");
  EXPECT_EQ(targets[3003], "x-3000");
  EXPECT_EQ(std::vector<std::string>(targets.begin() + 3004, targets.end()),
            (std::vector<std::string>{"a-4-2", "x-10-2", "a-6"}));
}

}  // namespace
