#include "cli/quenby_toc.h"
#include "cli/cli_run_test_util.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>
#include "fs/fs_test_hooks.h"
#include "test_support/scratch_folder.h"
#include "test_support/toc_markup.h"
#include "toc/toc_tree.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

using test_support::read_file;
using test_support::scratch_folder;
using test_support::write_file;
using cli_test::cli_run;

const std::string page = "<html><body>\r\n<h1>Intro</h1>\r\n</body></html>";

std::string with_toc(const std::string &stamp) {
  using namespace toc_markup;
  const std::string name = link_name(1, stamp);
  return "<html><body>" + block("<ul>\r\n" + item("", "#" + name, "Intro") + "</ul>\r\n") + "\r\n<h1>" +
         anchor(name, "Intro") + "</h1>\r\n</body></html>";
}

class quenby_toc_test : public ::testing::Test {
protected:
  void TearDown() override { fs_restore_hooks(); }
  scratch_folder folder;
};

TEST_F(quenby_toc_test, help_version_and_usage_errors) {
  {
    cli_run r;
    EXPECT_EQ(r.run({"--help"}), 0);
    const std::string help = r.output();
    EXPECT_EQ(help.rfind("Usage: quenby-toc [OPTIONS] FILE...", 0), 0u);
    EXPECT_EQ(r.errors(), "");
    for (size_t from = 0, end; (end = help.find('\n', from)) != std::string::npos; from = end + 1)
      EXPECT_LT(end - from, 80u) << help.substr(from, end - from);
  }
  {
    cli_run r;
    EXPECT_EQ(r.run({"-V"}), 0);
    EXPECT_NE(r.output().find("1.0"), std::string::npos);
  }
  // A usage error is one line and a hint, so that it does not scroll away.
  const std::string a = folder.file("a.html");
  ASSERT_TRUE(write_file(a, page));
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{}, "no FILE given"},
      {{"--bogus=1", a}, "unknown option '--bogus=1'"},
      {{"--stamp", "soon", a}, "--stamp needs whole seconds from 0 to 2147483647, not 'soon'"},
      {{"-", "-"}, "standard input (\"-\") can be read only once"},
      {{"-s", "HTML5", a}, "unknown style 'HTML5' (classic, html5, ol, details, or a style file)"},
  };
  for (const auto &c : cases) {
    cli_run r;
    EXPECT_EQ(r.run(c.first), 2);
    EXPECT_EQ(r.errors(), "quenby-toc: " + c.second + "\nTry 'quenby-toc --help' for more information.\n");
    EXPECT_EQ(r.output(), "");
  }
  EXPECT_EQ(read_file(a), page);
}

TEST_F(quenby_toc_test, in_place_and_to_an_output_file) {
  const std::string a = folder.file("a.html");
  ASSERT_TRUE(write_file(a, page));
  cli_run r;
  EXPECT_EQ(r.run({"-s", "classic", "--stamp", "1007136000", a}), 0);
  EXPECT_EQ(read_file(a), with_toc("1007136000"));
  EXPECT_EQ(r.errors(), "");

  const std::string b = folder.file("b.html");
  ASSERT_TRUE(write_file(b, page));
  cli_run r2;
  EXPECT_EQ(r2.run({"-sclassic", "-o", folder.file("out.html"), "--stamp=5", b}), 0);
  EXPECT_EQ(read_file(b), page);
  EXPECT_EQ(read_file(folder.file("out.html")), with_toc("5"));
}

TEST_F(quenby_toc_test, stamp_comes_from_source_date_epoch_unless_given) {
  const std::string a = folder.file("a.html");
  ASSERT_TRUE(write_file(a, page));
  cli_run r;
  r.io.source_date_epoch = "1234567890";
  EXPECT_EQ(r.run({"-s", "classic", a}), 0);
  EXPECT_EQ(read_file(a), with_toc("1234567890"));

  ASSERT_TRUE(write_file(a, page));
  cli_run r2;
  r2.io.source_date_epoch = "1234567890";
  EXPECT_EQ(r2.run({"-s", "classic", "--stamp", "7", a}), 0);
  EXPECT_EQ(read_file(a), with_toc("7"));

  cli_run r3;
  r3.io.source_date_epoch = "yesterday";
  EXPECT_EQ(r3.run({a}), 2);
  EXPECT_NE(r3.errors().find("SOURCE_DATE_EPOCH"), std::string::npos);
}

