#include "cli/file_selection.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>
#include "test_support/scratch_folder.h"

namespace {

using test_support::scratch_folder;
using test_support::write_file;
namespace fsys = std::filesystem;

TEST(glob_matches, stars_sets_and_folders) {
  struct example {
    const char *glob, *path;
    bool matches;
  } examples[] = {
      {"*.html", "a.html", true},        {"*.html", "d/a.html", false},
      {"d/*.html", "d/a.html", true},    {"d/*", "d/e/a.html", false},
      {"d/**", "d/e/a.html", true},      {"**/a.html", "a.html", true},
      {"**/a.html", "d/e/a.html", true}, {"**/a.html", "da.html", false},
      {"d/**/a.html", "d/a.html", true}, {"d/**/a.html", "d/x/y/a.html", true},
      {"?.htm", "a.htm", true},          {"?.htm", "/.htm", false},
      {"[a-c]*", "b.html", true},        {"[!a-c]*", "b.html", false},
      {"[]x]", "]", true},               {"\\*.html", "*.html", true},
      {"\\*.html", "a.html", false},     {"[a", "[a", true},
      {"*a*b*c", "xaybzc", true},        {"*a*b*c", "xaybz", false},
  };
  for (const example &e : examples)
    EXPECT_EQ(glob_matches(e.glob, e.path), e.matches) << e.glob << " against " << e.path;
  // Many stars on a long path stay quick: no backtracking.
  EXPECT_FALSE(glob_matches("*a*a*a*a*a*a*a*a*b", std::string(5000, 'a')));
}

// The paths below a folder as the system writes them.
std::string system_paths(std::string names) {
#ifdef _WIN32
  std::replace(names.begin(), names.end(), '/', '\\');
#endif
  return names;
}

class file_selection_test : public ::testing::Test {
protected:
  void SetUp() override {
    for (const char *name : {"b.html", "a.htm", "A.SHTML", "notes.txt", "sub/c.html", "sub/deep/d.html",
                             "sub-x/e.html", ".hidden/f.html", "sub/.g.html", "drafts/h.html"}) {
      fsys::create_directories(fsys::path(folder.file(name)).parent_path());
      ASSERT_TRUE(write_file(folder.file(name), "<h1>x</h1>"));
    }
#ifndef _WIN32
    fsys::create_directory_symlink(folder.file("sub"), folder.file("linked-folder"));
    fsys::create_symlink(folder.file("sub/c.html"), folder.file("linked-page.html"));
#endif
  }
  // The pages chosen below the folder, as paths below it.
  std::string chosen(const file_selection_rules &rules) {
    std::vector<std::string> files, problems;
    select_files({folder.file("")}, rules, files, problems);
    EXPECT_TRUE(problems.empty());
    std::string names;
    const std::string prefix = folder.file("");
    for (const std::string &f : files) names += f.substr(prefix.size()) + " ";
    return names;
  }
  scratch_folder folder;
};

TEST_F(file_selection_test, pages_below_a_folder_in_order_without_hidden_ones_or_links_to_folders) {
  file_selection_rules rules;
  rules.recursive = true;
#ifdef _WIN32
  const std::string link = "";
#else
  const std::string link = "linked-page.html ";
#endif
  EXPECT_EQ(chosen(rules), system_paths("A.SHTML a.htm b.html drafts/h.html " + link +
                                        "sub/c.html sub/deep/d.html sub-x/e.html "));
  rules.exclude = {"drafts", "sub/deep/**"};
  EXPECT_EQ(chosen(rules), system_paths("A.SHTML a.htm b.html " + link + "sub/c.html sub-x/e.html "));
  rules.exclude = {"*.htm*"};
  EXPECT_EQ(chosen(rules), system_paths("A.SHTML "));
  rules.exclude.clear();
  rules.include = {"sub*/**", "a.*"};
  EXPECT_EQ(chosen(rules), system_paths("a.htm sub/c.html sub/deep/d.html sub-x/e.html "));
  rules.exclude = {"d.html"};
  EXPECT_EQ(chosen(rules), system_paths("a.htm sub/c.html sub-x/e.html "));
}

TEST_F(file_selection_test, files_and_folders_as_given_without_recursion) {
  std::vector<std::string> files, problems;
  select_files({folder.file("b.html"), "-", folder.file("sub")}, file_selection_rules(), files, problems);
  EXPECT_EQ(files, (std::vector<std::string>{folder.file("b.html"), "-", folder.file("sub")}));
  EXPECT_TRUE(problems.empty());
}

#ifndef _WIN32
TEST_F(file_selection_test, an_unreadable_folder_is_named_and_the_rest_taken) {
  if (::geteuid() == 0) GTEST_SKIP() << "root reads every folder";
  fsys::permissions(folder.file("sub/deep"), fsys::perms::none);
  std::vector<std::string> files, problems;
  file_selection_rules rules;
  rules.recursive = true;
  select_files({folder.file("sub")}, rules, files, problems);
  fsys::permissions(folder.file("sub/deep"), fsys::perms::owner_all);
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_EQ(problems[0].rfind(folder.file("sub/deep") + ": can't be read: ", 0), 0u) << problems[0];
  EXPECT_EQ(files, std::vector<std::string>{folder.file("sub/c.html")});
}

// Run as an ordinary user, since root enters every folder.
template <typename work_t>
void as_ordinary_user(work_t work) {
  const bool root = ::geteuid() == 0;
  if (root) ASSERT_EQ(::seteuid(65534), 0);
  work();
  if (root) ASSERT_EQ(::seteuid(0), 0);
}

// Nothing below the folder is dropped without a word: a folder that can be
// listed but not entered, and links to pages that lead nowhere (to no file,
// or round in a loop), are each named.
TEST_F(file_selection_test, what_cannot_be_taken_is_named) {
  fsys::create_symlink(folder.file("none.html"), folder.file("dangling.html"));
  fsys::create_symlink(folder.file("loop.html"), folder.file("loop.html"));
  fsys::permissions(folder.file(""), fsys::perms::others_read | fsys::perms::others_exec, fsys::perm_options::add);
  fsys::permissions(folder.file("sub"), fsys::perms::owner_read | fsys::perms::owner_write |
                                            fsys::perms::group_read | fsys::perms::others_read);
  std::vector<std::string> files, problems;
  file_selection_rules rules;
  rules.recursive = true;
  rules.exclude = {"sub-x", "drafts"};
  as_ordinary_user([&] { select_files({folder.file("")}, rules, files, problems); });
  const std::string leads_nowhere = ": a link that leads to no page: ";
  EXPECT_EQ(problems, (std::vector<std::string>{
                          folder.file("dangling.html") + leads_nowhere + "No such file or directory",
                          folder.file("linked-page.html") + leads_nowhere + "Permission denied",   // into sub
                          folder.file("loop.html") + leads_nowhere + "Too many levels of symbolic links",
                          folder.file("sub") + ": can't be entered: Permission denied"}));
  EXPECT_EQ(files, (std::vector<std::string>{folder.file("A.SHTML"), folder.file("a.htm"), folder.file("b.html")}));
}
#endif

}  // namespace
