#include "remove/path_text.h"

#include <gtest/gtest.h>

TEST(path_text, folders_compare_without_case_or_final_backslash) {
  EXPECT_TRUE(same_path("C:\\Program Files\\KRYN\\WOP1\\", "c:\\program files\\kryn\\wop1"));
  EXPECT_FALSE(same_path("C:\\Program Files\\KRYN\\WOP1", "C:\\Program Files\\KRYN\\WOP"));
  EXPECT_EQ(with_trailing_backslash("C:\\a"), "C:\\a\\");
  EXPECT_EQ(with_trailing_backslash("C:\\a\\"), "C:\\a\\");
}

TEST(path_text, inside_means_below_the_folder_not_beside_it) {
  EXPECT_TRUE(is_inside("C:\\Apps\\WOP1\\kwop.exe", "c:\\apps\\wop1"));
  EXPECT_FALSE(is_inside("C:\\Apps\\WOP10\\kwop.exe", "C:\\Apps\\WOP1"));
  EXPECT_FALSE(is_inside("C:\\Apps\\WOP1\\", "C:\\Apps\\WOP1"));
  EXPECT_FALSE(is_inside("", "C:\\Apps"));
}

TEST(path_text, folder_and_file_name) {
  EXPECT_EQ(folder_of("C:\\Apps\\WOP1\\remove.exe"), "C:\\Apps\\WOP1\\");
  EXPECT_EQ(file_name_of("C:\\Apps\\WOP1\\remove.exe"), "remove.exe");
  EXPECT_EQ(folder_of("remove.exe"), "");
  EXPECT_EQ(file_name_of("remove.exe"), "remove.exe");
}
