#include "page_files/make_toc_file.h"

#include <gtest/gtest.h>
#include <csignal>
#include <filesystem>
#include <string>
#include <vector>
#include "fs/fs_test_hooks.h"
#include "html/node_text_store.h"
#include "html/xml_node_pool.h"
#include "regex/regex_binding.h"
#include "page_files/destination_file.h"
#include "test_support/scratch_folder.h"
#include "test_support/toc_markup.h"
#include "toc/toc_test_util.h"

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

using test_support::read_file;
using test_support::scratch_folder;
using test_support::write_file;

const std::string S = "1007136000";
const std::string whole_source =
    "<html><body>\r\n<h1>Intro</h1>\r\n<h2>Setup</h2>\r\n</body></html>";

std::string whole_expected() {
  using namespace toc_markup;
  return "<html><body>" +
         block("<ul>\r\n" + item("", "#" + link_name(1), "Intro") + "<ul>\r\n" +
               item("  ", "#" + link_name(2), "Setup") + "</ul>\r\n</ul>\r\n") +
         "\r\n<h1>" + anchor(link_name(1), "Intro") + "</h1>\r\n<h2>" + anchor(link_name(2), "Setup") +
         "</h2>\r\n</body></html>";
}

// The window's job with a fixed stamp, so that its bytes can be compared.
struct job {
  toc_style style;
  int32_t stamp = 1007136000;
  destination_step_check step_allowed = nullptr;
  toc_tree tree;
  toc_node *last = nullptr;
  toc_node *first = nullptr;
  krval message{"untouched"};
  std::vector<int32_t> progress;
  int32_t result = -1;

  static void record(int32_t percent, void *context) {
    static_cast<job *>(context)->progress.push_back(percent);
  }
  int32_t run(const std::string &source, const std::string &destination, uint8_t insert = 1) {
    toc_request j;
    j.options.style = style;
    j.options.stamp = stamp;
    j.insert_toc = insert;
    j.tree = &tree;
    j.last_entry = last;
    j.comment_matcher = toc_comment_matches;
    j.progress = record;
    j.context = this;
    replacement_rules rules;
    rules.step_allowed = step_allowed;
    toc_file_result made;
    result = make_toc_with_options(krval(source.c_str()), krval(destination.c_str()), j, rules, made);
    if (result != 0) {
      message = made.message;
      return result;
    }
    first = made.first_entry;
    last = made.last_entry;
    return result;
  }
};

class make_toc_file_test : public ::testing::Test {
protected:
  static void SetUpTestSuite() { ASSERT_TRUE(load_regex_library()); }
  void TearDown() override {
    // However the job ended, its document is gone when it returns: nodes
    // and the bytes they saw.
    EXPECT_EQ(xml_node_pool::live_nodes(), 0u);
    EXPECT_EQ(node_text_store::blocks(), 0u);
    fs_restore_hooks();
  }
  scratch_folder folder;
};

TEST_F(make_toc_file_test, whole_run_and_remake_in_place) {
  const std::string page = folder.file("page.html");
  ASSERT_TRUE(write_file(page, whole_source));
  job first;
  ASSERT_EQ(first.run(page, page), 0) << first.message.str();
  EXPECT_EQ(read_file(page), whole_expected());
  EXPECT_EQ(first.message.str(), "untouched");
  ASSERT_NE(first.first, nullptr);
  EXPECT_EQ(first.first, first.tree.first);
  EXPECT_EQ(first.last->entry_text.str(), "Setup");

  // A remake on another day replaces the block and keeps the anchors.
  job second;
  second.stamp = 1100000000;
  ASSERT_EQ(second.run(page, page), 0);
  EXPECT_EQ(read_file(page), whole_expected());
  EXPECT_EQ(folder.listing(), "page.html ");
}

// The window's call: its anchors carry the time of the run.
TEST_F(make_toc_file_test, the_windows_call_stamps_with_the_current_time) {
  const std::string page = folder.file("page.html");
  ASSERT_TRUE(write_file(page, whole_source));
  toc_style style;
  toc_tree tree;
  toc_node *last = nullptr, *first = nullptr;
  krval message("untouched");
  const int64_t before = unix_time_now();
  ASSERT_EQ(make_toc_file(krval(page.c_str()), krval(page.c_str()), 1, style, tree, last, first,
                          message, nullptr, nullptr),
            0);
  const int64_t after = unix_time_now();
  const std::string made = read_file(page);
  const size_t at = made.find("<h1><a name=\"kryn_link_1_");
  ASSERT_NE(at, std::string::npos);
  const int64_t stamp = std::stoll(made.substr(at + 25, 10));
  EXPECT_GE(stamp, before);
  EXPECT_LE(stamp, after);
  EXPECT_EQ(first, tree.first);
  EXPECT_EQ(last->entry_text.str(), "Setup");
  EXPECT_EQ(message.str(), "untouched");
}

