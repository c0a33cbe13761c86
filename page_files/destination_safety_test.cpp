// What the file job must leave alone: the text of scripts, styles and text
// areas, a rewritten file's owner, group and other names, and whatever
// stands under the names it tries for its temporary file.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <thread>

#include "fs/fs_test_hooks.h"
#include "regex/regex_binding.h"
#include "page_files/destination_file.h"
#include "page_files/make_toc_file.h"
#include "test_support/scratch_folder.h"

#ifdef _WIN32
#include <process.h>
#include <windows.h>
#else
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#endif

namespace {

using test_support::read_file;
using test_support::scratch_folder;
using test_support::write_file;

// One run of the window's job with a fixed stamp: 0, or the result with its
// message.
int32_t run_job(const std::string &source, const std::string &destination,
                std::string *message = nullptr, int32_t stamp = 1007136000) {
  toc_tree tree;
  toc_request job;
  job.options.stamp = stamp;
  job.tree = &tree;
  toc_file_result made;
  int32_t result = make_toc_with_options(krval(source.c_str()), krval(destination.c_str()), job, replacement_rules(), made);
  if (message) *message = made.message.str();
  return result;
}

// The name the job tries first for its temporary file beside path.
std::string first_temporary_name(const std::string &path) {
#ifdef _WIN32
  const long pid = _getpid();
#else
  const long pid = static_cast<long>(getpid());
#endif
  return path + ".quenby-" + std::to_string(pid) + "-0.tmp";
}

// The name it takes while it is written into a file of several names.
std::string complete_copy_name(const std::string &path) {
  const std::string first = first_temporary_name(path);
  return first.substr(0, first.size() - 4) + ".complete.tmp";
}

const std::string page = "<html><body>\r\n<h1>Intro</h1>\r\n<h2>Setup</h2>\r\n</body></html>";

class destination_safety : public ::testing::Test {
protected:
  static void SetUpTestSuite() { ASSERT_TRUE(load_regex_library()); }
  void TearDown() override { fs_restore_hooks(); }
  // What a run makes of text, written to a file of its own.
  std::string result_of(const std::string &text, int32_t stamp = 1007136000) {
    const std::string path = folder.file("result-of.html");
    EXPECT_TRUE(write_file(path, text));
    EXPECT_EQ(run_job(path, path, nullptr, stamp), 0);
    std::string bytes = read_file(path);
    std::filesystem::remove(path);
    return bytes;
  }
  scratch_folder folder;
};

// Bytes made in memory take a file's place as a page's run does, and a text
// too large to be read again leaves the file and nothing beside it.
TEST_F(destination_safety, BytesReplaceAFileWholeOrNotAtAll) {
  const std::string a = folder.file("a.html");
  ASSERT_TRUE(write_file(a, page));
  replacement_rules rules;
  rules.readable_below = 10;
  replacement_failure failure;
  EXPECT_EQ(replace_file_with(std::string(10, 'x'), krval(a.c_str()), rules, failure), 1);
  EXPECT_EQ(failure.message.str(), "Can't write file: " + a +
                                       " (its new text of 10 bytes would be too large to be read again: "
                                       "pages of 10 bytes or more are refused)\r\n");
  EXPECT_EQ(read_file(a), page);
  EXPECT_EQ(folder.listing(), "a.html ");
  rules.readable_below = 11;
  EXPECT_EQ(replace_file_with(std::string(10, 'x'), krval(a.c_str()), rules, failure), 0);
  EXPECT_EQ(read_file(a), std::string(10, 'x'));
  EXPECT_EQ(folder.listing(), "a.html ");
}

TEST_F(destination_safety, ScriptsStylesAndTextAreasKeepTheirText) {
  const std::string hidden =
      "<script>var s = \"<h2>Not a heading</h2>\";</SCRIPT>\r\n<style>/* <h3>x</h3> */</style>\r\n"
      "<textarea><h4>typed</h4><!-- toc --></textarea>\r\n";
  const std::string result = result_of("<html><body>\r\n" + hidden + "<h1>Real</h1>\r\n</body></html>");
  EXPECT_NE(result.find(hidden), std::string::npos) << result;
  EXPECT_EQ(result.find("kryn_link_2"), std::string::npos) << result;   // one heading only
  EXPECT_NE(result.find("<h1><a name=\"kryn_link_1_1007136000\""), std::string::npos) << result;
}

// With two names for one file, both show the result, whichever is named.
TEST_F(destination_safety, EveryNameOfAFileShowsTheResult) {
  const std::string expected = result_of(page);
  const std::string a = folder.file("a.html"), b = folder.file("b.html");
  for (const std::string &named : {a, b}) {
    std::filesystem::remove(a);
    std::filesystem::remove(b);
    ASSERT_TRUE(write_file(a, page));
    std::filesystem::create_hard_link(a, b);
    ASSERT_EQ(run_job(named, named), 0);
    EXPECT_EQ(read_file(a), expected);
    EXPECT_EQ(read_file(b), expected);
    EXPECT_EQ(folder.listing(), "a.html b.html ");
  }
}

// Writing into a linked file can fail half way: the complete text is then
// on the disk beside it, and the message says where.
TEST_F(destination_safety, AFailureWritingIntoALinkedFileKeepsTheCompleteCopy) {
  const std::string expected = result_of(page);
  const std::string a = folder.file("a.html"), b = folder.file("b.html");
  ASSERT_TRUE(write_file(a, page));
  std::filesystem::create_hard_link(a, b);
  fs_fail_writes_after(static_cast<int64_t>(expected.size()) + 30);   // the temporary, then 30 bytes
  std::string message;
  EXPECT_EQ(run_job(a, a, &message), 1);
  const std::string kept = complete_copy_name(a);
  EXPECT_EQ(message, "Can't write file: " + a + " (its complete new text is kept in " + kept + ")\r\n");
  EXPECT_EQ(read_file(kept), expected);
  ASSERT_NE(read_file(b), page);   // half written
  // The next job, of this process or another, finishes the copy before it
  // reads the file.
  fs_restore_hooks();
  EXPECT_EQ(run_job(a, a, &message), 0) << message;
  EXPECT_EQ(read_file(b), expected);
  EXPECT_EQ(folder.listing(), "a.html b.html ");
}

// A page that someone else changes while it is being made is left as they
// made it, and the run fails saying why.
std::string appended_path;
void append_once_read(int32_t percent, void *) {
  if (percent == 80) {
    std::FILE *f = std::fopen(appended_path.c_str(), "ab");
    std::fputs("<p>added meanwhile</p>", f);
    std::fclose(f);
  }
}

TEST_F(destination_safety, APageChangedWhileItIsMadeIsLeftAsItIsNow) {
  const std::string a = folder.file("a.html"), b = folder.file("b.html");
  for (bool linked : {false, true}) {
    std::filesystem::remove(a);
    std::filesystem::remove(b);
    ASSERT_TRUE(write_file(a, page));
    if (linked) std::filesystem::create_hard_link(a, b);
    appended_path = a;
    toc_tree tree;
    toc_request job;
    job.tree = &tree;
    job.progress = append_once_read;
    toc_file_result result;
    EXPECT_EQ(make_toc_with_options(krval(a.c_str()), krval(a.c_str()), job, replacement_rules(), result), 1);
    EXPECT_EQ(result.message.str(),
              "Can't write file: " + a + " (it changed while it was being made; it is left as it is now)\r\n");
    EXPECT_EQ(read_file(a), page + "<p>added meanwhile</p>");
    EXPECT_EQ(folder.listing(), linked ? "a.html b.html " : "a.html ");
  }
}

// Something already under the first name (a file left by a killed run, or
// planted there) is neither opened nor changed; the next name is taken.
TEST_F(destination_safety, ANameAlreadyTakenIsPassedOver) {
  const std::string path = folder.file("page.html");
  const std::string expected = result_of(page);
  ASSERT_TRUE(write_file(path, page));
  ASSERT_TRUE(write_file(first_temporary_name(path), "left behind"));
  ASSERT_EQ(run_job(path, path), 0);
  EXPECT_EQ(read_file(path), expected);
  EXPECT_EQ(read_file(first_temporary_name(path)), "left behind");
}

#ifdef _WIN32

// The replaced file keeps its attributes; a read-only one is refused and
// stays as it was.
TEST_F(destination_safety, AReplacedFileKeepsItsAttributesAndAReadOnlyOneIsRefused) {
  const std::string path = folder.file("page.html");
  ASSERT_TRUE(write_file(path, page));
  ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
  ASSERT_EQ(run_job(path, path), 0);
  EXPECT_EQ(GetFileAttributesA(path.c_str()) & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY),
            static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN));
  ASSERT_NE(read_file(path), page);
  ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL));
  ASSERT_TRUE(write_file(path, page));
  ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
  std::string message;
  EXPECT_EQ(run_job(path, path, &message), 1);
  EXPECT_EQ(message, "Can't write file: " + path + "\r\n");
  EXPECT_EQ(read_file(path), page);
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(folder.listing(), "page.html ");
}

