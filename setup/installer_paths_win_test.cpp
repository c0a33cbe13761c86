#include "setup/installer_paths.h"

#include <gtest/gtest.h>
#include "product/installation_names.h"
#include "test_support/install_test_support_win32.h"
#include "test_support/test_registry_win32.h"

namespace names = installation;

namespace {

const char shell_folders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

class installer_paths_test : public ::testing::Test {
protected:
  void SetUp() override { forget_installation(); }
  void TearDown() override { forget_installation(); }
};

TEST_F(installer_paths_test, the_previous_folder_loses_one_trailing_backslash_unless_a_drive_root) {
  const struct {
    const char *stored;
    const char *read;
  } cases[] = {{"D:\\Tools\\WOP1\\", "D:\\Tools\\WOP1"},
               {"D:\\Tools\\WOP1", "D:\\Tools\\WOP1"},
               {"D:\\Tools\\WOP1\\\\", "D:\\Tools\\WOP1\\"},
               {"E:\\", "E:\\"},
               {"E:", "E:\\"}};
  for (const auto &c : cases) {
    ASSERT_TRUE(set_registry_text(HKEY_LOCAL_MACHINE, names::product_key, names::folder_value, c.stored));
    krval folder("untouched");
    EXPECT_TRUE(read_previous_install_dir(folder)) << c.stored;
    EXPECT_EQ(folder.str(), c.read) << c.stored;
  }
}

TEST_F(installer_paths_test, no_key_an_empty_value_or_a_number_is_no_previous_folder) {
  krval folder("untouched");
  EXPECT_FALSE(read_previous_install_dir(folder));
  ASSERT_TRUE(set_registry_text(HKEY_LOCAL_MACHINE, names::product_key, names::folder_value, ""));
  EXPECT_FALSE(read_previous_install_dir(folder));
  HKEY key;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, names::product_key, 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
  DWORD number = 7;
  RegSetValueExA(key, names::folder_value, 0, REG_DWORD, reinterpret_cast<BYTE *>(&number), sizeof number);
  RegCloseKey(key);
  EXPECT_FALSE(read_previous_install_dir(folder));
  EXPECT_EQ(folder.str(), "untouched");
}

TEST_F(installer_paths_test, shell_folders_come_from_the_machine_then_from_the_user) {
  std::string machine = shell_folder_path(HKEY_LOCAL_MACHINE, "Common Programs");
  std::string user = shell_folder_path(HKEY_CURRENT_USER, "Programs");
  ASSERT_FALSE(machine.empty());
  ASSERT_FALSE(user.empty());
  krval folder;
  EXPECT_TRUE(get_common_programs_dir(folder));
  EXPECT_EQ(folder.str(), machine);
  {
    registry_value_aside aside(HKEY_LOCAL_MACHINE, shell_folders, "Common Programs");
    EXPECT_TRUE(get_common_programs_dir(folder));
    EXPECT_EQ(folder.str(), user);
    registry_value_aside aside_too(HKEY_CURRENT_USER, shell_folders, "Programs");
    folder = krval("stale");
    EXPECT_FALSE(get_common_programs_dir(folder));
    EXPECT_EQ(folder.str(), "");
  }
  {
    // An empty machine value counts as none.
    registry_value_aside aside(HKEY_LOCAL_MACHINE, shell_folders, "Common Desktop");
    ASSERT_TRUE(set_registry_text(HKEY_LOCAL_MACHINE, shell_folders, "Common Desktop", ""));
    EXPECT_TRUE(get_common_desktop_dir(folder));
    EXPECT_EQ(folder.str(), shell_folder_path(HKEY_CURRENT_USER, "Desktop"));
  }
  EXPECT_TRUE(get_program_files_dir(folder));
  EXPECT_FALSE(folder.empty());
}

TEST(installer_paths, the_running_tool_is_found_by_its_window_class) {
  EXPECT_FALSE(is_program_running());
  {
    fake_running_tool tool;
    EXPECT_TRUE(is_program_running());
  }
  EXPECT_FALSE(is_program_running());
}

TEST(installer_paths, kilobytes_are_divided_down_then_one_added) {
  EXPECT_EQ(required_kilobytes(krval(2047)).as_int(), 2);
  EXPECT_EQ(required_kilobytes(krval(2048)).as_int(), 3);
  EXPECT_EQ(required_kilobytes(krval(0)).as_int(), 1);
  EXPECT_EQ(required_kilobytes(krval(3000000000.0)).as_int(), 2929688);
}

TEST(installer_paths, the_product_folder_goes_below_the_chosen_one) {
  EXPECT_EQ(install_dir_in(krval("C:\\Apps")).str(), "C:\\Apps\\WOP1");
  EXPECT_EQ(install_dir_in(krval("C:\\Apps\\")).str(), "C:\\Apps\\WOP1");
  EXPECT_EQ(install_dir_in(krval("D:\\")).str(), "D:\\WOP1");
}

}  // namespace