TEST_F(make_toc_file_test, progress_runs_per_chunk_then_70_80_100) {
  std::string page = "<body><h1>A</h1><p>";
  page.append(40000 - page.size() - 4, 'x');
  page += "</p>";
  ASSERT_EQ(page.size(), 40000u);
  ASSERT_TRUE(write_file(folder.file("in.html"), page));
  job j;
  ASSERT_EQ(j.run(folder.file("in.html"), folder.file("out.html")), 0);
  EXPECT_EQ(j.progress, (std::vector<int32_t>{28, 57, 70, 70, 80, 100}));
}

// A page of a few megabytes has its nodes' memory faulted in ahead by a
// second thread, and its bytes gathered into few writes: the file job must
// still give the bytes the transform gives in memory, in place as to another
// file.
TEST_F(make_toc_file_test, large_pages_give_the_bytes_of_the_transform_in_memory) {
  // One heading's text is longer than what the file sink copies of a
  // passing text: its TOC item goes out on its own.
  std::string page = "<html><body>\r\n<h2>" + std::string(40000, 'w') + "</h2>\r\n";
  for (int i = 0; page.size() < 5 * 1024 * 1024 / 2; ++i) {
    const std::string n = std::to_string(i), level = std::to_string(1 + i % 3);
    page += "<h" + level + ">Part " + n + "</h" + level + ">\r\n<p>Some <b>text</b> of part " + n +
            ",<br>\r\n<table><tr><td>a</td><td valign=top>b</td></tr></table><!-- " + n + " -->\r\n";
  }
  page += "</body></html>";
  const std::string expected = toc_test::toc_of(page, 1007136000);
  ASSERT_TRUE(write_file(folder.file("in.html"), page));
  job elsewhere;
  ASSERT_EQ(elsewhere.run(folder.file("in.html"), folder.file("out.html")), 0) << elsewhere.message.str();
  EXPECT_TRUE(read_file(folder.file("out.html")) == expected);
  job in_place;
  ASSERT_EQ(in_place.run(folder.file("in.html"), folder.file("in.html")), 0);
  EXPECT_TRUE(read_file(folder.file("in.html")) == expected);
}

TEST_F(make_toc_file_test, page_without_headings_comes_back_unchanged) {
  const std::string page = "<html><body><p>Hello &amp; bye</P>\r\n<h7>x</h7><h2></h2></body></html>";
  ASSERT_TRUE(write_file(folder.file("in.html"), page));
  job j;
  ASSERT_EQ(j.run(folder.file("in.html"), folder.file("out.html")), 0);
  EXPECT_EQ(read_file(folder.file("out.html")), page);
  ASSERT_GE(j.progress.size(), 3u);
  EXPECT_EQ(std::vector<int32_t>(j.progress.end() - 3, j.progress.end()),
            (std::vector<int32_t>{70, 80, 100}));
  EXPECT_EQ(j.first, nullptr);

  // An old block between valid markers goes; everything else stays.
  ASSERT_TRUE(write_file(folder.file("old.html"),
                         "<body><!--KRYN_HTML_TOC_START--><ul></ul><!--KRYN_HTML_TOC_END-->x"));
  ASSERT_EQ(j.run(folder.file("old.html"), folder.file("old.html")), 0);
  EXPECT_EQ(read_file(folder.file("old.html")), "<body>x");
}

TEST_F(make_toc_file_test, without_insert_flag_only_anchors_are_added) {
  const std::string page = "<body><!--KRYN_HTML_TOC_START-->old<!--KRYN_HTML_TOC_END--><h1>A</h1>";
  ASSERT_TRUE(write_file(folder.file("in.html"), page));
  job j;
  ASSERT_EQ(j.run(folder.file("in.html"), folder.file("out.html"), 0), 0);
  EXPECT_EQ(read_file(folder.file("out.html")),
            "<body><!--KRYN_HTML_TOC_START-->old<!--KRYN_HTML_TOC_END--><h1><a "
            "name=\"kryn_link_1_" + S + "\" class=\"header_item\">A</a></h1>");
}

