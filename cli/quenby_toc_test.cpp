#include "cli/quenby_toc.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <string>
#include <vector>
#include "fs/fs_test_hooks.h"
#include "toc/toc_file_test_util.h"
#include "toc/toc_tree.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

using toc_test::read_file;
using toc_test::scratch_folder;
using toc_test::write_file;

const std::string page = "<html><body>\r\n<h1>Intro</h1>\r\n</body></html>";

std::string with_toc(const std::string &stamp) {
  return "<html><body><!--KRYN_HTML_TOC_START-->" + toc_explanatory_comment().str() +
         "<ul>\r\n<li><a href=\"#kryn_link_1_" + stamp +
         "\" class=\"toc_item\">Intro</a></li>\r\n</ul>\r\n<!--KRYN_HTML_TOC_END-->\r\n<h1><a "
         "name=\"kryn_link_1_" + stamp + "\" class=\"header_item\">Intro</a></h1>\r\n</body></html>";
}

std::string contents(std::FILE *f) {
  std::string text;
  std::rewind(f);
  char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
  return text;
}

// One run of the command with three scratch streams.
struct cli_run {
  std::FILE *in = std::tmpfile();
  std::FILE *out = std::tmpfile();
  std::FILE *err = std::tmpfile();
  cli_io io;
  int status = -1;

  explicit cli_run(const std::string &input = "") {
    std::fwrite(input.data(), 1, input.size(), in);
    std::rewind(in);
    io.in = in;
    io.out = out;
    io.err = err;
  }
  ~cli_run() {
    std::fclose(in);
    std::fclose(out);
    std::fclose(err);
  }
  int run(const std::vector<std::string> &args) { return status = run_quenby_toc(args, io); }
  std::string output() { return contents(out); }
  std::string errors() { return contents(err); }
};

class quenby_toc_test : public ::testing::Test {
protected:
  void TearDown() override { fs_restore_hooks(); }
  scratch_folder folder;
};

TEST_F(quenby_toc_test, help_version_and_usage_errors) {
  {
    cli_run r;
    EXPECT_EQ(r.run({"--help"}), 0);
    EXPECT_EQ(r.output().rfind("Usage: quenby-toc [OPTIONS] FILE...", 0), 0u);
    EXPECT_EQ(r.errors(), "");
  }
  {
    cli_run r;
    EXPECT_EQ(r.run({"-V"}), 0);
    EXPECT_NE(r.output().find("1.0"), std::string::npos);
  }
  for (const std::vector<std::string> &args :
       {std::vector<std::string>{}, {"--bogus", "a.html"}, {"-o", "x", "a", "b"},
        {"--stamp", "soon", "a"}, {"-", "-"}}) {
    cli_run r;
    EXPECT_EQ(r.run(args), 2);
    std::string errors = r.errors();
    EXPECT_EQ(errors.rfind("quenby-toc: ", 0), 0u) << errors;
    EXPECT_NE(errors.find("Usage: quenby-toc"), std::string::npos);
    EXPECT_EQ(r.output(), "");
  }
}

TEST_F(quenby_toc_test, in_place_and_to_an_output_file) {
  const std::string a = folder.file("a.html");
  ASSERT_TRUE(write_file(a, page));
  cli_run r;
  EXPECT_EQ(r.run({"--stamp", "1007136000", a}), 0);
  EXPECT_EQ(read_file(a), with_toc("1007136000"));
  EXPECT_EQ(r.errors(), "");

  const std::string b = folder.file("b.html");
  ASSERT_TRUE(write_file(b, page));
  cli_run r2;
  EXPECT_EQ(r2.run({"-o", folder.file("out.html"), "--stamp=5", b}), 0);
  EXPECT_EQ(read_file(b), page);
  EXPECT_EQ(read_file(folder.file("out.html")), with_toc("5"));
}

TEST_F(quenby_toc_test, stamp_comes_from_source_date_epoch_unless_given) {
  const std::string a = folder.file("a.html");
  ASSERT_TRUE(write_file(a, page));
  cli_run r;
  r.io.source_date_epoch = "1234567890";
  EXPECT_EQ(r.run({a}), 0);
  EXPECT_EQ(read_file(a), with_toc("1234567890"));

  ASSERT_TRUE(write_file(a, page));
  cli_run r2;
  r2.io.source_date_epoch = "1234567890";
  EXPECT_EQ(r2.run({"--stamp", "7", a}), 0);
  EXPECT_EQ(read_file(a), with_toc("7"));

  cli_run r3;
  r3.io.source_date_epoch = "yesterday";
  EXPECT_EQ(r3.run({a}), 2);
  EXPECT_NE(r3.errors().find("SOURCE_DATE_EPOCH"), std::string::npos);
}