TEST_F(quenby_toc_test, standard_input_to_standard_output) {
  cli_run r(page);
  EXPECT_EQ(r.run({"-s", "classic", "--stamp", "9", "-"}), 0);
  EXPECT_EQ(r.output(), with_toc("9"));
  EXPECT_EQ(r.errors(), "");

  cli_run r2(page);
  EXPECT_EQ(r2.run({"-s", "classic", "--stamp", "9", "-o", folder.file("o.html"), "-"}), 0);
  EXPECT_EQ(read_file(folder.file("o.html")), with_toc("9"));
  EXPECT_EQ(r2.output(), "");

  // -o - is standard output too, for a FILE as well; the FILE stays.
  cli_run dash(page);
  EXPECT_EQ(dash.run({"-s", "classic", "--stamp", "9", "--output=-", "-"}), 0);
  EXPECT_EQ(dash.output(), with_toc("9"));
  const std::string a = folder.file("a.html");
  ASSERT_TRUE(write_file(a, page));
  cli_run file_out;
  EXPECT_EQ(file_out.run({"-s", "classic", "--stamp", "9", "-o", "-", a}), 0);
  EXPECT_EQ(file_out.output(), with_toc("9"));
  EXPECT_EQ(file_out.errors(), "");
  EXPECT_EQ(read_file(a), page);
  EXPECT_EQ(read_file("-"), "<missing>");   // no file named "-" in the working folder
}

// A binary file or a text without a tag gets no TOC: it is named, counted as
// failed and left as it is, while the other pages are done.
TEST_F(quenby_toc_test, what_is_no_html_page_is_refused) {
  const std::string good = folder.file("good.html");
  const std::vector<std::pair<std::string, std::string>> cases = {
      {std::string("<html><body>\0<h1>x</h1>", 24), "it holds a NUL byte"},
      {"# Notes\n\nx < y and 3<4 </\n", "no tag in it"},
      {"", "no tag in it"},
  };
  for (const auto &c : cases) {
    const std::string other = folder.file("other.txt");
    ASSERT_TRUE(write_file(other, c.first));
    ASSERT_TRUE(write_file(good, page));
    cli_run r;
    EXPECT_EQ(r.run({"-s", "classic", "--stamp", "2", other, good}), 2);
    EXPECT_EQ(r.errors(), "quenby-toc: " + other + ": not an HTML page (" + c.second + ")\n"
                          "quenby-toc: 1 changed, 0 unchanged, 1 failed\n");
    EXPECT_EQ(read_file(other), c.first);
    EXPECT_EQ(read_file(good), with_toc("2"));
    cli_run piped(c.first);
    EXPECT_EQ(piped.run({"-"}), 2);
    EXPECT_EQ(piped.errors(), "quenby-toc: standard input: not an HTML page (" + c.second + ")\n");
    EXPECT_EQ(piped.output(), "");
  }
  cli_run tag_only("</p>");
  EXPECT_EQ(tag_only.run({"-"}), 0);
}

// 0 nothing to report, 1 something found, 2 trouble, which wins.
TEST_F(quenby_toc_test, exit_status_as_diff_and_grep_have_it) {
  const std::string fresh = folder.file("fresh.html"), done = folder.file("done.html");
  ASSERT_TRUE(write_file(fresh, page));
  ASSERT_TRUE(write_file(done, with_toc("1")));
  const std::string missing = folder.file("missing.html");
  const std::vector<std::pair<std::vector<std::string>, int>> cases = {
      {{"--check", done}, 0},
      {{"--diff", "-q", done}, 0},
      {{"--check", done, fresh}, 1},
      {{"--diff", fresh}, 1},
      {{"--check", fresh, missing}, 2},
      {{"--check", "--levels", "0", done}, 2},
      {{"-o", folder.file("no/such/folder.html"), fresh}, 2},
  };
  for (const auto &c : cases) {
    cli_run r;
    EXPECT_EQ(r.run(c.first), c.second) << c.first[0] << " " << c.first.back() << ": " << r.errors();
  }
  EXPECT_EQ(read_file(fresh), page);
}

TEST_F(quenby_toc_test, several_files_go_on_after_a_failure) {
  const std::string a = folder.file("a.html"), b = folder.file("b.html");
  const std::string missing = folder.file("missing.html");
  ASSERT_TRUE(write_file(a, page));
  ASSERT_TRUE(write_file(b, page));
  cli_run r;
  EXPECT_EQ(r.run({"-s", "classic", "--stamp", "3", a, missing, folder.file(""), b}), 2);
  EXPECT_EQ(read_file(a), with_toc("3"));
  EXPECT_EQ(read_file(b), with_toc("3"));
  std::string errors = r.errors();
  EXPECT_NE(errors.find("quenby-toc: " + missing + ": no such file\n"), std::string::npos);
  EXPECT_NE(errors.find("is a directory"), std::string::npos);
  EXPECT_EQ(folder.listing(), "a.html b.html ");
}

