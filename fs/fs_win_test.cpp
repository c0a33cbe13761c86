// Where the Win32 back end differs from the POSIX one: '/' becomes '\' in the
// caller's Value, drive letters, system error codes, sharing and the locale.
#include <windows.h>
#include "fs/fs_test_util.h"

namespace fs_testing {
int open_handle_count() {
  DWORD count = 0;
  GetProcessHandleCount(GetCurrentProcess(), &count);
  return static_cast<int>(count);
}
}  // namespace fs_testing

using namespace fs_testing;

namespace {

class win_files : public scratch_test {};

TEST_F(win_files, slashes_become_backslashes_in_the_callers_Value) {
  write_file(file("a.txt"), "a");
  std::string forward = folder.string();
  for (char &c : forward)
    if (c == '\\') c = '/';
  krval path((forward + "/a.txt").c_str());
  krval size = file_size_by_name(path);
  EXPECT_EQ(size.as_int(), 1);
  EXPECT_EQ(path.str(), (folder / "a.txt").string());
  EXPECT_EQ(path.str().find('/'), std::string::npos);

  krval mode("R");
  krval missing((forward + "/missing.txt").c_str());
  EXPECT_EQ(open_file(missing, mode), krfile_invalid);
  EXPECT_EQ(missing.str().find('/'), std::string::npos) << "changed even when the call fails";
}

TEST_F(win_files, a_file_being_written_cannot_be_opened_for_reading) {
  krval name = at("busy.txt");
  krfile writer = open_file(name, "w");
  ASSERT_NE(writer, krfile_invalid);
  krval again = at("busy.txt");
  EXPECT_EQ(open_file(again, "r"), krfile_invalid);
  EXPECT_TRUE(close_file(writer));
  krfile reader = open_file(again, "r");
  EXPECT_NE(reader, krfile_invalid);
  EXPECT_TRUE(close_file(reader));
}

TEST(win_paths, a_missing_folder_on_an_existing_drive_gives_the_drive_root) {
  krval path("C:\\quenby-no-such-folder\\deeper");
  ASSERT_TRUE(existing_path_prefix(path));
  EXPECT_EQ(path, "C:\\");
  krval bare("C:");
  ASSERT_TRUE(existing_path_prefix(bare));
  EXPECT_EQ(bare, "C:\\");
  krval forward("C:/quenby-no-such-folder");
  ASSERT_TRUE(existing_path_prefix(forward));
  EXPECT_EQ(forward, "C:\\");
}

TEST(win_paths, drive_roots_and_wildcards) {
  krfile_node root;
  krval c("C:\\");
  ASSERT_TRUE(stat_path(root, c));
  EXPECT_EQ(root.is_directory, 1);
  EXPECT_EQ(root.name, "C:\\");
  krfile_node none;
  krval pattern("C:\\*");
  EXPECT_FALSE(stat_path(none, pattern)) << "a wildcard names no file";
}

TEST(win_paths, the_real_free_space_of_drive_c) {
  krval bytes;
  ASSERT_TRUE(disk_free_space(krval("C:\\"), bytes));
  EXPECT_EQ(bytes.tag, KR_REAL);
  EXPECT_GT(bytes.as_real(), 0.0);
  EXPECT_FALSE(disk_free_space(krval("C:\\quenby-no-such-folder\\"), bytes));
  EXPECT_EQ(bytes.as_int(), 0);
}

TEST(win_errors, system_errors_map_to_read_results) {
  EXPECT_EQ(read_error_result(ERROR_NOT_ENOUGH_MEMORY), -7);
  EXPECT_EQ(read_error_result(ERROR_HANDLE_EOF), -1);
  EXPECT_EQ(read_error_result(ERROR_BROKEN_PIPE), -5);
  EXPECT_EQ(read_error_result(ERROR_INSUFFICIENT_BUFFER), -4);
  EXPECT_EQ(read_error_result(ERROR_MORE_DATA), -3);
  EXPECT_EQ(read_error_result(ERROR_OPERATION_ABORTED), -8);
  EXPECT_EQ(read_error_result(ERROR_IO_PENDING), -2);
  EXPECT_EQ(read_error_result(ERROR_INVALID_USER_BUFFER), -6);
  EXPECT_EQ(read_error_result(ERROR_ACCESS_DENIED), krfile_read_failed);
  EXPECT_EQ(read_error_result(ERROR_CRC), krfile_read_failed);
}

TEST(win_numbers, formatted_as_the_user_locale_says) {
  char expected[64];
  int size = GetNumberFormatA(LOCALE_USER_DEFAULT, 0, "1234567.5", nullptr, expected,
                              sizeof expected);
  ASSERT_GT(size, 0);
  krval out;
  EXPECT_EQ(format_number(out, krval("1234567.5")), size);
  EXPECT_EQ(out.str(), std::string(expected));
}

}  // namespace
