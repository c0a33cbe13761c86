// The wizard in this process: built in a scratch distribution folder, its
// handlers called as the buttons would call them, its message boxes answered
// by a watcher thread. The real registry, shell links and file system of the
// system are used; each test puts them back.
#include "setup/setup_form.h"

#include <gtest/gtest.h>
#include <memory>
#include "forms/control_ids.h"
#include "fs/fs_test_hooks.h"
#include "product/installation_names.h"
#include "product/product.h"
#include "test_support/gui_driver_win32.h"
#include "test_support/install_test_support_win32.h"
#include "test_support/message_box_watcher_win32.h"
#include "test_support/test_files_win32.h"
#include "test_support/test_registry_win32.h"
#include "ui/application.h"
#include "winservices/shell_link_reader.h"

using namespace gui_test;
namespace names = installation;

namespace {

const char *const distribution[] = {"setup.exe", "kr_px_regex.dll", "remove.exe", "readme.txt",
                                    "help.html", "license.txt",     "htmltoc.gif"};

class application_environment : public ::testing::Environment {
public:
  void SetUp() override {
    Application.set_title(product_title);
    Application.initialize();
  }
};
const auto *const environment = ::testing::AddGlobalTestEnvironment(new application_environment);

std::string current_folder() {
  char buffer[MAX_PATH * 2];
  DWORD n = GetCurrentDirectoryA(sizeof buffer, buffer);
  return std::string(buffer, n);
}

class wizard_test : public ::testing::Test {
protected:
  void SetUp() override {
    forget_installation();
    // 2048 bytes in all: a requirement of 3 kilobytes.
    for (const char *name : distribution) {
      std::string bytes(name == std::string("setup.exe") ? 2048 - 6 * 100 : 100, 'x');
      if (name == std::string("license.txt")) bytes = licence_text(100);
      ASSERT_TRUE(write_file(source.file(name), bytes));
    }
    saved_folder = current_folder();
    SetCurrentDirectoryA(source.folder().c_str());
  }
  void TearDown() override {
    wizard.reset();
    SetCurrentDirectoryA(saved_folder.c_str());
    forget_installation();
  }

  static std::string licence_text(size_t size) {
    std::string text = "LICENCE\r\nYou may use it.\r\n";
    text.resize(size, '.');
    return text;
  }

  TSetupForm &make_wizard() {
    wizard = std::make_unique<TSetupForm>();
    return *wizard;
  }
  void go_to_page(int page) {
    while (wizard->page_index < page) wizard->Button2Click();
  }
  bool closed() {
    pump_messages(100);
    return !IsWindowVisible(wizard->handle);
  }
  // Exactly one message box since the last forget, with the wizard's caption,
  // that icon and a single OK button.
  void expect_one_message(const std::string &text, unsigned icon) {
    pump_messages(100);
    std::vector<message_box> seen = boxes.seen();
    ASSERT_EQ(seen.size(), 1u) << text;
    EXPECT_EQ(seen[0].text, text);
    EXPECT_EQ(seen[0].caption, "Quenby 1.0");
    EXPECT_EQ(seen[0].icon, icon) << text;
    EXPECT_EQ(seen[0].buttons, std::vector<int>{IDOK}) << text;
  }

