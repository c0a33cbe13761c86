#include "remove/uninstall.h"

#include <gtest/gtest.h>
#include "product/installation_names.h"
#include "product/product.h"
#include "remove/self_delete.h"
#include "test_support/install_test_support_win32.h"
#include "test_support/test_files_win32.h"
#include "test_support/test_registry_win32.h"

namespace names = installation;

namespace {

// An installation as the installer leaves it, made by hand in a scratch
// folder: the program folder, a Start-menu folder, a desktop shortcut, the
// registry record, the uninstall entry and the context-menu verb.
class uninstall_test : public ::testing::Test {
protected:
  void SetUp() override {
    forget_installation();
    folder = scratch.file("Program Files\\KRYN\\WOP1\\");
    menu = scratch.file("Start Menu\\Programs\\KRYN Quenby");
    desktop_link = scratch.file("Desktop\\KRYN Quenby 1.0.lnk");
    ASSERT_TRUE(make_folders(folder));
    ASSERT_TRUE(make_folders(menu));
    ASSERT_TRUE(make_folders(scratch.file("Desktop")));
    for (const char *name : names::installed_files)
      ASSERT_TRUE(write_file(folder + name, std::string("contents of ") + name));
    ASSERT_TRUE(write_file(folder + names::uninstaller, "the uninstaller"));
    ASSERT_TRUE(make_shell_link(menu + "\\" + names::program_link, folder + "kwop.exe", folder));
    ASSERT_TRUE(make_shell_link(menu + "\\" + names::help_link, folder + "help.html"));
    ASSERT_TRUE(make_shell_link(menu + "\\" + names::uninstall_link, folder + "remove.exe"));
    ASSERT_TRUE(make_shell_link(desktop_link, folder + "kwop.exe", folder));
    record(folder);
    for (const std::string &verb : {html.verb_key(), every_html_file_verb_key()})
      ASSERT_TRUE(set_registry_text(HKEY_CLASSES_ROOT, verb + "\\command", "", "\"" + folder + "kwop.exe\" \"%1\""));
  }
  void TearDown() override { forget_installation(); }

  // The uninstall command in quotes, as the installer writes it; an earlier
  // one wrote it bare.
  void record(const std::string &installed_folder, bool quoted = true) {
    ASSERT_TRUE(set_registry_text(HKEY_LOCAL_MACHINE, names::product_key, names::folder_value,
                                  installed_folder));
    ASSERT_TRUE(set_registry_text(HKEY_LOCAL_MACHINE, names::product_key, names::start_menu_value, menu));
    ASSERT_TRUE(set_registry_text(HKEY_LOCAL_MACHINE, names::product_key, names::desktop_link_value,
                                  desktop_link));
    ASSERT_TRUE(set_registry_text(HKEY_LOCAL_MACHINE, names::uninstall_key, names::display_name_value,
                                  product_title));
    const std::string uninstaller = installed_folder + "remove.exe";
    ASSERT_TRUE(set_registry_text(HKEY_LOCAL_MACHINE, names::uninstall_key, names::uninstall_string_value,
                                  quoted ? "\"" + uninstaller + "\"" : uninstaller));
  }

  void expect_no_record() {
    EXPECT_FALSE(registry_has_key(HKEY_LOCAL_MACHINE, names::product_key));
    EXPECT_FALSE(registry_has_key(HKEY_LOCAL_MACHINE, names::maker_key));
    EXPECT_FALSE(registry_has_key(HKEY_LOCAL_MACHINE, names::uninstall_key));
    EXPECT_FALSE(registry_has_key(HKEY_CLASSES_ROOT, html.verb_key()));
    EXPECT_FALSE(registry_has_key(HKEY_CLASSES_ROOT, every_html_file_verb_key()));
    EXPECT_TRUE(registry_has_key(HKEY_CLASSES_ROOT, html.html_class()));
  }