TEST_F(quenby_toc_test, standard_input_to_standard_output) {
  cli_run r(page);
  EXPECT_EQ(r.run({"--stamp", "9", "-"}), 0);
  EXPECT_EQ(r.output(), with_toc("9"));
  EXPECT_EQ(r.errors(), "");

  cli_run r2(page);
  EXPECT_EQ(r2.run({"--stamp", "9", "-o", folder.file("o.html"), "-"}), 0);
  EXPECT_EQ(read_file(folder.file("o.html")), with_toc("9"));
  EXPECT_EQ(r2.output(), "");

  cli_run empty("");
  EXPECT_EQ(empty.run({"-"}), 0);
  EXPECT_EQ(empty.output(), "");
}

TEST_F(quenby_toc_test, several_files_go_on_after_a_failure) {
  const std::string a = folder.file("a.html"), b = folder.file("b.html");
  const std::string missing = folder.file("missing.html");
  ASSERT_TRUE(write_file(a, page));
  ASSERT_TRUE(write_file(b, page));
  cli_run r;
  EXPECT_EQ(r.run({"--stamp", "3", a, missing, folder.file(""), b}), 1);
  EXPECT_EQ(read_file(a), with_toc("3"));
  EXPECT_EQ(read_file(b), with_toc("3"));
  std::string errors = r.errors();
  EXPECT_NE(errors.find("quenby-toc: " + missing + ": no such file\n"), std::string::npos);
  EXPECT_NE(errors.find("is a directory"), std::string::npos);
  EXPECT_EQ(folder.listing(), "a.html b.html ");
}

TEST_F(quenby_toc_test, too_large_a_source_is_refused_before_reading) {
  const std::string big = folder.file("big.html");
  std::string bytes(4194304, 'x');
  ASSERT_TRUE(write_file(big, bytes));
  cli_run r;
  EXPECT_EQ(r.run({big}), 1);
  std::string errors = r.errors();
  EXPECT_NE(errors.find("4194304"), std::string::npos) << errors;
  EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1);
  EXPECT_EQ(read_file(big).size(), bytes.size());

  cli_run piped(bytes);
  EXPECT_EQ(piped.run({"-"}), 1);
  EXPECT_NE(piped.errors().find("4194304"), std::string::npos);
  EXPECT_EQ(piped.output(), "");
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
  EXPECT_EQ(r.run({a}), 1);
  EXPECT_EQ(r.errors(), "quenby-toc: Can't write file: " + a + "\n");
  EXPECT_EQ(read_file(a), big_page);
  fs_restore_hooks();

  fs_fail_reads_after(20000);
  cli_run r2;
  EXPECT_EQ(r2.run({a}), 1);
  EXPECT_EQ(r2.errors(), "quenby-toc: Can't read source file: " + a + "\n");
  EXPECT_EQ(read_file(a), big_page);
  EXPECT_EQ(folder.listing(), "a.html ");
  fs_restore_hooks();

  cli_run r3;
  EXPECT_EQ(r3.run({"-o", folder.file("nowhere/out.html"), a}), 1);
  EXPECT_EQ(r3.errors(),
            "quenby-toc: Can't open file for writing: " + folder.file("nowhere/out.html") + "\n");
}

#ifndef _WIN32
TEST_F(quenby_toc_test, unreadable_file_is_one_clear_line) {
  if (geteuid() == 0) GTEST_SKIP() << "root reads every file";
  const std::string a = folder.file("a.html");
  ASSERT_TRUE(write_file(a, page));
  ASSERT_EQ(chmod(a.c_str(), 0), 0);
  cli_run r;
  EXPECT_EQ(r.run({a}), 1);
  EXPECT_EQ(r.errors(), "quenby-toc: " + a + ": can't be read: Permission denied\n");
  chmod(a.c_str(), 0644);
  EXPECT_EQ(read_file(a), page);
}
#endif

}  // namespace