// Pages beyond the window's size are read, and what a run writes the next
// run reads again; --max-size sets the limit, for files, standard input and
// the contents page alike.
TEST_F(quenby_toc_test, max_size_sets_the_largest_page_read) {
  const std::string big = folder.file("big.html");
  std::string bytes = "<html><body>\n";
  for (int i = 0; bytes.size() <= 4194304; ++i)
    bytes += "<h2>Part " + std::to_string(i) + "</h2><p>" + std::string(200, 'x') + "</p>\n";
  ASSERT_TRUE(write_file(big, bytes));
  for (int run = 0; run < 2; ++run) {
    cli_run r;
    EXPECT_EQ(r.run({"--stamp", "9", big}), 0) << r.errors();
  }
  const std::string made = read_file(big);
  EXPECT_GT(made.size(), bytes.size());
  cli_run removed;
  EXPECT_EQ(removed.run({"--remove", big}), 0) << removed.errors();
  EXPECT_EQ(read_file(big), bytes);

  const std::string limit = std::to_string(bytes.size() - 1);
  cli_run r;
  EXPECT_EQ(r.run({"--max-size", limit, big}), 2);
  EXPECT_EQ(r.errors(), "quenby-toc: " + big + ": too large (" + std::to_string(bytes.size()) +
                            " bytes); pages of more than " + limit + " bytes are refused (see --max-size)\n");
  EXPECT_EQ(read_file(big), bytes);
  cli_run piped(bytes);
  EXPECT_EQ(piped.run({"--max-size", limit, "-"}), 2);
  EXPECT_NE(piped.errors().find("standard input: too large; pages of more than " + limit), std::string::npos);
  EXPECT_EQ(piped.output(), "");

  // Nor is a page written that the next run could not read.
  const std::string exact = std::to_string(bytes.size());
  cli_run grown;
  EXPECT_EQ(grown.run({"--max-size", exact, big}), 2);
  EXPECT_EQ(grown.errors().rfind("quenby-toc: Can't write file: " + big + " (its new text of ", 0), 0u);
  EXPECT_NE(grown.errors().find(" bytes would be too large to be read again: pages of " +
                                std::to_string(bytes.size() + 1) + " bytes or more are refused)\n"),
            std::string::npos)
      << grown.errors();
  EXPECT_TRUE(read_file(big) == bytes);

  // A contents page beyond the limit says so.
  const std::string small = folder.file("small.html"), contents = folder.file("contents.html");
  ASSERT_TRUE(write_file(small, page));
  ASSERT_TRUE(write_file(contents, "<html><body>" + std::string(3000, ' ') + "</body></html>"));
  cli_run index;
  EXPECT_EQ(index.run({"--max-size", "2000", "--index", contents, small}), 2);
  EXPECT_NE(index.errors().find(contents + ": too large; pages of 2001 bytes or more are refused"),
            std::string::npos)
      << index.errors();
  cli_run bad;
  EXPECT_EQ(bad.run({"--max-size", "0", small}), 2);
}

TEST_F(quenby_toc_test, check_writes_nothing_and_tells_what_would_change) {
  const std::string fresh = folder.file("fresh.html"), done = folder.file("done.html");
  ASSERT_TRUE(write_file(fresh, page));
  ASSERT_TRUE(write_file(done, with_toc("1")));
  cli_run r;
  EXPECT_EQ(r.run({"--check", done}), 0);
  cli_run r2;
  EXPECT_EQ(r2.run({"-c", done, fresh}), 1);
  EXPECT_NE(r2.errors().find(fresh + ": would change"), std::string::npos);
  EXPECT_EQ(r2.errors().find(done), std::string::npos);
  EXPECT_EQ(read_file(fresh), page);
  EXPECT_EQ(folder.listing(), "done.html fresh.html ");

  cli_run piped(with_toc("1"));
  EXPECT_EQ(piped.run({"--check", "-"}), 0);
  EXPECT_EQ(piped.output(), "");
}

TEST_F(quenby_toc_test, progress_only_on_a_terminal_and_not_when_quiet) {
  const std::string a = folder.file("a.html");
  ASSERT_TRUE(write_file(a, page));
  cli_run shown;
  shown.io.err_is_terminal = true;
  EXPECT_EQ(shown.run({a}), 0);
  std::string errors = shown.errors();
  EXPECT_NE(errors.find("\r" + a + ": 100%\n"), std::string::npos) << errors;
  EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1);

  cli_run quiet;
  quiet.io.err_is_terminal = true;
  EXPECT_EQ(quiet.run({"-q", a}), 0);
  EXPECT_EQ(quiet.errors(), "");
  cli_run piped;
  EXPECT_EQ(piped.run({a}), 0);
  EXPECT_EQ(piped.errors(), "");
}