  scratch_folder scratch{"quenby uninstall"};
  html_class_scope html;
  std::string folder, menu, desktop_link;
};

TEST_F(uninstall_test, removes_everything_of_a_recorded_installation) {
  installation_place place = find_installation(folder);
  ASSERT_EQ(place.kind, installation_kind::recorded);
  uninstall_result result = remove_installation(place);

  EXPECT_TRUE(result.not_removed.empty());
  EXPECT_FALSE(result.folder_holds_other_files);
  // The uninstaller itself is left for its copy to delete.
  EXPECT_EQ(folder_entries(folder), std::vector<std::string>{"remove.exe"});
  EXPECT_FALSE(file_exists(menu));
  EXPECT_FALSE(file_exists(desktop_link));
  expect_no_record();
  EXPECT_EQ(closing_message(result, folder), "Quenby 1.0 has been removed from your computer.");
}

TEST_F(uninstall_test, an_uninstall_command_an_earlier_installer_left_bare_goes_too) {
  record(folder, false);
  uninstall_result result = remove_installation(find_installation(folder));
  EXPECT_TRUE(result.not_removed.empty());
  expect_no_record();
}

TEST_F(uninstall_test, keeps_what_the_user_put_into_its_folders_and_says_so) {
  ASSERT_TRUE(write_file(folder + "my notes.txt", "mine"));
  ASSERT_TRUE(make_shell_link(menu + "\\My page.lnk", scratch.file("page.html")));

  uninstall_result result = remove_installation(find_installation(folder));

  EXPECT_EQ(folder_entries(folder), (std::vector<std::string>{"my notes.txt", "remove.exe"}));
  EXPECT_EQ(folder_entries(menu), std::vector<std::string>{"My page.lnk"});
  EXPECT_TRUE(result.folder_holds_other_files);
  EXPECT_EQ(result.not_removed, std::vector<std::string>{menu});
  expect_no_record();
  std::string message = closing_message(result, folder);
  EXPECT_NE(message.find("could not be removed:\r\n\r\n" + menu), std::string::npos) << message;
  EXPECT_NE(message.find("The folder " + folder + " holds files that were not installed"),
            std::string::npos)
      << message;
}

TEST_F(uninstall_test, leaves_shortcuts_and_a_verb_that_lead_to_another_program) {
  scratch_folder other("quenby other");
  std::string other_program = other.file("kwop.exe");
  ASSERT_TRUE(make_shell_link(menu + "\\" + names::program_link, other_program));
  ASSERT_TRUE(make_shell_link(desktop_link, other_program));
  for (const std::string &verb : {html.verb_key(), every_html_file_verb_key()})
    ASSERT_TRUE(set_registry_text(HKEY_CLASSES_ROOT, verb + "\\command", "", other_program + " \"%1\""));

  uninstall_result result = remove_installation(find_installation(folder));

  EXPECT_EQ(folder_entries(menu), std::vector<std::string>{names::program_link});
  EXPECT_TRUE(file_exists(desktop_link));
  for (const std::string &verb : {html.verb_key(), every_html_file_verb_key()}) {
    std::string command;
    EXPECT_TRUE(registry_text(HKEY_CLASSES_ROOT, verb + "\\command", "", command)) << verb;
    EXPECT_EQ(command, other_program + " \"%1\"");
  }
  EXPECT_FALSE(registry_has_key(HKEY_LOCAL_MACHINE, names::product_key));
}

TEST_F(uninstall_test, a_distribution_folder_is_no_installation_and_loses_nothing) {
  scratch_folder distribution("quenby setup");
  for (const char *name : {"setup.exe", "kr_px_regex.dll", "remove.exe", "readme.txt", "help.html",
                           "license.txt", "htmltoc.gif"})
    ASSERT_TRUE(write_file(distribution.file(name), name));

  installation_place place = find_installation(distribution.folder());
  EXPECT_EQ(place.kind, installation_kind::none);
  EXPECT_EQ(place.recorded_folder, folder);
  uninstall_result result = remove_installation(place);

  EXPECT_EQ(folder_entries(distribution.folder()).size(), 7u);
  EXPECT_TRUE(registry_has_key(HKEY_LOCAL_MACHINE, names::product_key));
  EXPECT_TRUE(result.not_removed.empty());
}

TEST_F(uninstall_test, a_folder_the_record_no_longer_names_loses_only_its_files) {
  scratch_folder newer("quenby newer");
  record(newer.folder());

  installation_place place = find_installation(folder);
  ASSERT_EQ(place.kind, installation_kind::files_only);
  remove_installation(place);

  EXPECT_EQ(folder_entries(folder), std::vector<std::string>{"remove.exe"});
  EXPECT_EQ(folder_entries(menu).size(), 3u);
  EXPECT_TRUE(file_exists(desktop_link));
  EXPECT_TRUE(registry_has_value(HKEY_LOCAL_MACHINE, names::product_key, names::folder_value));
  EXPECT_TRUE(registry_has_key(HKEY_LOCAL_MACHINE, names::uninstall_key));
  EXPECT_TRUE(registry_has_key(HKEY_CLASSES_ROOT, html.verb_key()));
}

TEST_F(uninstall_test, the_record_is_found_whatever_the_letter_case_and_final_backslash) {
  std::string lower = folder;
  for (char &c : lower) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  lower.pop_back();
  record(lower);
  EXPECT_EQ(find_installation(folder).kind, installation_kind::recorded);
}

TEST_F(uninstall_test, the_maker_key_stays_while_another_product_uses_it) {
  const std::string sibling = std::string(names::maker_key) + "\\OTHER";
  ASSERT_TRUE(set_registry_text(HKEY_LOCAL_MACHINE, sibling, "inst_dir", "C:\\Other\\"));

  remove_installation(find_installation(folder));

  EXPECT_FALSE(registry_has_key(HKEY_LOCAL_MACHINE, names::product_key));
  EXPECT_TRUE(registry_has_value(HKEY_LOCAL_MACHINE, sibling, "inst_dir"));
  delete_registry_tree(HKEY_LOCAL_MACHINE, names::maker_key);
}

TEST(self_deletion, the_copy_deletes_the_uninstaller_and_the_emptied_folders) {
  scratch_folder scratch("quenby self");
  std::string folder = scratch.file("KRYN\\WOP1\\");
  ASSERT_TRUE(make_folders(folder));
  ASSERT_TRUE(write_file(folder + "remove.exe", "x"));

  EXPECT_EQ(finish_self_deletion("0", folder + "remove.exe"), 0);
  EXPECT_FALSE(file_exists(folder));
  EXPECT_FALSE(file_exists(scratch.file("KRYN")));
  EXPECT_TRUE(is_directory(scratch.folder()));
}

TEST(self_deletion, a_folder_with_files_left_stays_and_other_files_are_never_deleted) {
  scratch_folder scratch("quenby self");
  ASSERT_TRUE(write_file(scratch.file("remove.exe"), "x"));
  ASSERT_TRUE(write_file(scratch.file("notes.txt"), "mine"));

  EXPECT_NE(finish_self_deletion("0", scratch.file("notes.txt")), 0);
  EXPECT_TRUE(file_exists(scratch.file("notes.txt")));
  EXPECT_EQ(finish_self_deletion("0", scratch.file("remove.exe")), 0);
  EXPECT_EQ(folder_entries(scratch.folder()), std::vector<std::string>{"notes.txt"});
}

}  // namespace