TEST_F(make_toc_file_test, a_second_run_on_the_same_tree_continues_it) {
  ASSERT_TRUE(write_file(folder.file("a.html"), "<body><h1>A</h1>"));
  ASSERT_TRUE(write_file(folder.file("b.html"), "<body><h2>B</h2><h1>C</h1>"));
  job j;
  ASSERT_EQ(j.run(folder.file("a.html"), folder.file("a2.html")), 0);
  toc_node *a = j.last;
  ASSERT_EQ(j.run(folder.file("b.html"), folder.file("b2.html")), 0);
  ASSERT_NE(j.first, nullptr);
  EXPECT_EQ(j.first->entry_text.str(), "B");
  EXPECT_EQ(j.first->parent, a);
  EXPECT_EQ(j.last->entry_text.str(), "C");
  EXPECT_EQ(j.tree.count, 2);
}

TEST_F(make_toc_file_test, style_is_read_only) {
  ASSERT_TRUE(write_file(folder.file("in.html"), whole_source));
  job j;
  ASSERT_EQ(j.run(folder.file("in.html"), folder.file("out.html")), 0);
  toc_style fresh;
  EXPECT_EQ(j.style.list_start.str(), fresh.list_start.str());
  EXPECT_EQ(j.style.range_to.tag, KR_INT);
  EXPECT_EQ(j.style.named_anchor_attributes.str(), fresh.named_anchor_attributes.str());
}

TEST_F(make_toc_file_test, missing_source_and_missing_destination_folder) {
  job j;
  const std::string missing = folder.file("missing.html");
  EXPECT_EQ(j.run(missing, folder.file("out.html")), 1);
  EXPECT_EQ(j.message.str(), "Can't open source file: " + missing + "\r\n");
  EXPECT_EQ(folder.listing(), "");
  // The window's call says the same: only a page too large is its memory error.
  toc_tree tree;
  toc_node *last = nullptr, *first = nullptr;
  krval message;
  EXPECT_EQ(make_toc_file(krval(missing.c_str()), krval(missing.c_str()), 1, toc_style(), tree, last, first,
                          message, nullptr, nullptr),
            1);
  EXPECT_EQ(message.str(), "Can't open source file: " + missing + "\r\n");

  ASSERT_TRUE(write_file(folder.file("in.html"), whole_source));
  const std::string nowhere = folder.file("no-such-folder/out.html");
  EXPECT_EQ(j.run(folder.file("in.html"), nowhere), 1);
  EXPECT_EQ(j.message.str(), "Can't open file for writing: " + nowhere + "\r\n");
  EXPECT_EQ(folder.listing(), "in.html ");
}

// The window's limit holds by default, and says what the window always
// said; a job given another limit names it.
TEST_F(make_toc_file_test, source_at_the_size_limit_is_refused) {
  std::string page(4194304, 'x');
  const std::string big = folder.file("big.html"), out = folder.file("out.html");
  ASSERT_TRUE(write_file(big, page));
  ASSERT_TRUE(write_file(out, "keep"));
  toc_tree tree;
  toc_node *last = nullptr, *first = nullptr;
  krval message;
  EXPECT_EQ(make_toc_file(krval(big.c_str()), krval(out.c_str()), 1, toc_style(), tree, last, first, message,
                          nullptr, nullptr),
            1);
  EXPECT_EQ(message.str(), "Memory error occured\r\n");
  job j;
  EXPECT_EQ(j.run(big, out), 1);
  EXPECT_EQ(j.message.str(), big + ": too large; pages of 4194304 bytes or more are refused\r\n");
  EXPECT_EQ(read_file(out), "keep");

  page.pop_back();
  ASSERT_TRUE(write_file(big, page));
  EXPECT_EQ(j.run(big, out), 0);
  EXPECT_EQ(read_file(out), page);
}