TEST_F(quenby_toc_test, job_failures_are_one_line_each_and_leave_the_file) {
  const std::string a = folder.file("a.html");
  std::string big_page = page;
  big_page.append(100000, ' ');
  ASSERT_TRUE(write_file(a, big_page));
  fs_fail_writes_after(1000);
  cli_run r;
  EXPECT_EQ(r.run({a}), 2);
  EXPECT_EQ(r.errors(), "quenby-toc: Can't write file: " + a + "\n");
  EXPECT_EQ(read_file(a), big_page);
  fs_restore_hooks();

  fs_fail_reads_after(20000);
  cli_run r2;
  EXPECT_EQ(r2.run({a}), 2);
  EXPECT_EQ(r2.errors(), "quenby-toc: Can't read source file: " + a + "\n");
  EXPECT_EQ(read_file(a), big_page);
  EXPECT_EQ(folder.listing(), "a.html ");
  fs_restore_hooks();

  cli_run r3;
  EXPECT_EQ(r3.run({"-o", folder.file("nowhere/out.html"), a}), 2);
  // With the system's reason, in its own words.
  const std::string said = "quenby-toc: Can't open file for writing: " + folder.file("nowhere/out.html") + ": ";
  EXPECT_EQ(r3.errors().substr(0, said.size()), said);
#ifndef _WIN32
  EXPECT_EQ(r3.errors(), said + "No such file or directory\n");
#endif
}

#ifndef _WIN32
TEST_F(quenby_toc_test, unreadable_file_is_one_clear_line) {
  if (geteuid() == 0) GTEST_SKIP() << "root reads every file";
  const std::string a = folder.file("a.html");
  ASSERT_TRUE(write_file(a, page));
  ASSERT_EQ(chmod(a.c_str(), 0), 0);
  cli_run r;
  EXPECT_EQ(r.run({a}), 2);
  EXPECT_EQ(r.errors(), "quenby-toc: " + a + ": can't be read: Permission denied\n");
  chmod(a.c_str(), 0644);
  EXPECT_EQ(read_file(a), page);
}
#endif

TEST_F(quenby_toc_test, options_that_are_wrong_stop_the_run_with_status_2) {
  const std::string a = folder.file("a.html"), style = folder.file("s.txt");
  ASSERT_TRUE(write_file(a, page));
  ASSERT_TRUE(write_file(style, "list_start = \"<ol>\"\nlist_end = </ol>\n"));
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"--levels", "3-1", a}, "--levels: levels must be FROM-TO"},
      {{"--anchors=names", a}, "--anchors: anchors must be name or id, not 'names'"},
      {{"--names", "pretty", a}, "--names: names must be stamp or slug"},
      {{"-s", folder.file("none.txt"), a}, "unknown style '" + folder.file("none.txt") + "' (classic, html5"},
      {{"--style", style, a}, style + ":2: the value must stand in double quotes"},
      {{"--diff", "-o", "x", a}, "--diff writes nothing, so it takes no --output"},
      {{"-R", "-N", a}, "--remove takes the numbers out, so it takes no --number"},
  };
  for (const auto &c : cases) {
    cli_run r;
    EXPECT_EQ(r.run(c.first), 2);
    EXPECT_EQ(r.errors().rfind("quenby-toc: " + c.second, 0), 0u) << r.errors();
  }
  EXPECT_EQ(read_file(a), page);
}

