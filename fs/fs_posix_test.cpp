// Where the POSIX back end differs from the Windows one: paths keep their
// slashes, "/" is the one drive, errno values map to read results.
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include "fs/fs_test_util.h"

namespace fs_testing {
int open_handle_count() {
  int count = 0;
  for (const auto &entry : stdfs::directory_iterator("/proc/self/fd")) {
    (void)entry;
    ++count;
  }
  return count;
}
}  // namespace fs_testing

using namespace fs_testing;

namespace {

class posix_files : public scratch_test {};

TEST_F(posix_files, paths_keep_their_slashes) {
  write_file(file("a.txt"), "a");
  krval path = at("a.txt");
  std::string before = path.str();
  krval size = file_size_by_name(path);
  EXPECT_EQ(size.as_int(), 1);
  EXPECT_EQ(path.str(), before);
  EXPECT_EQ(path.str().find('\\'), std::string::npos);
}

TEST_F(posix_files, a_path_Value_is_made_text_in_place) {
  stdfs::current_path(folder);
  write_file(file("7"), "seven");
  krval number(7);
  krval text;
  EXPECT_TRUE(read_whole_file(number, text));
  EXPECT_EQ(number.tag, KR_TEXT);
  EXPECT_EQ(text, "seven");
}

TEST_F(posix_files, unreadable_and_write_only_files_fail_cleanly) {
  if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
  write_file(file("secret.txt"), "secret");
  ::chmod(file("secret.txt").c_str(), 0200);
  krval secret = at("secret.txt");
  krval text;
  EXPECT_EQ(open_file(secret, "r"), krfile_invalid);
  EXPECT_FALSE(read_whole_file(secret, text));
}

TEST_F(posix_files, reading_a_write_only_handle_is_an_error_not_the_end) {
  krval name = at("w.txt");
  krfile h = open_file(name, "w");
  ASSERT_NE(h, krfile_invalid);
  krval chunk("x");
  EXPECT_EQ(read_chunk(chunk, 10, h), krfile_read_failed);
  EXPECT_EQ(chunk.text_length(), 0);
  EXPECT_TRUE(close_file(h));
}

TEST_F(posix_files, a_fifo_without_a_writer_does_not_hang_open) {
  ASSERT_EQ(::mkfifo(file("pipe").c_str(), 0600), 0);
  krval pipe = at("pipe");
  krfile h = open_file(pipe, "r");
  ASSERT_NE(h, krfile_invalid);
  krval chunk;
  EXPECT_EQ(read_chunk(chunk, 10, h), 0);
  EXPECT_TRUE(close_file(h));
  krval text;
  EXPECT_FALSE(read_whole_file(pipe, text)) << "a pipe cannot be measured";
}

TEST(posix_paths, the_root_is_the_one_drive) {
  krval below_root("/quenby-no-such-folder/deeper");
  ASSERT_TRUE(existing_path_prefix(below_root));
  EXPECT_EQ(below_root, "/");
  krval root("/");
  ASSERT_TRUE(existing_path_prefix(root));
  EXPECT_EQ(root, "/");
  krval relative("relative/path");
  EXPECT_FALSE(existing_path_prefix(relative));
  EXPECT_EQ(relative, "");
  krval doubled("//tmp//");
  ASSERT_TRUE(existing_path_prefix(doubled));
  EXPECT_EQ(doubled, "/tmp");
}

TEST(posix_paths, shorten_keeps_the_root_and_the_tail) {
  krval path("/home/someone/documents/file.htm");
  shorten_path(path, 16);
  EXPECT_EQ(path, "/...nts/file.htm");
  EXPECT_EQ(path.text_length(), 16);
  krval windows("C:\\Program Files\\Some Folder\\file.htm");
  shorten_path(windows, 20);
  EXPECT_EQ(windows, "C:\\...older\\file.htm");
}

TEST(posix_errors, errno_values_map_to_read_results) {
  EXPECT_EQ(read_error_result(ENOMEM), krfile_read_no_memory);
  EXPECT_EQ(read_error_result(EPIPE), krfile_read_broken_pipe);
  EXPECT_EQ(read_error_result(EAGAIN), krfile_read_io_pending);
  EXPECT_EQ(read_error_result(EFAULT), krfile_read_invalid_user_buffer);
  EXPECT_EQ(read_error_result(ECANCELED), krfile_read_aborted);
  EXPECT_EQ(read_error_result(ENOBUFS), krfile_read_insufficient_buffer);
  EXPECT_EQ(read_error_result(EIO), krfile_read_failed);
  EXPECT_EQ(read_error_result(EBADF), krfile_read_failed);
  EXPECT_EQ(read_error_result(EISDIR), krfile_read_failed);
}

TEST(posix_errors, the_hook_sees_the_system_error) {
  fs_hooks_scope restore;
  fs_hooks.read = [](krfile, char *, int32_t, int32_t *got, int32_t *error) {
    *got = 0;
    *error = EPIPE;
    return false;
  };
  krval chunk("x");
  EXPECT_EQ(read_chunk(chunk, 4, 0), krfile_read_broken_pipe);
  EXPECT_EQ(chunk, "");
}

TEST(posix_numbers, the_c_locale_groups_nothing) {
  krval out;
  EXPECT_EQ(format_number(out, krval("1234567.25")), 11);
  EXPECT_EQ(out, "1234567.25");
  EXPECT_EQ(format_number(out, krval("-5")), 3);
  EXPECT_EQ(out, "-5");
  EXPECT_EQ(format_number(out, krval("-")), 0);
}

}  // namespace