// Another program reading the file for a moment delays its replacement
// but does not make it fail.
TEST_F(destination_safety, AReaderOfTheFileDelaysTheReplacement) {
  const std::string path = folder.file("page.html");
  const std::string expected = result_of(page);
  ASSERT_TRUE(write_file(path, page));
  HANDLE reader = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  std::thread closer([reader] {
    Sleep(300);
    CloseHandle(reader);
  });
  std::string message;
  EXPECT_EQ(run_job(path, path, &message), 0) << message;
  closer.join();
  EXPECT_EQ(read_file(path), expected);
}

#else

// The write hook sees each file the job writes while it is being written.
mode_t mode_while_written = 0;
bool note_mode_and_write(krfile file, const char *data, int32_t count, int32_t *written) {
  struct stat info;
  if (::fstat(file, &info) == 0) mode_while_written = info.st_mode & 07777;
  return fs_system_hooks().write(file, data, count, written);
}
bool note_mode_and_write_pieces(krfile file, const krfile_piece *pieces, int32_t count) {
  struct stat info;
  if (::fstat(file, &info) == 0) mode_while_written = info.st_mode & 07777;
  return fs_system_hooks().write_pieces(file, pieces, count);
}

TEST_F(destination_safety, ALinkPlantedAtTheTemporaryNameIsNotFollowed) {
  const std::string path = folder.file("page.html"), victim = folder.file("victim.html");
  const std::string expected = result_of(page);
  ASSERT_TRUE(write_file(path, page));
  ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
  ASSERT_TRUE(write_file(victim, "victim"));
  std::filesystem::create_symlink(victim, first_temporary_name(path));
  fs_hooks.write = note_mode_and_write;
  fs_hooks.write_pieces = note_mode_and_write_pieces;
  ASSERT_EQ(run_job(path, path), 0);
  EXPECT_EQ(read_file(path), expected);
  EXPECT_EQ(read_file(victim), "victim");
  EXPECT_TRUE(std::filesystem::is_symlink(first_temporary_name(path)));
  EXPECT_EQ(mode_while_written, 0600u);   // readable by its owner only until done
  struct stat after;
  ASSERT_EQ(::stat(path.c_str(), &after), 0);
  EXPECT_EQ(after.st_mode & 07777, 0644u);
}

