// The link check: links and names read as a browser reads them, and each
// kind of finding, within a page and across the pages of a run.
#include "cli/link_check.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>
#include "cli/cli_run_test_util.h"
#include "test_support/scratch_folder.h"

namespace {

using cli_test::cli_run;
using test_support::read_file;
using test_support::scratch_folder;
using test_support::write_file;

TEST(link_references, attributes_decode_as_in_a_browser) {
  const struct {
    const char *written, *decoded;
  } cases[] = {
      {"a&amp;b", "a&b"},           {"caf&#233;", "caf\xc3\xa9"},  {"caf&#xE9", "caf\xc3\xa9"},
      {"caf&eacute;", "caf\xc3\xa9"}, {"&lt&gt;", "<>"},           {"x&copy=1", "x&copy=1"},
      {"&#150;", "\xe2\x80\x93"},   {"&#0;", "\xef\xbf\xbd"},      {"&nope;&apos", "&nope;&apos"},
      {"&ndash;", "\xe2\x80\x93"},  {"&#", "&#"},                  {"caf\xc3\xa9", "caf\xc3\xa9"},
  };
  for (const auto &c : cases) EXPECT_EQ(decoded_attribute(c.written, true), c.decoded) << c.written;
  // A page that is not UTF-8 is read as windows-1252.
  EXPECT_EQ(decoded_attribute("caf\xe9\x80", false), "caf\xc3\xa9\xe2\x82\xac");
  EXPECT_TRUE(is_utf8("caf\xc3\xa9", 5));
  EXPECT_FALSE(is_utf8("caf\xe9", 4));
  EXPECT_FALSE(is_utf8("\xc0\xaf", 2));   // an overlong "/"
}

TEST(link_references, links_split_as_in_a_browser) {
  link_parts p = split_link(" \tdocs/my%20page.html?x=1#sec%C3%A9\n");
  EXPECT_FALSE(p.other_site);
  EXPECT_EQ(p.path, "docs/my page.html");
  EXPECT_TRUE(p.has_fragment);
  EXPECT_EQ(p.fragment, "sec\xc3\xa9");
  EXPECT_TRUE(split_link("HTTP://x/a.html#b").other_site);
  EXPECT_TRUE(split_link("mailto:a@b#c").other_site);
  EXPECT_TRUE(split_link("//host/a#b").other_site);
  EXPECT_TRUE(split_link("/root.html#b").from_root);
  EXPECT_FALSE(split_link("a.html").has_fragment);
  EXPECT_EQ(split_link("#").fragment, "");
}

std::vector<std::string> findings(const std::string &name, const std::string &bytes) {
  page_links links;
  EXPECT_TRUE(scan_page_links(bytes.data(), bytes.size(), links));
  return check_links({{name, "", &links}});
}

TEST(link_check, each_finding_in_one_page_with_its_line) {
  const std::string page =
      "<html><body>\n"
      "<a href=\"#missing\">1</a> <a href=\"#here\">2</a>\n"
      "<h2 id=\"here\">H</h2><a name=\"here\">again</a>\n"
      "<a name=\"both\" id=\"both\">one element</a> <area href=\"#gone\">\n"
      "<script>var s = '<a href=\"#in-script\">';</script><!-- <a href=\"#in-comment\"> -->\n"
      "<a href=\"#top\">t</a><a href=\"#\">t</a><a href=\"http://x/#y\">x</a><a href=\"#Here\">case</a>\n"
      "</body></html>\n";
  EXPECT_EQ(findings("p.html", page),
            (std::vector<std::string>{
                "p.html:2: link \"#missing\": no name \"missing\" in this page",
                "p.html:3: name \"here\" given twice (first on line 3)",
                "p.html:4: link \"#gone\": no name \"gone\" in this page",
                "p.html:6: link \"#Here\": no name \"Here\" in this page",
            }));
}

TEST(link_check, references_and_escapes_in_links_meet_the_names) {
  const std::string page =
      "<p id=\"caf&eacute;\"><p id=\"a&amp;b\"><a name=\"x y\"></a>\n"
      "<a href=\"#caf%C3%A9\">1</a><a href=\"#caf&#xe9;\">2</a><a href=\"#a%26b\">3</a>"
      "<a href=\"#a&amp;b\">4</a><a href=\"#x%20y\">5</a><a href=\"  #x y\">6</a>\n"
      // A name that holds escapes itself is met as written, before unescaping.
      "<h3 id=\"impl-Clone-for-Ascii%3C'a%3E\">I</h3><a href=\"#impl-Clone-for-Ascii%3C'a%3E\">7</a>\n"
      "<p id=\"%C3%A9\"><a href=\"#\xc3\xa9\">8</a><a href=\"#%2541\">9</a>\n";
  EXPECT_EQ(findings("p.html", page),
            std::vector<std::string>{"p.html:4: link \"#%2541\": no name \"%41\" in this page"});
  // The same page in windows-1252: a raw byte and its reference meet too.
  EXPECT_EQ(findings("p.html", "<p id=\"caf\xe9\"><a href=\"#caf%C3%A9\"></a><a href=\"#caf&eacute;\">"),
            std::vector<std::string>{});
}

std::string line_of(const std::string &text, const std::string &needle) {
  const size_t at = text.find(needle);
  return std::to_string(1 + std::count(text.begin(), text.begin() + static_cast<long>(at), '\n'));
}

// Links to pages of the run are checked against their names; a page that
// is missing from a folder of the run is a finding too. Links leaving the
// run's folders, to files the run was not given, and absolute ones are not.
TEST(link_check, links_to_other_pages_of_the_run) {
  scratch_folder folder;
  std::filesystem::create_directories(folder.file("sub"));
  std::filesystem::create_directories(folder.file("elsewhere"));
  const std::string a = folder.file("a.html"), b = folder.file("sub/my page.html");
  ASSERT_TRUE(write_file(folder.file("given-not.html"), "<p>"));
  ASSERT_TRUE(write_file(a, "<h1>A</h1>\n<a href=\"sub/my%20page.html#b1\">ok</a>\n"
                            "<a href=\"sub/my page.html#nope\">bad</a>\n"
                            "<a href=\"other.html#not-there\">missing</a><a href=\"sub/Gone.HTM\">missing</a>\n"
                            "<a href=\"given-not.html#x\">there</a><a href=\"elsewhere/none.html\">out</a>"
                            "<a href=\"../none.html\">out</a><a href=\"/none.html\">root</a>"
                            "<a href=\"//host/none.html\">host</a><a href=\"file:none.html\">scheme</a>"
                            "<a href=\"none.png\">no page</a>\n"));
  ASSERT_TRUE(write_file(b, "<h2 id=\"b1\">B</h2><a href=\"../a.html#kryn_link_1_7\">back</a>"
                            "<a href=\"./../a.html?q#gone\">gone</a>"));
  cli_run r;
  EXPECT_EQ(r.run({"-s", "classic", "--stamp", "7", "--check-links", a, b}), 1);
  // Lines are those of the pages as written, TOC blocks included.
  const std::string missing = a + ":" + line_of(read_file(a), "other.html");
  EXPECT_EQ(r.output(), a + ":" + line_of(read_file(a), "#nope") +
                            ": link \"sub/my page.html#nope\": no name \"nope\" in " + b + "\n" +
                            missing + ": link \"other.html#not-there\": no such page\n" +
                            missing + ": link \"sub/Gone.HTM\": no such page\n" +
                            b + ":" + line_of(read_file(b), "#gone") +
                            ": link \"./../a.html?q#gone\": no name \"gone\" in " + a + "\n");
  // Findings are output; the summary counts them.
  EXPECT_EQ(r.errors(), "quenby-toc: 2 changed, 0 unchanged, 0 failed, 4 link findings\n");
  // The check reads the pages as the run left them: the anchor above is new.
  EXPECT_NE(read_file(a).find("kryn_link_1_7"), std::string::npos);

  // Alone with --check: the pages as they would be written; nothing written.
  const std::string fresh = "<h1>A</h1><a href=\"#kryn_link_1_8\">new</a>";
  ASSERT_TRUE(write_file(a, fresh));
  cli_run alone;
  EXPECT_EQ(alone.run({"-s", "classic", "--stamp", "8", "--check", "--check-links", a}), 1);
  EXPECT_EQ(alone.output(), "");
  EXPECT_NE(alone.errors().find("would change"), std::string::npos);
  EXPECT_EQ(read_file(a), fresh);
}

}  // namespace