  scratch_folder source{"quenby wizard"};
  scratch_folder target{"quenby target"};
  html_class_scope html;
  message_box_watcher boxes;
  std::unique_ptr<TSetupForm> wizard;
  std::string saved_folder;
};

std::string number_in_locale(const char *digits) {
  char buffer[64];
  int n = GetNumberFormatA(LOCALE_USER_DEFAULT, 0, digits, nullptr, buffer, sizeof buffer);
  return n > 0 ? std::string(buffer) : std::string();
}

TEST_F(wizard_test, construction_measures_the_distribution_and_shows_the_welcome_page) {
  TSetupForm &w = make_wizard();
  EXPECT_FALSE(w.setup_aborted);
  EXPECT_EQ(w.required_bytes.as_int(), 2048);
  EXPECT_EQ(w.required_bytes.tag, KR_INT);
  EXPECT_EQ(w.dist_files.count(), 7);
  EXPECT_EQ(w.page_index, 0);
  EXPECT_EQ(window_text(w.handle), "Quenby 1.0");
  EXPECT_EQ(w.Label1->text().str(), "KRYN Quenby 1.0 ");
  EXPECT_EQ(w.Label2->text().str(), "Welcome to Quenby 1.0 setup.");
  EXPECT_EQ(w.Label7->text().str(), "The program requires " + number_in_locale("3") + " Kb of the disk space.");
  EXPECT_EQ(w.Label8->text().str(), "");
  EXPECT_EQ(w.Label12->text().str(), "Quenby 1.0 setup is complete.");
  EXPECT_TRUE(w.Panel3->visible());
  for (TPanel *p : {w.Panel4, w.Panel5, w.Panel6, w.Panel7}) EXPECT_FALSE(p->visible());
  EXPECT_EQ(w.Button1->text().str(), "Cancel");
  EXPECT_EQ(w.Button2->text().str(), "Next >");
  EXPECT_FALSE(w.Button3->visible());

  RECT r;
  GetWindowRect(w.handle, &r);
  EXPECT_EQ(r.right - r.left, w.Button1->left() + w.Button1->width() + 41);
  EXPECT_EQ(r.bottom - r.top, w.Panel2->height() + w.Label3->top() + w.Label3->height() +
                                  w.Panel1->height() + 45);
  EXPECT_TRUE(boxes.seen().empty());
}

TEST_F(wizard_test, a_missing_distribution_file_ends_the_wizard_when_it_is_shown) {
  for (const char *missing : {"setup.exe", "htmltoc.gif"}) {
    std::string kept;
    ASSERT_TRUE(read_bytes(source.file(missing), kept));
    DeleteFileA(source.file(missing).c_str());
    boxes.forget();
    TSetupForm &w = make_wizard();
    EXPECT_TRUE(w.setup_aborted) << missing;
    expect_one_message("The distribution is incomplete: " + source.file(missing) + " is missing.\nTerminating.",
                       MB_ICONSTOP);
    w.show();
    EXPECT_TRUE(closed()) << missing;
    write_file(source.file(missing), kept);
  }
}

TEST_F(wizard_test, the_running_tool_is_named_and_no_page_is_shown) {
  fake_running_tool tool;
  TSetupForm &w = make_wizard();
  EXPECT_TRUE(w.setup_aborted);
  expect_one_message("Before installation you need to close running\r\nQuenby 1.0", MB_ICONSTOP);
  // Construction stopped before the caption was set.
  EXPECT_NE(window_text(w.handle), "Quenby 1.0");
  w.show();
  EXPECT_TRUE(closed());
}

TEST_F(wizard_test, the_licence_page_shows_license_txt_read_again_on_every_visit) {
  TSetupForm &w = make_wizard();
  go_to_page(1);
  EXPECT_TRUE(w.Panel4->visible());
  EXPECT_EQ(w.Memo1->text().str(), licence_text(100));
  EXPECT_EQ(w.Button1->text().str(), "Don't Accept");
  EXPECT_EQ(w.Button2->text().str(), "Accept");
  EXPECT_TRUE(w.Button3->visible());

  w.Button3Click();
  EXPECT_EQ(w.page_index, 0);
  EXPECT_FALSE(w.Button3->visible());
  ASSERT_TRUE(write_file(source.file("license.txt"), ""));
  w.Button2Click();
  // An empty file is read successfully: the box is simply empty.
  EXPECT_EQ(w.Memo1->text().str(), "");
  EXPECT_TRUE(boxes.seen().empty());
}

TEST_F(wizard_test, an_unreadable_licence_ends_the_wizard_with_file_error) {
  TSetupForm &w = make_wizard();
  w.show();
  // Held open without sharing: it exists, but nobody else can read it.
  HANDLE held = CreateFileA(source.file("license.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  w.Button2Click();
  CloseHandle(held);
  expect_one_message("File error", MB_ICONSTOP);
  EXPECT_TRUE(closed());
}

TEST_F(wizard_test, dont_accept_and_cancel_close_the_wizard) {
  TSetupForm &w = make_wizard();
  w.show();
  go_to_page(1);
  w.Button1Click();
  EXPECT_TRUE(closed());
}

TEST_F(wizard_test, the_default_folder_is_program_files_kryn_wop1_worked_out_once) {
  std::string program_files;
  ASSERT_TRUE(registry_text(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                            "ProgramFilesDir", program_files));
  TSetupForm &w = make_wizard();
  go_to_page(2);
  EXPECT_EQ(w.install_dir.str(), program_files + "\\KRYN\\WOP1");
  EXPECT_EQ(w.Label13->text().str(), w.install_dir.str());
  EXPECT_EQ(w.Label8->text().str(), "");
  // The browser starts in the deepest folder that exists.
  EXPECT_EQ(w.browse_start_dir.str().substr(0, program_files.size()), program_files);
  EXPECT_TRUE(w.Panel5->visible());
  EXPECT_TRUE(w.CheckBox2->checked());
  EXPECT_FALSE(w.CheckBox1->checked());

  w.choose_install_dir(krval("C:\\Apps"));
  w.Button2Click();
  w.Button3Click();
  EXPECT_EQ(w.install_dir.str(), "C:\\Apps\\WOP1");
  EXPECT_EQ(w.Label13->text().str(), "C:\\Apps\\WOP1");
}

TEST_F(wizard_test, without_any_program_files_folder_in_the_registry_the_wizard_ends) {
  TSetupForm &w = make_wizard();
  w.show();
  {
    registry_value_aside machine(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                                 "ProgramFilesDir");
    registry_value_aside user(HKEY_CURRENT_USER, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                              "ProgramFilesDir");
    go_to_page(2);
  }
  expect_one_message("Setup can't read system registry.The probable reason is either you don't have "
                     "enough rights or registry is corrupt.",
                     MB_ICONSTOP);
  EXPECT_TRUE(closed());
}

TEST_F(wizard_test, a_previous_installation_is_offered_with_its_notice) {
  const struct {
    const char *recorded;
    const char *offered;
  } cases[] = {{"D:\\Tools\\WOP1\\", "D:\\Tools\\WOP1"}, {"E:\\", "E:\\"}, {"F:\\x", "F:\\x"}};
  for (const auto &c : cases) {
    ASSERT_TRUE(set_registry_text(HKEY_LOCAL_MACHINE, names::product_key, names::folder_value, c.recorded));
    TSetupForm &w = make_wizard();
    go_to_page(2);
    EXPECT_EQ(w.install_dir.str(), c.offered) << c.recorded;
    EXPECT_EQ(w.Label8->text().str(),
              "Previous version of software is detected. It is highly recommended that you "
              "install current version to the same directory.");
  }
}

TEST_F(wizard_test, browsing_adds_the_product_folder_to_the_choice) {
  TSetupForm &w = make_wizard();
  go_to_page(2);
  w.choose_install_dir(krval("D:\\"));
  EXPECT_EQ(w.install_dir.str(), "D:\\WOP1");
  w.choose_install_dir(krval("C:\\Apps\\"));
  EXPECT_EQ(w.install_dir.str(), "C:\\Apps\\WOP1");
}

TEST_F(wizard_test, a_long_folder_is_shown_shortened_on_both_pages) {
  TSetupForm &w = make_wizard();
  go_to_page(2);
  std::string chosen = "C:\\A folder with a rather long name\\and another one below it";
  w.choose_install_dir(krval(chosen.c_str()));
  std::string full = chosen + "\\WOP1";
  std::string shown = "C:\\..." + full.substr(full.size() - 54);
  EXPECT_EQ(w.Label13->text().str(), shown);
  w.Button2Click();
  EXPECT_EQ(w.Label15->text().str(), shown);
  EXPECT_EQ(w.install_dir.str(), full);
}

TEST_F(wizard_test, the_ready_page_sums_up_the_choices) {
  TSetupForm &w = make_wizard();
  go_to_page(3);
  EXPECT_TRUE(w.Panel7->visible());
  EXPECT_EQ(w.Button2->text().str(), "Start installation");
  EXPECT_EQ(w.Label15->text().str(), w.Label13->text().str());
  EXPECT_EQ(w.Label16->text().str(), "No, do not create a desktop icon.");
  EXPECT_EQ(w.Label17->text().str(), "Yes, add explorer shell extension [context menu item].");
  w.Button3Click();
  w.CheckBox1->set_checked(true);
  w.CheckBox2->set_checked(false);
  w.Button2Click();
  EXPECT_EQ(w.Label16->text().str(), "Yes, create a desktop icon.");
  EXPECT_EQ(w.Label17->text().str(), "No, do not add explorer shell extension [context menu item].");
}

// A shortcut file keeps the show command it was given (5, SW_SHOW) in its
// header; the shell-link object reports every command other than the three
// the format knows as SW_SHOWNORMAL.
void expect_shows_normally(const std::string &link_file, const shell_link_info &link) {
  EXPECT_EQ(link.show_command, SW_SHOWNORMAL) << link_file;
  std::string bytes;
  ASSERT_TRUE(read_bytes(link_file, bytes));
  ASSERT_GT(bytes.size(), 0x40u);
  EXPECT_EQ(static_cast<unsigned char>(bytes[0x3C]), SW_SHOW) << link_file;
}

// The installation, from the Ready page.
class installation_test : public wizard_test {
protected:
  TSetupForm &ready_wizard(const std::string &folder) {
    TSetupForm &w = make_wizard();
    go_to_page(2);
    install_dir = folder;
    w.install_dir = krval(folder.c_str());
    go_to_page(3);
    return w;
  }
  std::string install_dir;
};

TEST_F(installation_test, free_space_equal_to_the_requirement_is_enough_one_byte_less_is_not) {
  fs_hooks_scope restore;
  std::string folder = target.file("Exact\\WOP1");
  TSetupForm &w = ready_wizard(folder);

  fs_simulate_free_space(1, 1, 2047);
  w.Button2Click();
  expect_one_message("Not enough free space on the drive. Please select another drive for installation.",
                     MB_ICONEXCLAMATION);
  EXPECT_EQ(w.page_index, 3);
  EXPECT_TRUE(w.Panel7->visible());
  EXPECT_TRUE(w.Button2->visible());
  EXPECT_FALSE(file_exists(folder));

  boxes.forget();
  fs_simulate_free_space(1, 1, 2048);
  w.Button2Click();
  EXPECT_TRUE(boxes.seen().empty());
  EXPECT_EQ(w.page_index, 4);
  EXPECT_TRUE(file_exists(folder + "\\kwop.exe"));
}

TEST_F(installation_test, a_drive_without_information_is_refused) {
  fs_hooks_scope restore;
  TSetupForm &w = ready_wizard(target.file("WOP1"));
  fs_simulate_missing_drive();
  w.Button2Click();
  expect_one_message("There is a problem in getting the drive information. Please select another drive "
                     "for installation.",
                     MB_ICONEXCLAMATION);
  EXPECT_EQ(w.page_index, 3);
}

TEST_F(installation_test, progress_follows_the_budget_and_the_finish_state_is_shown) {
  // One large file and six tiny ones: nearly all of the 84 points at the large one.
  ASSERT_TRUE(write_file(source.file("setup.exe"), std::string(100000, 's')));
  for (const char *name : distribution) {
    if (std::string(name) == "setup.exe") continue;
    ASSERT_TRUE(write_file(source.file(name), std::string(10, 't')));
  }
  TSetupForm &w = ready_wizard(target.file("Budget\\WOP1"));
  w.Button2Click();
  ASSERT_EQ(w.page_index, 4);
  int large = static_cast<int>(100000.0 / 100060.0 * 84.0);
  std::vector<int32_t> expected = {2, 4, 5, 5 + large};
  for (int i = 0; i < 6; ++i) expected.push_back(5 + large);
  for (int step : {3, 1, 3, 2, 1}) expected.push_back(expected.back() + step);
  EXPECT_EQ(w.progress_history, expected);
  EXPECT_EQ(w.ProgressBar1->position(), 100);
  EXPECT_EQ(w.Label10->text().str(), "100");
  EXPECT_TRUE(w.Panel6->visible());
  EXPECT_TRUE(w.Label12->visible());
  EXPECT_EQ(w.Button1->text().str(), "Finish");
  EXPECT_TRUE(w.Button1->visible());
  EXPECT_FALSE(w.Button2->visible());
  EXPECT_FALSE(w.Button3->visible());
  EXPECT_TRUE(boxes.seen().empty());
}

TEST_F(installation_test, installs_files_registry_and_shortcuts_with_both_options) {
  std::string folder = target.file("Program Files\\KRYN\\WOP1");
  TSetupForm &w = ready_wizard(folder);
  w.CheckBox1->set_checked(true);
  w.Button2Click();
  ASSERT_EQ(w.page_index, 4);
  std::string f = folder + "\\";

  EXPECT_EQ(folder_entries(f), (std::vector<std::string>{"help.html", "htmltoc.gif", "kr_px_regex.dll",
                                                         "kwop.exe", "license.txt", "readme.txt",
                                                         "remove.exe"}));
  std::string value;
  EXPECT_TRUE(registry_text(HKEY_LOCAL_MACHINE, names::product_key, names::folder_value, value));
  EXPECT_EQ(value, f);
  std::string menu = shell_folder_path(HKEY_LOCAL_MACHINE, "Common Programs") + "\\KRYN Quenby";
  EXPECT_TRUE(registry_text(HKEY_LOCAL_MACHINE, names::product_key, names::start_menu_value, value));
  EXPECT_EQ(value, menu);
  std::string desktop_link = shell_folder_path(HKEY_LOCAL_MACHINE, "Common Desktop") + "\\KRYN Quenby 1.0.lnk";
  EXPECT_TRUE(registry_text(HKEY_LOCAL_MACHINE, names::product_key, names::desktop_link_value, value));
  EXPECT_EQ(value, desktop_link);
  // The uninstall entry as "Apps & features" shows it; its command quoted,
  // since the folder holds a blank.
  for (const auto &[name, expected] : std::vector<std::pair<const char *, std::string>>{
           {"DisplayName", "Quenby 1.0"},
           {"UninstallString", "\"" + f + "remove.exe\""},
           {"DisplayVersion", "1.0"},
           {"Publisher", "KRYN Software"},
           {"DisplayIcon", f + "kwop.exe"},
           {"InstallLocation", f}}) {
    EXPECT_TRUE(registry_text(HKEY_LOCAL_MACHINE, names::uninstall_key, name, value)) << name;
    EXPECT_EQ(value, expected) << name;
  }
  DWORD kilobytes = 0, size = sizeof kilobytes;
  EXPECT_EQ(RegGetValueA(HKEY_LOCAL_MACHINE, names::uninstall_key, "EstimatedSize", RRF_RT_REG_DWORD, nullptr,
                         &kilobytes, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(kilobytes, 3u);   // 2048 bytes
  for (const std::string &verb : {html.verb_key(), every_html_file_verb_key()}) {
    EXPECT_TRUE(registry_text(HKEY_CLASSES_ROOT, verb + "\\command", "", value)) << verb;
    EXPECT_EQ(value, "\"" + f + "kwop.exe\" \"%1\"");
  }

  shell_link_info link;
  for (const std::string &program_link : {menu + "\\KRYN Quenby 1.0.lnk", desktop_link}) {
    ASSERT_TRUE(read_shell_link(program_link, link)) << program_link;
    EXPECT_EQ(link.target, f + "kwop.exe");
    EXPECT_EQ(link.icon_path, f + "kwop.exe");
    EXPECT_EQ(link.icon_index, 0);
    expect_shows_normally(program_link, link);
    EXPECT_EQ(link.working_dir, f);
    EXPECT_EQ(link.arguments, "");
  }
  ASSERT_TRUE(read_shell_link(menu + "\\Help.lnk", link));
  EXPECT_EQ(link.target, f + "help.html");
  EXPECT_EQ(link.working_dir, "");
  expect_shows_normally(menu + "\\Help.lnk", link);
  ASSERT_TRUE(read_shell_link(menu + "\\Uninstall.lnk", link));
  EXPECT_EQ(link.target, f + "remove.exe");
  EXPECT_EQ(link.working_dir, "");
}

TEST_F(installation_test, without_the_options_there_is_no_desktop_link_and_no_verb) {
  std::string folder = target.file("Plain\\WOP1");
  TSetupForm &w = ready_wizard(folder);
  w.CheckBox1->set_checked(false);
  w.CheckBox2->set_checked(false);
  w.Button2Click();
  ASSERT_EQ(w.page_index, 4);
  EXPECT_FALSE(registry_has_value(HKEY_LOCAL_MACHINE, names::product_key, names::desktop_link_value));
  EXPECT_FALSE(file_exists(shell_folder_path(HKEY_LOCAL_MACHINE, "Common Desktop") + "\\KRYN Quenby 1.0.lnk"));
  EXPECT_FALSE(registry_has_key(HKEY_CLASSES_ROOT, html.verb_key()));
  EXPECT_FALSE(registry_has_key(HKEY_CLASSES_ROOT, every_html_file_verb_key()));
  // The steps of the options still count.
  ASSERT_GE(w.progress_history.size(), 5u);
  const int32_t *last = &w.progress_history.back();
  EXPECT_EQ(last[-3] - last[-4], 1);
  EXPECT_EQ(last[-2] - last[-3], 3);
}

TEST_F(installation_test, a_file_in_the_folders_place_sends_back_to_ready_and_a_retry_works) {
  std::string folder = target.file("Taken\\WOP1");
  ASSERT_TRUE(make_folders(target.file("Taken")));
  ASSERT_TRUE(write_file(folder, "a file, not a folder"));
  TSetupForm &w = ready_wizard(folder);
  w.Button2Click();
  expect_one_message("Destination folder can not be created. Please select another directory for "
                     "installation.",
                     MB_ICONEXCLAMATION);
  EXPECT_EQ(w.page_index, 3);
  EXPECT_TRUE(w.Panel7->visible());
  EXPECT_FALSE(w.Panel6->visible());
  for (TButton *b : {w.Button1, w.Button2, w.Button3}) EXPECT_TRUE(b->visible());
  EXPECT_EQ(w.Button2->text().str(), "Start installation");

  // The user clears the way and tries again from the Ready page.
  DeleteFileA(folder.c_str());
  boxes.forget();
  w.Button2Click();
  EXPECT_EQ(w.page_index, 4);
  EXPECT_TRUE(boxes.seen().empty());
  std::string value;
  EXPECT_TRUE(registry_text(HKEY_LOCAL_MACHINE, names::product_key, names::folder_value, value));
  EXPECT_EQ(value, folder + "\\");
}

TEST_F(installation_test, a_second_run_after_a_failure_keeps_one_trailing_backslash) {
  std::string folder = target.file("Twice\\WOP1");
  TSetupForm &w = ready_wizard(folder);
  {
    registry_value_aside machine(HKEY_LOCAL_MACHINE,
                                 "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                                 "Common Programs");
    registry_value_aside user(HKEY_CURRENT_USER,
                              "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                              "Programs");
    w.Button2Click();
  }
  // The files were copied and setup.exe became kwop.exe before the Start menu failed.
  expect_one_message("Setup can't create Start menu link.", MB_ICONEXCLAMATION);
  EXPECT_EQ(w.page_index, 3);
  EXPECT_TRUE(file_exists(folder + "\\kwop.exe"));
  EXPECT_FALSE(file_exists(folder + "\\setup.exe"));
  std::string value;
  EXPECT_TRUE(registry_text(HKEY_LOCAL_MACHINE, names::product_key, names::folder_value, value));
  EXPECT_EQ(value, folder + "\\");

  boxes.forget();
  w.Button2Click();
  EXPECT_EQ(w.page_index, 4);
  EXPECT_TRUE(boxes.seen().empty());
  EXPECT_TRUE(registry_text(HKEY_LOCAL_MACHINE, names::product_key, names::folder_value, value));
  EXPECT_EQ(value, folder + "\\");
  EXPECT_EQ(w.install_dir.str(), folder + "\\");
}

TEST_F(installation_test, a_file_that_cannot_be_written_stops_the_copy_and_nothing_is_undone) {
  std::string folder = target.file("Blocked\\WOP1\\");
  // A folder where readme.txt belongs: no copy can replace it.
  ASSERT_TRUE(make_folders(folder + "readme.txt"));
  TSetupForm &w = ready_wizard(folder);
  w.Button2Click();
  expect_one_message("Setup can't copy files.", MB_ICONEXCLAMATION);
  EXPECT_EQ(w.page_index, 3);
  EXPECT_TRUE(w.Panel7->visible());
  // The files before it were copied and stay; the ones after it never came.
  EXPECT_TRUE(file_exists(folder + "setup.exe"));
  EXPECT_TRUE(file_exists(folder + "remove.exe"));
  EXPECT_FALSE(file_exists(folder + "help.html"));
  EXPECT_TRUE(registry_has_value(HKEY_LOCAL_MACHINE, names::product_key, names::folder_value));
}

TEST_F(installation_test, missing_parent_folders_are_made_from_the_drive_down) {
  std::string folder = target.file("one\\two\\three\\WOP1");
  TSetupForm &w = ready_wizard(folder);
  w.Button2Click();
  EXPECT_EQ(w.page_index, 4);
  EXPECT_TRUE(file_exists(folder + "\\kwop.exe"));
}

}  // namespace
