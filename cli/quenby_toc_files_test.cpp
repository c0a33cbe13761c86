// quenby-toc on many files: folders, parallel jobs, the summary, and one
// durable step for many pages that a failure of one page does not spoil.
#include <gtest/gtest.h>
#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>
#include "cli/cli_run_test_util.h"
#include "cli/stop_signals.h"
#include "fs/fs_test_hooks.h"
#include "test_support/scratch_folder.h"
#include "page_files/stale_temporaries.h"
#include "toc/toc_generated_pages.h"
#ifdef _WIN32
#include <process.h>
#define getpid _getpid
#else
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

using cli_test::cli_run;
using test_support::folder_entries;
using test_support::read_file;
using test_support::scratch_folder;
using test_support::write_file;
namespace fsys = std::filesystem;

// A tree of generated pages in nested folders; every seventh page carries a
// wrong setting in its TOC comment, so that it fails.
std::vector<std::string> make_tree(const scratch_folder &folder, int pages) {
  std::vector<std::string> paths;
  for (int i = 0; i < pages; ++i) {
    const std::string name = "tree/part" + std::to_string(i % 3) + "/s" + std::to_string(i % 5) + "/p" +
                             std::to_string(i) + ".html";
    fsys::create_directories(fsys::path(folder.file(name)).parent_path());
    std::string page = toc_test::generated_page(static_cast<uint32_t>(i) + 1, true);
    if (i % 7 == 3) page = "<html><body><!-- toc levels=9-1 -->\r\n<h1>x</h1></body></html>";
    EXPECT_TRUE(write_file(folder.file(name), page));
    paths.push_back(folder.file(name));
#ifdef _WIN32
    // As -r names them.
    std::replace(paths.back().begin(), paths.back().end(), '/', '\\');
#endif
  }
  return paths;
}

// Every byte a run leaves behind: its status, its streams and its pages.
std::string everything_of(const std::vector<std::string> &args, const std::vector<std::string> &pages) {
  cli_run r;
  const int status = r.run(args);
  std::string all = "status " + std::to_string(status) + "\nout:\n" + r.output() + "err:\n" + r.errors();
  for (const std::string &page : pages) all += "\n" + page + ":\n" + read_file(page);
  return all;
}

TEST(quenby_toc_files, output_does_not_depend_on_the_number_of_jobs) {
  std::map<std::string, std::string> by_mode;   // the first run's bytes
  for (const char *jobs : {"1", "2", "7"}) {
    for (const char *mode : {"--diff", "--stamp=9"}) {
      scratch_folder folder;
      const std::vector<std::string> pages = make_tree(folder, 60);
      const std::string everything =
          everything_of({"-r", "-j", jobs, "--stamp", "9", mode, folder.file("tree")}, pages);
      const std::string name = std::string(mode) + " -j " + jobs;
      if (std::string(jobs) == "1") {
        EXPECT_NE(everything.find("status 2"), std::string::npos) << name;
        EXPECT_NE(everything.find("p3.html:1: "), std::string::npos) << everything;
      }
      // The folder's own name differs from run to run.
      std::string same = everything;
      for (size_t at; (at = same.find(folder.file(""))) != std::string::npos;)
        same.replace(at, folder.file("").size(), "<folder>/");
      if (by_mode.count(mode) == 0) by_mode[mode] = same;
      else EXPECT_EQ(same, by_mode[mode]) << name;
    }
  }
}