TEST_F(destination_safety, ARewrittenFileKeepsItsOwnerAndGroup) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root, to give the file to another user first";
  const std::string path = folder.file("page.html");
  ASSERT_TRUE(write_file(path, page));
  ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  ASSERT_EQ(run_job(path, path), 0);
  struct stat after;
  ASSERT_EQ(::stat(path.c_str(), &after), 0);
  EXPECT_EQ(after.st_uid, 65534u);
  EXPECT_EQ(after.st_gid, 65534u);
  EXPECT_EQ(after.st_mode & 07777, 0640u);
  EXPECT_EQ(read_file(path), result_of(page));
}

// Two runs at once, each in a process of its own and with its own stamp:
// the file holds one run's whole result, never a mixture, however the runs
// overlap. A run that read the file before the other replaced it fails
// rather than undo the other's work; where both succeed, the second made
// its result of the first's. Both with one name and with two.
TEST_F(destination_safety, TwoRunsAtOnceBothFinishWithOneWholeResult) {
  std::string big = "<html><body>\r\n";
  for (int i = 0; i < 4000; ++i) big += "<h2>Part " + std::to_string(i) + "</h2><p>text of the part</p>\r\n";
  big += "</body></html>";
  const std::string by_first = result_of(big, 1000);
  const std::string by_second = result_of(big, 2000), second_after_first = result_of(by_first, 2000);
  const std::string first_after_second = result_of(by_second, 1000);
  ASSERT_NE(by_first, by_second);
  const std::string a = folder.file("a.html"), b = folder.file("b.html");
  for (bool linked : {false, true}) {
    for (int round = 0; round < 4; ++round) {
      std::filesystem::remove(a);
      std::filesystem::remove(b);
      ASSERT_TRUE(write_file(a, big));
      if (linked) std::filesystem::create_hard_link(a, b);
      pid_t children[2];
      for (int k = 0; k < 2; ++k) {
        children[k] = ::fork();
        ASSERT_GE(children[k], 0);
        if (children[k] == 0) {
          ::_exit(run_job(a, a, nullptr, k == 0 ? 1000 : 2000) == 0 ? 0 : 1);
        }
      }
      int succeeded = 0;
      for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        succeeded += WEXITSTATUS(status) == 0;
      }
      const std::string now = read_file(a);
      EXPECT_GE(succeeded, 1);
      if (succeeded == 2)
        EXPECT_TRUE(now == second_after_first || now == first_after_second) << "round " << round;
      else
        EXPECT_TRUE(now == by_first || now == by_second) << "round " << round;
      EXPECT_EQ(folder.listing(), linked ? "a.html b.html " : "a.html ");
    }
  }
}

// A run killed half way through writing into a file of several names
// leaves its complete copy; the next run finishes the copy and then works
// on the whole page.
bool die_half_way(krfile file, const char *data, int32_t count, int32_t *written) {
  fs_system_hooks().write(file, data, count / 2, written);
  ::_exit(9);
}

