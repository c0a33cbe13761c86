// The contents page across pages (--index): titles, links relative to the
// page, the order given, remakes in place, and a fixed point.
#include "cli/contents_page.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <string>
#include <vector>
#include "cli/cli_run_test_util.h"
#include "cli/contents_head.h"
#include "test_support/scratch_folder.h"
#include "test_support/toc_markup.h"

namespace {

using cli_test::cli_run;
using test_support::read_file;
using test_support::scratch_folder;
using test_support::write_file;

TEST(contents_page, links_are_relative_and_escaped) {
  EXPECT_EQ(relative_link("site/index.html", "site/a.html"), "a.html");
  EXPECT_EQ(relative_link("site/index.html", "site/guide/b.html"), "guide/b.html");
  EXPECT_EQ(relative_link("site/guide/index.html", "site/./c.html"), "../c.html");
  EXPECT_EQ(relative_link("index.html", "odd name#1?%.html"), "odd%20name%231%3F%25.html");
#ifndef _WIN32   // there "a:" names a drive
  EXPECT_EQ(relative_link("index.html", "a:b\xe9.html"), "a%3Ab%E9.html");
#endif
}

// The mark and the encoding go into the head, in the page's line ends;
// what the page declares already is not declared again.
TEST(contents_page, declarations_join_the_head_once) {
  const struct {
    const char *page, *entry, *prepared, *entry_after;   // @ stands for the mark
  } cases[] = {
      {"<p>x", "Cafe", "@\n<p>x", "Cafe"},
      {"<!doctype html>\r\n<p>x", "Caf\xc3\xa9", "<!doctype html>\r\n<meta charset=\"utf-8\">\r\n@\r\n<p>x",
       "Caf\xc3\xa9"},
      {"<HTML lang=en><Head>\n<META http-equiv=content-type content='text/html; Charset = UTF-8'>", "Caf\xc3\xa9",
       "<HTML lang=en><Head>\n@\n<META http-equiv=content-type content='text/html; Charset = UTF-8'>", "Caf\xc3\xa9"},
      {"<html><head><meta charset=\" latin1\"><meta name=GENERATOR content=\"quenby-toc --index\">",
       "\xe2\x82\xac\xc3\xa9", "<html><head><meta charset=\" latin1\"><meta name=GENERATOR content=\"quenby-toc --index\">",
       "&#8364;&#233;"},
  };
  for (const auto &c : cases) {
    toc_tree contents;
    auto *entry = new toc_node;
    entry->entry_text = krval(c.entry);
    contents.append_top_level(entry);
    std::string prepared, expected = c.prepared;
    const size_t mark_at = expected.find('@');
    if (mark_at != std::string::npos) expected.replace(mark_at, 1, "<meta name=\"generator\" content=\"quenby-toc --index\">");
    ASSERT_TRUE(prepare_contents_page(c.page, contents, prepared));
    EXPECT_EQ(prepared, expected) << c.page;
    EXPECT_EQ(contents.first->entry_text, c.entry_after);
  }
}

class contents_page_run : public ::testing::Test {
protected:
  std::string page(const std::string &name, const std::string &bytes) {
    const std::string path = folder.file(name);
    EXPECT_TRUE(write_file(path, bytes));
    return path;
  }
  int run(std::vector<std::string> args, std::string *errors = nullptr) {
    cli_run r;
    args.insert(args.begin(), {"-s", "classic", "--stamp", "7"});
    const int status = r.run(args);
    if (errors) *errors = r.errors();
    return status;
  }
  scratch_folder folder;
};

TEST_F(contents_page_run, lists_titles_and_entries_in_the_order_given) {
  std::filesystem::create_directories(folder.file("guide"));
  const std::string a = page("a.html", "<html><head><title>\n  Start  &amp;\n go </title></head>"
                                       "<body>\n<h1>One</h1>\n<h2>Two</h2>\n</body></html>\n");
  const std::string b = page("guide/b.html", "<html><body><h2>Deep</h2></body></html>");
  const std::string c = page("c.html", "<title>x <b> y</title><body>no headings</body>");
  const std::string index = folder.file("index.html");
  ASSERT_EQ(run({"--index", index, b, a, c, a}), 0);

  const std::string made = read_file(index);
  const auto link = toc_markup::item;
  const std::string list =
      "<ul>\r\n" + link("", "guide/b.html", "b.html") + "<ul>\r\n" +
      link("  ", "guide/b.html#kryn_link_1_7", "Deep") + "</ul>\r\n" +
      link("", "a.html", "Start &amp; go") + "<ul>\r\n" +
      link("  ", "a.html#kryn_link_1_7", "One") + "<ul>\r\n" +
      link("    ", "a.html#kryn_link_2_7", "Two") + "</ul>\r\n</ul>\r\n" +
      link("", "c.html", "x &lt;b&gt; y") + "</ul>\r\n";
  EXPECT_NE(made.find(toc_markup::with_lf(list)), std::string::npos) << made;
  EXPECT_EQ(made.rfind("<!DOCTYPE html>", 0), 0u);
  // The pages themselves are made as in a run without --index.
  EXPECT_NE(read_file(a).find("<h1><a name=\"kryn_link_1_7\" class=\"header_item\">One</a></h1>"),
            std::string::npos);

  // Every link of the contents page names a page and a name it has.
  cli_run check;
  EXPECT_EQ(check.run({"--check", "--check-links", "--index", index, b, a, c}), 0)
      << check.output() << check.errors();
}

// A folder given with -r opens with its index page; a page's first heading
// that says its title again is not listed twice; text beyond ASCII comes
// out in UTF-8, which the page declares where it declares nothing.
TEST_F(contents_page_run, folders_open_with_their_index_and_titles_are_said_once) {
  std::filesystem::create_directories(folder.file("site/guide"));
  page("site/a.html", "<title>Caf\xc3\xa9</title><body><h1>Alpha</h1>");
  page("site/index.html", "<title>Home</title><body><h1>Home</h1><h2>News</h2><h3>Old</h3><h1>More</h1>");
  page("site/guide/b.html", "<title>Caf\xe9</title><body><h2> Caf&eacute; </h2><h3>Setup</h3>");   // windows-1252
  const std::string index = folder.file("contents.html");
  ASSERT_EQ(run({"-r", "--index", index, folder.file("site")}), 0);
  const std::string made = read_file(index);
  const auto link = toc_markup::item;
  const std::string list =
      "<ul>\r\n" + link("", "site/index.html", "Home") + "<ul>\r\n" +
      link("  ", "site/index.html#kryn_link_2_7", "News") + "<ul>\r\n" +
      link("    ", "site/index.html#kryn_link_3_7", "Old") + "</ul>\r\n" +
      link("  ", "site/index.html#kryn_link_4_7", "More") + "</ul>\r\n" +
      link("", "site/a.html", "Caf\xc3\xa9") + "<ul>\r\n" +
      link("  ", "site/a.html#kryn_link_1_7", "Alpha") + "</ul>\r\n" +
      link("", "site/guide/b.html", "Caf\xc3\xa9") + "<ul>\r\n" +
      link("  ", "site/guide/b.html#kryn_link_2_7", "Setup") + "</ul>\r\n</ul>\r\n";
  EXPECT_NE(made.find(toc_markup::with_lf(list)), std::string::npos) << made;
  EXPECT_EQ(made.rfind("<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<meta name=\"generator\"", 0), 0u)
      << made;

  // A page that declares another encoding gets character references.
  const std::string latin = page("latin.html", "<html><head><meta charset=\"ISO-8859-1\"></head>\n"
                                               "<body><!-- toc --></body></html>");
  ASSERT_EQ(run({"--index", latin, folder.file("site/a.html")}), 0);
  EXPECT_EQ(read_file(latin), "<html><head>\n<meta name=\"generator\" content=\"quenby-toc --index\">"
                              "<meta charset=\"ISO-8859-1\"></head>\n<body><!-- toc -->" +
                                  toc_markup::with_lf(toc_markup::block("<ul>\r\n" + link("", "site/a.html", "Caf&#233;") +
                                                    "<ul>\r\n" + link("  ", "site/a.html#kryn_link_1_7", "Alpha") +
                                                    "</ul>\r\n</ul>\r\n")) +
                                  "</body></html>");
}

// A contents page carries a mark, which runs that are not making it see:
// they leave it as it is, and say so on one line.
TEST_F(contents_page_run, a_run_without_index_leaves_the_contents_page_alone) {
  std::filesystem::create_directories(folder.file("site"));
  page("site/a.html", "<html><body><h1>One</h1></body></html>");
  const std::string own = page("site/own.html", "<html><head><title>Mine</title></head><body>\n"
                                                "<!-- toc --></body></html>");
  const std::string made = folder.file("site/contents.html");
  ASSERT_EQ(run({"-r", "--index", made, folder.file("site")}), 0);
  ASSERT_EQ(run({"--index", own, folder.file("site/a.html")}), 0);   // the mark joins a page of one's own
  const std::string made_text = read_file(made), own_text = read_file(own);
  EXPECT_NE(own_text.find("<head>\n<meta name=\"generator\" content=\"quenby-toc --index\"><title>Mine"),
            std::string::npos) << own_text;
  for (const std::vector<std::string> &args :
       std::vector<std::vector<std::string>>{{"-r", folder.file("site")}, {"--check", "-r", folder.file("site")}}) {
    std::string errors;
    EXPECT_EQ(run(args, &errors), 0) << errors;
    for (std::string page : {made, own}) {
#ifdef _WIN32
      std::replace(page.begin(), page.end(), '/', '\\');   // as -r names it there
#endif
      EXPECT_NE(errors.find("quenby-toc: " + page + ": a contents page made by --index, left as it is"),
                std::string::npos) << errors;
    }
  }
  EXPECT_EQ(read_file(made), made_text);
  EXPECT_EQ(read_file(own), own_text);
}

TEST_F(contents_page_run, a_remake_with_unchanged_pages_is_a_fixed_point) {
  const std::string a = page("a.html", "<html><body><h1>One</h1></body></html>");
  const std::string index = page("index.html", "<html><body>\r\n<p>Mine.</p>\r\n<!-- toc -->"
                                               "\r\n<h2>Own</h2></body></html>");
  for (const char *style : {"classic", "details"}) {
    ASSERT_EQ(run({"-s", style, "--index", index, a, index}), 0);
    const std::string first_index = read_file(index), first_a = read_file(a);
    EXPECT_NE(first_index.find("<p>Mine.</p>\r\n<!-- toc --><!--KRYN_HTML_TOC_START-->"),
              std::string::npos) << first_index;
    // Its own headings stay as they are, and it does not list itself.
    EXPECT_NE(first_index.find("<!--KRYN_HTML_TOC_END-->\r\n<h2>Own</h2></body>"), std::string::npos)
        << first_index;
    EXPECT_EQ(first_index.find("index.html"), std::string::npos);

    cli_run again;
    EXPECT_EQ(again.run({"--stamp", "99", "-s", style, "--check", "--index", index, a}), 0)
        << again.errors();
    ASSERT_EQ(run({"-s", style, "--index", index, a}), 0);
    EXPECT_EQ(read_file(index), first_index);
    EXPECT_EQ(read_file(a), first_a);
  }
}

TEST_F(contents_page_run, stale_failed_or_placeless_contents_are_said) {
  const std::string a = page("a.html", "<html><body><h1>One</h1></body></html>");
  const std::string index = folder.file("index.html");
  std::string errors;
  EXPECT_EQ(run({"--check", "--index", index, a}, &errors), 1);
  EXPECT_NE(errors.find("quenby-toc: " + index + ": would change"), std::string::npos) << errors;
  EXPECT_EQ(read_file(index), "<missing>");

  // A page that fails leaves the contents page as it was.
  ASSERT_TRUE(write_file(index, "<body><!-- toc --></body>"));
  EXPECT_EQ(run({"--index", index, a, folder.file("none.html")}, &errors), 2);
  EXPECT_NE(errors.find(index + ": not made, since a page failed"), std::string::npos) << errors;
  EXPECT_EQ(read_file(index), "<body><!-- toc --></body>");

  // Its only place lies within an old block, which goes: it keeps its text.
  const std::string placeless = "<!--KRYN_HTML_TOC_START--><body><!--KRYN_HTML_TOC_END--><p>x</p>";
  ASSERT_TRUE(write_file(index, placeless));
  EXPECT_EQ(run({"--index", index, a}, &errors), 2);
  EXPECT_NE(errors.find(index + ": no place for the contents"), std::string::npos) << errors;
  EXPECT_EQ(read_file(index), placeless);

  EXPECT_EQ(run({"--index", index, "-"}, &errors), 2);
  EXPECT_NE(errors.find("--index lists files, not standard input"), std::string::npos);
}

}  // namespace