// The counts at the end; on a terminal also one progress line for the run
// and the time; nothing of either with -q.
TEST(quenby_toc_files, progress_and_summary) {
  scratch_folder folder;
  make_tree(folder, 12);
  const std::string tree = folder.file("tree");
  cli_run quiet;
  EXPECT_EQ(quiet.run({"-r", "-q", "--stamp", "9", "--exclude", "p3.html", "--exclude", "p10.html", tree}), 0);
  EXPECT_EQ(quiet.errors(), "");
  cli_run counts;
  EXPECT_EQ(counts.run({"-r", "--check", "--stamp", "9", tree}), 2);
  EXPECT_EQ(counts.errors().substr(counts.errors().rfind("quenby-toc: ")),
            "quenby-toc: 0 would change, 10 up to date, 2 failed\n");
  cli_run on_terminal;
  on_terminal.io.err_is_terminal = true;
  EXPECT_EQ(on_terminal.run({"-r", "--stamp", "9", tree}), 2);
  const std::string shown = on_terminal.errors();
  EXPECT_NE(shown.find("\rquenby-toc: 12 of 12 files, "), std::string::npos) << shown;
  EXPECT_NE(shown.find(" MB/s"), std::string::npos) << shown;
  const std::string summary = shown.substr(shown.rfind("quenby-toc: "));
  // Pages whose TOC is current are not written again.
  EXPECT_EQ(summary.rfind("quenby-toc: 0 changed, 10 unchanged, 2 failed in ", 0), 0u) << summary;
  EXPECT_EQ(summary.substr(summary.size() - 3), " s\n");

  // A folder stands for many pages, however few it holds.
  fsys::create_directories(folder.file("one"));
  ASSERT_TRUE(write_file(folder.file("one/p.html"), "<body><h1>x</h1>"));
  cli_run single;
  EXPECT_EQ(single.run({"-r", "--stamp", "9", folder.file("one")}), 0);
  EXPECT_EQ(single.errors(), "quenby-toc: 1 changed, 0 unchanged, 0 failed\n");
}

std::string failing_page;
bool fail_one_flush(destination_step step, const std::string &destination) {
  return !(step == destination_step::flush && destination == failing_page);
}

// The pages of a run are made durable together; one whose flush fails is
// named, keeps its old text, and makes the run fail, while every other page
// is done.
TEST(quenby_toc_files, a_page_whose_flush_fails_is_named_and_stays_old) {
  scratch_folder folder, undisturbed;
  const std::vector<std::string> pages = make_tree(folder, 12), done = make_tree(undisturbed, 12);
  std::vector<std::string> before;
  for (const std::string &p : pages) before.push_back(read_file(p));
  EXPECT_EQ(cli_run().run({"-r", "-q", "--stamp", "9", undisturbed.file("tree")}), 2);
  size_t failing = 0;   // a page the run changes
  while (failing < pages.size() && read_file(done[failing]) == before[failing]) ++failing;
  ASSERT_LT(failing, pages.size());
  failing_page = pages[failing];
  cli_run r;
  r.io.batch_step_allowed = fail_one_flush;
  EXPECT_EQ(r.run({"-r", "-q", "--stamp", "9", folder.file("tree")}), 2);
  const std::string wrong_setting = ":1: levels must be FROM-TO or one level, from 1 to 9, the lower first: "
                                    "'9-1' in the TOC comment\n";
  // In the order of the paths, whichever is first.
  const std::string failed = "quenby-toc: Can't write file: ";
  const std::string expected = "quenby-toc: " + pages[3] + wrong_setting + "quenby-toc: " + pages[10] + wrong_setting;
  EXPECT_EQ(r.errors().size(), expected.size() + failed.size() + pages[failing].size() + 1);
  EXPECT_NE(r.errors().find(failed + pages[failing] + "\n"), std::string::npos) << r.errors();
  for (size_t i = 0; i < pages.size(); ++i)
    EXPECT_EQ(read_file(pages[i]), i == failing ? before[i] : read_file(done[i])) << pages[i];
  size_t files = 0;
  for (const auto &entry : fsys::recursive_directory_iterator(folder.file("tree"))) files += entry.is_regular_file();
  EXPECT_EQ(files, pages.size());   // no temporary file left
}

}  // namespace