// A full disk in the middle of rewriting the user's only copy: the file must
// stay as it was, and the failure must be reported.
TEST_F(make_toc_file_test, failed_write_leaves_the_destination_intact) {
  std::string page = whole_source;
  for (int i = 0; i < 3000; ++i) page += "<p>more text to write</p>\r\n";
  const std::string path = folder.file("page.html");
  ASSERT_TRUE(write_file(path, page));
  fs_fail_writes_after(70000);
  job j;
  EXPECT_EQ(j.run(path, path), 1);
  EXPECT_EQ(j.message.str(), "Can't write file: " + path + "\r\n");
  EXPECT_EQ(read_file(path), page);
  EXPECT_EQ(folder.listing(), "page.html ");
  EXPECT_NE(j.progress.back(), 100);
}

TEST_F(make_toc_file_test, failed_flush_or_move_leaves_the_destination_intact) {
  const std::string path = folder.file("page.html");
  ASSERT_TRUE(write_file(path, whole_source));
  for (destination_step failing : {destination_step::flush, destination_step::move}) {
    static destination_step fail;
    fail = failing;
    job j;
    j.step_allowed = [](destination_step step) { return step != fail; };
    EXPECT_EQ(j.run(path, path), 1);
    EXPECT_EQ(j.message.str(), "Can't write file: " + path + "\r\n");
    EXPECT_EQ(read_file(path), whole_source);
    EXPECT_EQ(folder.listing(), "page.html ");
  }
}

// A read error is not the end of the file: a truncated copy must not be written.
TEST_F(make_toc_file_test, read_error_writes_nothing) {
  std::string page = whole_source;
  page.append(50000, ' ');
  const std::string path = folder.file("page.html");
  ASSERT_TRUE(write_file(path, page));
  fs_fail_reads_after(20000);
  job j;
  EXPECT_EQ(j.run(path, path), 1);
  EXPECT_EQ(j.message.str(), "Can't read source file: " + path + "\r\n");
  EXPECT_EQ(read_file(path), page);
  EXPECT_EQ(j.run(path, folder.file("out.html")), 1);
  EXPECT_EQ(folder.listing(), "page.html ");
}

TEST_F(make_toc_file_test, remake_without_body_keeps_its_toc) {
  const std::string path = folder.file("page.html");
  ASSERT_TRUE(write_file(path, "<h1>A</h1>\r\n<h2>B</h2>\r\n"));
  job first;
  ASSERT_EQ(first.run(path, path), 0);
  const std::string once = read_file(path);
  ASSERT_NE(once.find("<!--KRYN_HTML_TOC_START-->"), std::string::npos);
  job second;
  ASSERT_EQ(second.run(path, path), 0);
  EXPECT_EQ(read_file(path), once);
}

#ifndef _WIN32

TEST_F(make_toc_file_test, replacing_keeps_permission_bits_and_links) {
  const std::string path = folder.file("page.html");
  ASSERT_TRUE(write_file(path, whole_source));
  ASSERT_EQ(chmod(path.c_str(), 0640), 0);
  job j;
  ASSERT_EQ(j.run(path, path), 0);
  struct stat after;
  ASSERT_EQ(stat(path.c_str(), &after), 0);
  EXPECT_EQ(after.st_mode & 07777, 0640u);

  const std::string link = folder.file("link.html");
  ASSERT_EQ(symlink(path.c_str(), link.c_str()), 0);
  ASSERT_TRUE(write_file(path, whole_source));
  ASSERT_EQ(j.run(link, link), 0);
  struct stat link_stat;
  ASSERT_EQ(lstat(link.c_str(), &link_stat), 0);
  EXPECT_TRUE(S_ISLNK(link_stat.st_mode));
  EXPECT_EQ(read_file(path), whole_expected());
}

// The same fault with the system's own failure: a file-size limit makes
// the write fail with EFBIG.
TEST_F(make_toc_file_test, a_real_failing_write_is_detected) {
  std::string page = whole_source;
  for (int i = 0; i < 3000; ++i) page += "<p>more text to write</p>\r\n";
  const std::string path = folder.file("page.html");
  ASSERT_TRUE(write_file(path, page));
  struct rlimit old;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  signal(SIGXFSZ, SIG_IGN);
  struct rlimit limited = old;
  limited.rlim_cur = page.size() + 100;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
  job j;
  int32_t result = j.run(path, path);
  setrlimit(RLIMIT_FSIZE, &old);
  EXPECT_EQ(result, 1);
  EXPECT_EQ(j.message.str(), "Can't write file: " + path + "\r\n");
  EXPECT_EQ(read_file(path), page);
  EXPECT_EQ(folder.listing(), "page.html ");
}

#endif

}  // namespace