// Without options a page gets valid HTML with readable names. The block
// records how it was made, so that later runs without options keep it; an
// option given once changes the page for good, and the page's own TOC
// comment wins over all.
TEST_F(quenby_toc_test, options_and_page_settings_reach_the_engine) {
  const std::string a = folder.file("a.html");
  const std::string plain = "<body>\r\n<h1>Intro</h1><h2 class=\"x\">Two</h2>";
  ASSERT_TRUE(write_file(a, plain));
  cli_run r;
  EXPECT_EQ(r.run({a}), 0);
  EXPECT_EQ(r.errors(), "");
  EXPECT_EQ(read_file(a),
            "<body><!--KRYN_HTML_TOC_START-->\r\n<!-- Table of contents by quenby-toc (style=html5); "
            "remade on every run, edits between the markers are lost -->\r\n"
            "<nav class=\"toc\" aria-label=\"Table of contents\">\r\n<ul>\r\n"
            "<li><a href=\"#intro\" class=\"toc_item\">Intro</a>\r\n<ul>\r\n"
            "  <li><a href=\"#two\" class=\"toc_item\">Two</a></li>\r\n</ul>\r\n</li>\r\n</ul>\r\n</nav>\r\n"
            "<!--KRYN_HTML_TOC_END-->\r\n<h1 id=\"intro\" data-kryn-toc>Intro</h1>"
            "<h2 id=\"two\" data-kryn-toc class=\"x\">Two</h2>");
  cli_run chosen;
  EXPECT_EQ(chosen.run({"-s", "ol", "--levels", "1", "--skip-class", "x", a}), 0);
  const std::string made = read_file(a);
  EXPECT_NE(made.find("(style=ol levels=1 skip-class=x)"), std::string::npos) << made;
  EXPECT_NE(made.find("<ol>\r\n<li><a href=\"#intro\" class=\"toc_item\">Intro</a></li>\r\n</ol>"),
            std::string::npos);
  // Remade, checked and compared without options: nothing changes.
  for (const std::vector<std::string> &args : {std::vector<std::string>{a}, {"--check", a}, {"--diff", a}}) {
    cli_run again;
    EXPECT_EQ(again.run(args), 0) << again.errors();
    EXPECT_EQ(again.output(), "");
  }
  EXPECT_EQ(read_file(a), made);
  // The page's comment wins over the command line.
  ASSERT_TRUE(write_file(a, "<body><!-- toc levels=2 -->" + plain.substr(6)));
  cli_run commented;
  EXPECT_EQ(commented.run({"--levels", "1", a}), 0);
  EXPECT_NE(read_file(a).find("<li><a href=\"#two\""), std::string::npos);
  EXPECT_EQ(read_file(a).find("<li><a href=\"#intro\""), std::string::npos);
  // And taken out without options, the page is as it was.
  cli_run removed;
  EXPECT_EQ(removed.run({"--remove", a}), 0);
  EXPECT_EQ(read_file(a), "<body><!-- toc levels=2 -->" + plain.substr(6));

  // A wrong setting in a page: its line, nothing written.
  const std::string b = folder.file("b.html");
  const std::string wrong = "<body>\r\n\r\n<!-- toc anchors=id colour=red -->\r\n<h1>A</h1>";
  ASSERT_TRUE(write_file(b, wrong));
  cli_run r2;
  EXPECT_EQ(r2.run({b, a}), 2);
  EXPECT_EQ(r2.errors(), "quenby-toc: " + b + ":3: unknown setting 'colour' in the TOC comment\n"
                         "quenby-toc: 1 changed, 0 unchanged, 1 failed\n");
  EXPECT_EQ(read_file(b), wrong);
}

TEST_F(quenby_toc_test, remove_gives_the_page_back) {
  const std::string a = folder.file("a.html");
  ASSERT_TRUE(write_file(a, page));
  cli_run make;
  EXPECT_EQ(make.run({"-N", "-s", "html5", a}), 0);
  cli_run check;
  EXPECT_EQ(check.run({"-R", "--check", "-s", "html5", a}), 1);
  EXPECT_NE(check.errors().find(a + ": would change"), std::string::npos);
  cli_run remove;
  EXPECT_EQ(remove.run({"--remove", "-s", "html5", a}), 0);
  EXPECT_EQ(read_file(a), page);
  cli_run again;
  EXPECT_EQ(again.run({"-R", "--diff", a}), 0);
  EXPECT_EQ(again.output(), "");
}

TEST_F(quenby_toc_test, diff_prints_what_would_change_and_writes_nothing) {
  const std::string a = folder.file("a.html");
  ASSERT_TRUE(write_file(a, page));
  cli_run r;
  EXPECT_EQ(r.run({"-s", "classic", "--stamp", "7", "--diff", a}), 1);
  EXPECT_EQ(read_file(a), page);
  EXPECT_EQ(r.errors(), "");
  const std::string diff = r.output();
  EXPECT_EQ(diff.rfind("--- " + a + "\n+++ " + a + "\n@@ -1,3 +1,", 0), 0u) << diff;
#ifndef _WIN32
  // patch makes the page from it that a run would make.
  ASSERT_TRUE(write_file(folder.file("changes.diff"), diff));
  const std::string command = "patch -s -o " + folder.file("patched.html") + " " + a + " < " +
                              folder.file("changes.diff");
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(read_file(folder.file("patched.html")), with_toc("7"));
#endif

  cli_run done;
  ASSERT_TRUE(write_file(a, with_toc("7")));
  EXPECT_EQ(done.run({"--diff", a}), 0);
  EXPECT_EQ(done.output(), "");
}

}  // namespace