namespace {

// A file named several times (again, by another spelling, through a link)
// is made once: no two jobs of the run work on one file at once.
TEST(quenby_toc_files, a_file_given_by_several_names_is_made_once) {
  scratch_folder folder;
  const std::string page = folder.file("p.html"), other = folder.file("q.html");
  const std::string text = "<html><body>\r\n<h1>One</h1>\r\n<h2>Two</h2>\r\n</body></html>";
  ASSERT_TRUE(write_file(page, text));
  ASSERT_TRUE(write_file(other, text));
  std::vector<std::string> names = {page, other, page, folder.file("./p.html")};
#ifndef _WIN32
  fsys::create_symlink(page, folder.file("link.html"));
  fsys::create_hard_link(page, folder.file("hard.html"));
  names.push_back(folder.file("link.html"));
  names.push_back(folder.file("hard.html"));
#endif
  cli_run r;
  EXPECT_EQ(r.run({"-j", "4", "--stamp", "9", names[0], names[1], names[2], names[3], names.back()}), 0)
      << r.errors();
  EXPECT_EQ(r.errors(), "quenby-toc: 2 changed, 0 unchanged, 0 failed\n");
  cli_run once;
  const std::string made = read_file(page);
  ASSERT_TRUE(write_file(page, text));
  EXPECT_EQ(once.run({"--stamp", "9", page}), 0);
  EXPECT_EQ(read_file(page), made);
}

#ifdef _WIN32
// Windows gives processes small numbers, multiples of four.
unsigned long ended_process() { return 4000000000ul; }
#else
unsigned long ended_process() {
  const pid_t child = fork();
  if (child == 0) _exit(0);
  waitpid(child, nullptr, 0);
  return static_cast<unsigned long>(child);
}
#endif

// A temporary file that a killed run left beside a page is removed by the
// next run that writes the page; what may belong to a run still going, or
// is not one of ours, stays.
TEST(quenby_toc_files, a_killed_runs_temporary_is_removed_by_the_next_run) {
  scratch_folder folder;
  const std::string page = folder.file("p.html");
  ASSERT_TRUE(write_file(page, toc_test::generated_page(5, true)));
  const auto temporary = [&](const std::string &of, unsigned long process, const std::string &rest = "-0.tmp") {
    const std::string name = folder.file(of + ".quenby-" + std::to_string(process) + rest);
    EXPECT_TRUE(write_file(name, "half a page"));
    return name;
  };
  const std::string stale = temporary("p.html", ended_process());
  const std::vector<std::string> kept = {
      temporary("p.html", static_cast<unsigned long>(getpid()), "-3.tmp"),   // this run's own
      temporary("p.html", ended_process(), "-x.tmp"),                        // not a name of ours
      temporary("q.html", ended_process()),                                  // no page of the run
  };
  EXPECT_EQ(cli_run().run({"--check", page}), 1);   // a run that writes nothing removes nothing
  EXPECT_TRUE(fsys::exists(stale));
  EXPECT_EQ(cli_run().run({"--stamp", "9", page}), 0);
  EXPECT_FALSE(fsys::exists(stale));
  for (const std::string &name : kept) EXPECT_TRUE(fsys::exists(name)) << name;
  EXPECT_EQ(temporary_process("p.html.quenby-12-0.tmp", "p.html"), 12ul);
  for (const char *name : {"p.html.quenby--0.tmp", "p.html.quenby-12-0.tmpx", "p.htm.quenby-12-0.tmp",
                           "p.html.quenby-99999999999-0.tmp"})
    EXPECT_EQ(temporary_process(name, "p.html"), 0ul) << name;
}

// A page with a complete copy that a stopped run left beside it (the page
// itself perhaps half written) gets that copy's text before anything reads
// it; where that cannot be done the page is refused, naming the copy.
TEST(quenby_toc_files, a_stopped_runs_complete_copy_is_finished_before_the_page_is_read) {
  scratch_folder folder;
  const std::string page = folder.file("p.html"), other = folder.file("q.html");
  ASSERT_TRUE(write_file(page, toc_test::generated_page(5, true)));
  ASSERT_TRUE(write_file(other, toc_test::generated_page(6, true)));
  ASSERT_EQ(cli_run().run({"--stamp", "9", page}), 0);
  const std::string whole = read_file(page);
  ASSERT_TRUE(write_file(page, whole.substr(0, whole.size() / 2)));
  const std::string copy = page + ".quenby-" + std::to_string(ended_process()) + "-0.complete.tmp";
  ASSERT_TRUE(write_file(copy, whole));
  fs_fail_writes_after(0);
  cli_run refused;
  EXPECT_EQ(refused.run({"-r", "-q", "--stamp", "9", folder.file("")}), 2);
  fs_restore_hooks();
  const std::string said = "quenby-toc: " + page + ": a run that was stopped left its complete new text in " +
                           copy + ", which could not be written into it";
  EXPECT_EQ(refused.errors().rfind(said, 0), 0u) << refused.errors();
#ifndef _WIN32
  EXPECT_EQ(read_file(page), whole.substr(0, whole.size() / 2));   // Windows has lengthened it first
#endif
  EXPECT_EQ(read_file(copy), whole);
  cli_run finished;
  EXPECT_EQ(finished.run({"-r", "-q", "--stamp", "9", folder.file("")}), 0) << finished.errors();
  EXPECT_TRUE(read_file(page) == whole);
  EXPECT_FALSE(fsys::exists(copy));
}

std::string page_changed_meanwhile;
bool change_the_page(destination_step step, const std::string &destination) {
  if (step == destination_step::flush && destination == page_changed_meanwhile)
    EXPECT_TRUE(write_file(destination, read_file(destination) + "<p>added meanwhile</p>"));
  return true;
}

// In a batch too, a page someone changed since it was read is left as it is
// now, and the run says so and fails; the others are done.
TEST(quenby_toc_files, a_page_changed_during_the_run_is_left_as_it_is_now) {
  scratch_folder folder;
  const std::vector<std::string> pages = {folder.file("a.html"), folder.file("b.html")};
  for (const std::string &p : pages) ASSERT_TRUE(write_file(p, toc_test::generated_page(7, true)));
  page_changed_meanwhile = pages[0];
  const std::string before = read_file(pages[0]);
  cli_run r;
  r.io.batch_step_allowed = change_the_page;
  EXPECT_EQ(r.run({"-q", "--stamp", "9", pages[0], pages[1]}), 2);
  EXPECT_EQ(r.errors(), "quenby-toc: Can't write file: " + pages[0] +
                            " (it changed while it was being made; it is left as it is now)\n");
  EXPECT_TRUE(read_file(pages[0]) == before + "<p>added meanwhile</p>");
  EXPECT_TRUE(read_file(pages[1]) != before);
  EXPECT_EQ(folder.listing(), "a.html b.html ");
}

// A name's control characters cannot forge lines of their own.
TEST(quenby_toc_files, control_characters_in_names_are_written_escaped) {
  scratch_folder folder;
  const std::string forged = folder.file("x\nquenby-toc: 0 changed, 0 unchanged, 0 failed\x1b[2K.html");
  cli_run r;
  EXPECT_EQ(r.run({forged}), 2);
  EXPECT_EQ(r.errors(), "quenby-toc: " + folder.file("x\\nquenby-toc: 0 changed, 0 unchanged, 0 failed\\x1b[2K.html") +
                            ": no such file\n");
}

#ifndef _WIN32
bool wait_for_ever(destination_step, const std::string &) {
  for (;;) pause();
}

// Stopped by a signal, the program removes the temporary files it made and
// exits with 128 + the signal's number. The run is held before its pages
// are made durable, with all of their temporaries there.
TEST(quenby_toc_files, a_stopped_run_removes_its_temporaries) {
  scratch_folder folder;
  std::vector<std::string> pages;
  for (int i = 0; i < 20; ++i) {
    pages.push_back(folder.file("p" + std::to_string(100 + i) + ".html"));
    ASSERT_TRUE(write_file(pages.back(), toc_test::generated_page(static_cast<uint32_t>(i), true)));
  }
  for (const int stop : {SIGINT, SIGTERM, SIGHUP}) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      remove_temporaries_when_stopped();
      cli_run r;
      r.io.batch_step_allowed = wait_for_ever;
      r.run({"-r", "-q", folder.file("")});
      _exit(0);
    }
    const std::string last = pages.back() + ".quenby-" + std::to_string(child) + "-0.tmp";
    for (int waited = 0; waited < 6000 && !fsys::exists(last); ++waited) usleep(10000);
    EXPECT_TRUE(fsys::exists(last));
    kill(child, stop);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 128 + stop) << status;
    EXPECT_EQ(folder_entries(folder.path()).size(), pages.size());
  }
}
#endif

}  // namespace