TEST_F(destination_safety, ARunKilledWhileWritingIntoALinkedFileIsFinishedByTheNext) {
  std::string big = "<html><body>\r\n";
  for (int i = 0; i < 3000; ++i) big += "<h2>Part " + std::to_string(i) + "</h2><p>text</p>\r\n";
  big += "</body></html>";
  const std::string expected = result_of(big);
  const std::string a = folder.file("a.html"), b = folder.file("b.html");
  ASSERT_TRUE(write_file(a, big));
  std::filesystem::create_hard_link(a, b);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    fs_hooks.write = die_half_way;   // the copy into the file; the temporary is written in pieces
    ::_exit(run_job(a, a) == 0 ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 9);
  const std::string half = read_file(b);
  ASSERT_TRUE(half != expected && half != big);
  EXPECT_EQ(folder.listing(), "a.html a.html.quenby-" + std::to_string(child) + "-0.complete.tmp b.html ");
  std::string message;
  EXPECT_EQ(run_job(b, b, &message), 0) << message;   // through the other name
  EXPECT_TRUE(read_file(a) == expected);
  EXPECT_EQ(folder.listing(), "a.html b.html ");
}

// On a full disk, a file of several names is not written into at all:
// the room for its new text is taken first.
TEST_F(destination_safety, AFullDiskLeavesALinkedFileWhole) {
  const std::string disk = folder.file("disk");
  std::filesystem::create_directory(disk);
  if (::mount("quenby-test", disk.c_str(), "tmpfs", 0, "size=2m") != 0)
    GTEST_SKIP() << "no tmpfs of 2 MiB can be mounted here (" << std::strerror(errno) << ")";
  struct unmount_at_end {
    std::string at;
    ~unmount_at_end() { ::umount2(at.c_str(), MNT_DETACH); }
  } unmount{disk};
  std::string big = "<html><body>\r\n";
  for (int i = 0; big.size() < 500000; ++i)
    big += "<h2>Part " + std::to_string(i) + "</h2><p>" + std::string(100, 'x') + "</p>\r\n";
  big += "</body></html>";
  const std::string grown = result_of(big);
  const std::string a = disk + "/a.html", b = disk + "/b.html", filler = disk + "/filler";
  ASSERT_TRUE(write_file(a, big));
  std::filesystem::create_hard_link(a, b);
  // The disk then has room for the temporary, but not for the file to grow.
  std::FILE *fill = std::fopen(filler.c_str(), "wb");
  ASSERT_NE(fill, nullptr);
  const std::string block(4096, 'f');
  while (std::fwrite(block.data(), 1, block.size(), fill) == block.size() && std::fflush(fill) == 0) {
  }
  std::fclose(fill);
  const uintmax_t room = grown.size() + (grown.size() - big.size()) / 2;
  std::filesystem::resize_file(filler, std::filesystem::file_size(filler) - (room / 4096 + 1) * 4096);
  std::string message;
  EXPECT_EQ(run_job(a, a, &message), 1);
  toc_tree tree;
  toc_request job;
  job.tree = &tree;
  job.options.stamp = 1007136000;
  toc_file_result result;
  EXPECT_EQ(make_toc_with_options(krval(a.c_str()), krval(a.c_str()), job, replacement_rules(), result), 1);
  EXPECT_EQ(result.message.str(), "Can't write file: " + a + "\r\n");
  EXPECT_EQ(result.reason, "No space left on device");
  EXPECT_EQ(read_file(b), big);
  EXPECT_EQ(test_support::folder_entries(disk), (std::vector<std::string>{"a.html", "b.html", "filler"}));
}

// A page's extended attributes (and so its access control list) stay.
TEST_F(destination_safety, AReplacedFileKeepsItsExtendedAttributes) {
  const std::string path = folder.file("page.html");
  ASSERT_TRUE(write_file(path, page));
  if (::setxattr(path.c_str(), "user.quenby-test", "kept", 4, 0) != 0)
    GTEST_SKIP() << "no extended attributes here (" << std::strerror(errno) << ")";
  ASSERT_EQ(run_job(path, path), 0);
  ASSERT_NE(read_file(path), page);
  char value[16] = {};
  EXPECT_EQ(::getxattr(path.c_str(), "user.quenby-test", value, sizeof value), 4);
  EXPECT_STREQ(value, "kept");
}

// A destination that is a link to a file not there yet gets that file,
// and stays a link.
TEST_F(destination_safety, ALinkToNoFileYetGetsItsFile) {
  const std::string source = folder.file("page.html"), link = folder.file("out.html");
  ASSERT_TRUE(write_file(source, page));
  std::filesystem::create_symlink("made/new.html", link);
  std::filesystem::create_directory(folder.file("made"));
  ASSERT_EQ(run_job(source, link), 0);
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(read_file(folder.file("made/new.html")), result_of(page));
}

#endif

}  // namespace
