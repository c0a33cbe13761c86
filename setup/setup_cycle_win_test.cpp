// The real programs from the assembled setup folder, driven from outside as a
// user would drive them: a full installation, a second one over it, the
// uninstaller, and the wizard's failures. Screenshots of every page go into
// the build folder's screenshots/.
#include <gtest/gtest.h>
#include <algorithm>
#include "forms/control_ids.h"
#include "product/installation_names.h"
#include "test_support/gui_driver_win32.h"
#include "test_support/install_test_support_win32.h"
#include "test_support/test_files_win32.h"
#include "test_support/test_registry_win32.h"
#include "winservices/shell_link_reader.h"

using namespace gui_test;
namespace names = installation;
namespace id = SetupForm_ids;

namespace {

const DWORD patience = 30000;   // Wine may take a while to start a program
const char *const distribution[] = {"setup.exe", "kr_px_regex.dll", "remove.exe", "readme.txt",
                                    "help.html", "license.txt",     "htmltoc.gif"};
const char shell_folders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

std::string beside_this_program(const char *relative) {
  char buffer[MAX_PATH * 2];
  DWORD n = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
  std::string path(buffer, n);
  path = path.substr(0, path.find_last_of('\\') + 1) + relative;
  std::replace(path.begin(), path.end(), '/', '\\');
  char full[MAX_PATH * 2];
  n = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
  std::string result(full, n);
  if (result.back() != '\\') result += '\\';
  return result;
}

std::string built_setup_folder() { return beside_this_program(QUENBY_SETUP_FOLDER); }

void screenshot(HWND window, const char *name) {
  std::string path = beside_this_program(QUENBY_SCREENSHOT_FOLDER) + name + ".png";
  EXPECT_TRUE(save_screenshot(window, path)) << path;
}

bool wait_for_page(HWND wizard, int panel) {
  return wait_until([&] { return showing(find_control(wizard, panel)); }, patience);
}

std::string text_of(HWND wizard, int control) { return window_text(find_control(wizard, control)); }

std::string program_files() {
  std::string folder;
  registry_text(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir",
                folder);
  return folder;
}

class setup_cycle : public ::testing::Test {
protected:
  void SetUp() override {
    forget_installation();
    default_folder = program_files() + "\\KRYN\\WOP1\\";
    remove_tree(default_folder);
    dist = scratch.file("Setup files\\");
    ASSERT_TRUE(make_folders(dist));
    for (const char *name : distribution)
      ASSERT_TRUE(CopyFileA((built_setup_folder() + name).c_str(), (dist + name).c_str(), FALSE)) << name;
  }
  void TearDown() override {
    forget_installation();
    remove_tree(default_folder);
    RemoveDirectoryA((program_files() + "\\KRYN").c_str());
  }

  // setup.exe started from the distribution folder, as a user starts it,
  // or by its full path from another folder, as the Run box starts it.
  HWND start_setup(started_program &setup, const std::string &folder = std::string()) {
    EXPECT_TRUE(setup.start("\"" + dist + "setup.exe\"", folder.empty() ? dist : folder));
    return wait_for_window(setup.pid(), "TSetupForm", nullptr, patience);
  }

  // The icon of another process's box cannot be told from here; the tests in
  // the wizard's own process check that.
  message_box expect_message(started_program &program, const std::string &text) {
    message_box box;
    EXPECT_TRUE(wait_for_message_box(program.pid(), patience, box)) << text;
    EXPECT_EQ(box.text, text);
    EXPECT_EQ(box.caption, "Quenby 1.0");
    return box;
  }

  // Welcome, Licence, Destination, Ready; the Ready page is on screen after.
  // From the welcome page over the licence to the folder page.
  void walk_to_folder(HWND wizard) {
    press(wizard, id::Button2);
    ASSERT_TRUE(wait_for_page(wizard, id::Panel4));
    press(wizard, id::Button2);
    ASSERT_TRUE(wait_for_page(wizard, id::Panel5));
  }

  void walk_to_ready(HWND wizard, bool desktop_icon) {
    ASSERT_TRUE(wait_for_page(wizard, id::Panel3));
    ASSERT_NO_FATAL_FAILURE(walk_to_folder(wizard));
    set_check(wizard, id::CheckBox1, desktop_icon);
    press(wizard, id::Button2);
    ASSERT_TRUE(wait_for_page(wizard, id::Panel7));
  }

  // From the Ready page to the finish state.
  void install_from_ready(HWND wizard) {
    press(wizard, id::Button2);
    ASSERT_TRUE(wait_until(
        [&] { return showing(find_control(wizard, id::Label12)) && text_of(wizard, id::Button1) == "Finish"; },
        patience));
  }

  void finish(started_program &setup, HWND wizard) {
    press(wizard, id::Button1);
    EXPECT_TRUE(setup.wait_for_exit(patience));
  }

  // The uninstaller of the folder, answered Yes; returns its closing message.
  // Started by the command given, or else by its quoted path.
  std::string uninstall(const std::string &folder, std::string command = std::string()) {
    if (command.empty()) command = "\"" + folder + "remove.exe\"";
    started_program remove;
    EXPECT_TRUE(remove.start(command, folder));
    message_box question =
        expect_message(remove, "Remove Quenby 1.0 and all of its components?");
    EXPECT_EQ(question.buttons, (std::vector<int>{IDYES, IDNO}));
    answer(question, IDYES);
    message_box closing;
    EXPECT_TRUE(wait_for_message_box(remove.pid(), patience, closing));
    answer(closing, IDOK);
    EXPECT_TRUE(remove.wait_for_exit(patience));
    // Its copy deletes it once it has ended.
    std::string uninstaller = folder + "remove.exe";
    EXPECT_TRUE(wait_until_no_file(uninstaller));
    return closing.text;
  }

  // True once nothing is at path, within the patience.
  static bool wait_until_no_file(const std::string &path) {
    return wait_until([&] { return !file_exists(path); }, patience);
  }

  void expect_nothing_recorded() {
    EXPECT_FALSE(registry_has_key(HKEY_LOCAL_MACHINE, names::product_key));
    EXPECT_FALSE(registry_has_key(HKEY_LOCAL_MACHINE, names::maker_key));
    EXPECT_FALSE(registry_has_key(HKEY_LOCAL_MACHINE, names::uninstall_key));
    EXPECT_FALSE(registry_has_key(HKEY_CLASSES_ROOT, html.verb_key()));
    EXPECT_FALSE(registry_has_key(HKEY_CLASSES_ROOT, every_html_file_verb_key()));
    EXPECT_FALSE(file_exists(menu_folder()));
    EXPECT_FALSE(file_exists(desktop_link()));
  }

  std::string menu_folder() {
    return shell_folder_path(HKEY_LOCAL_MACHINE, "Common Programs") + "\\KRYN Quenby";
  }
  std::string desktop_link() {
    return shell_folder_path(HKEY_LOCAL_MACHINE, "Common Desktop") + "\\KRYN Quenby 1.0.lnk";
  }

  scratch_folder scratch{"quenby cycle"};
  html_class_scope html;
  std::string dist, default_folder;
};

TEST(distribution, the_setup_folder_holds_exactly_the_seven_files) {
  std::vector<std::string> expected(std::begin(distribution), std::end(distribution));
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(folder_entries(built_setup_folder()), expected);
}

TEST_F(setup_cycle, a_full_installation_works_and_the_uninstaller_takes_it_all_away) {
  started_program setup;
  HWND wizard = start_setup(setup);
  ASSERT_TRUE(wizard);
  EXPECT_EQ(window_text(wizard), "Quenby 1.0");
  EXPECT_EQ(text_of(wizard, id::Label2), "Welcome to Quenby 1.0 setup.");

  ASSERT_TRUE(wait_for_page(wizard, id::Panel3));
  screenshot(wizard, "setup-0-welcome");
  press(wizard, id::Button2);
  ASSERT_TRUE(wait_for_page(wizard, id::Panel4));
  std::string licence;
  ASSERT_TRUE(read_bytes(dist + "license.txt", licence));
  EXPECT_EQ(text_of(wizard, id::Memo1), licence);
  EXPECT_EQ(text_of(wizard, id::Button2), "Accept");
  EXPECT_EQ(text_of(wizard, id::Button1), "Don't Accept");
  screenshot(wizard, "setup-1-licence");

  press(wizard, id::Button2);
  ASSERT_TRUE(wait_for_page(wizard, id::Panel5));
  const std::string folder = default_folder;   // it holds a blank: "Program Files"
  const std::string shown = folder.substr(0, folder.size() - 1);
  EXPECT_EQ(text_of(wizard, id::Label13), shown);
  EXPECT_EQ(text_of(wizard, id::Label8), "");
  EXPECT_NE(text_of(wizard, id::Label7).find("The program requires "), std::string::npos);
  EXPECT_TRUE(is_checked(wizard, id::CheckBox2));
  EXPECT_FALSE(is_checked(wizard, id::CheckBox1));
  set_check(wizard, id::CheckBox1, true);
  screenshot(wizard, "setup-2-destination");

  press(wizard, id::Button2);
  ASSERT_TRUE(wait_for_page(wizard, id::Panel7));
  EXPECT_EQ(text_of(wizard, id::Label15), shown);
  EXPECT_EQ(text_of(wizard, id::Label16), "Yes, create a desktop icon.");
  EXPECT_EQ(text_of(wizard, id::Label17), "Yes, add explorer shell extension [context menu item].");
  EXPECT_EQ(text_of(wizard, id::Button2), "Start installation");
  screenshot(wizard, "setup-3-ready");

  install_from_ready(wizard);
  EXPECT_EQ(progress_position(wizard, id::ProgressBar1), 100);
  EXPECT_EQ(text_of(wizard, id::Label10), "100");
  EXPECT_EQ(text_of(wizard, id::Label12), "Quenby 1.0 setup is complete.");
  EXPECT_FALSE(showing(find_control(wizard, id::Button2)));
  EXPECT_FALSE(showing(find_control(wizard, id::Button3)));
  screenshot(wizard, "setup-5-finish");
  finish(setup, wizard);

  // The folder: the program under its installed name, the rest byte for byte.
  EXPECT_EQ(folder_entries(folder), (std::vector<std::string>{"help.html", "htmltoc.gif", "kr_px_regex.dll",
                                                              "kwop.exe", "license.txt", "readme.txt",
                                                              "remove.exe"}));
  for (const char *name : distribution) {
    std::string installed_name = name == std::string("setup.exe") ? "kwop.exe" : name;
    std::string original, installed;
    ASSERT_TRUE(read_bytes(dist + name, original));
    ASSERT_TRUE(read_bytes(folder + installed_name, installed)) << installed_name;
    EXPECT_TRUE(original == installed) << installed_name;
  }

  std::string value;
  EXPECT_TRUE(registry_text(HKEY_LOCAL_MACHINE, names::product_key, "inst_dir", value));
  EXPECT_EQ(value, folder);
  EXPECT_TRUE(registry_text(HKEY_LOCAL_MACHINE, names::product_key, "icon_dir", value));
  EXPECT_EQ(value, menu_folder());
  EXPECT_TRUE(registry_text(HKEY_LOCAL_MACHINE, names::product_key, "desktop_icon", value));
  EXPECT_EQ(value, desktop_link());
  EXPECT_TRUE(registry_text(HKEY_LOCAL_MACHINE, names::uninstall_key, "DisplayName", value));
  EXPECT_EQ(value, "Quenby 1.0");
  std::string uninstall_command;
  EXPECT_TRUE(registry_text(HKEY_LOCAL_MACHINE, names::uninstall_key, "UninstallString", uninstall_command));
  EXPECT_EQ(uninstall_command, "\"" + folder + "remove.exe\"");

  shell_link_info link;
  for (const std::string &program_link : {menu_folder() + "\\KRYN Quenby 1.0.lnk", desktop_link()}) {
    ASSERT_TRUE(read_shell_link(program_link, link)) << program_link;
    EXPECT_EQ(link.target, folder + "kwop.exe");
    EXPECT_EQ(link.icon_path, folder + "kwop.exe");
    EXPECT_EQ(link.icon_index, 0);
    EXPECT_EQ(link.working_dir, folder);
    EXPECT_EQ(link.arguments, "");
    EXPECT_EQ(link.show_command, SW_SHOWNORMAL);   // how the format reads back SW_SHOW
  }
  ASSERT_TRUE(read_shell_link(menu_folder() + "\\Help.lnk", link));
  EXPECT_EQ(link.target, folder + "help.html");
  EXPECT_EQ(link.icon_path, "");
  EXPECT_EQ(link.working_dir, "");
  ASSERT_TRUE(read_shell_link(menu_folder() + "\\Uninstall.lnk", link));
  EXPECT_EQ(link.target, folder + "remove.exe");
  EXPECT_EQ(link.working_dir, "");

  // The context-menu command hands a page whose path holds blanks over whole.
  std::string command;
  ASSERT_TRUE(registry_text(HKEY_CLASSES_ROOT, html.command_key(), "", command));
  EXPECT_EQ(command, "\"" + folder + "kwop.exe\" \"%1\"");
  std::string for_every_page;
  ASSERT_TRUE(registry_text(HKEY_CLASSES_ROOT, every_html_file_verb_key() + "\\command", "", for_every_page));
  EXPECT_EQ(for_every_page, command);
  std::string page = scratch.file("My Pages\\a page with blanks.html");
  ASSERT_TRUE(make_folders(scratch.file("My Pages")));
  ASSERT_TRUE(write_file(page, "<html><body><h1>Hello</h1></body></html>"));
  std::string clicked = command;
  clicked.replace(clicked.find("%1"), 2, page);
  {
    started_program tool;
    ASSERT_TRUE(tool.start(clicked, scratch.folder()));
    HWND main_window = wait_for_window(tool.pid(), "TkrynWOP1", nullptr, patience);
    ASSERT_TRUE(main_window);
    EXPECT_EQ(text_of(main_window, krynWOP1_ids::Edit1), page);
    PostMessageA(main_window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(tool.wait_for_exit(patience));
  }

  // As "Apps & features" starts it.
  EXPECT_EQ(uninstall(folder, uninstall_command), "Quenby 1.0 has been removed from your computer.");
  // The copy removes the folder, then the maker's folder, a moment after
  // the program file.
  EXPECT_TRUE(wait_until_no_file(folder));
  EXPECT_TRUE(wait_until_no_file(program_files() + "\\KRYN"));
  expect_nothing_recorded();
}

TEST_F(setup_cycle, a_second_installation_goes_over_the_first_and_user_files_survive_removal) {
  const std::string folder = default_folder;
  {
    started_program setup;
    HWND wizard = start_setup(setup);
    ASSERT_TRUE(wizard);
    walk_to_ready(wizard, false);
    install_from_ready(wizard);
    finish(setup, wizard);
  }
  {
    // This time from another folder: the distribution is found beside setup.exe.
    started_program setup;
    HWND wizard = start_setup(setup, scratch.folder());
    ASSERT_TRUE(wizard);
    ASSERT_NO_FATAL_FAILURE(walk_to_folder(wizard));
    EXPECT_EQ(text_of(wizard, id::Label8),
              "Previous version of software is detected. It is highly recommended that you "
              "install current version to the same directory.");
    EXPECT_EQ(text_of(wizard, id::Label13), folder.substr(0, folder.size() - 1));
    press(wizard, id::Button2);
    ASSERT_TRUE(wait_for_page(wizard, id::Panel7));
    install_from_ready(wizard);
    finish(setup, wizard);
  }
  std::string value;
  EXPECT_TRUE(registry_text(HKEY_LOCAL_MACHINE, names::product_key, "inst_dir", value));
  EXPECT_EQ(value, folder);
  int verbs = 0;
  for (const std::string &verb : registry_sub_keys(HKEY_CLASSES_ROOT, html.html_class() + "\\shell"))
    if (verb == names::context_verb) ++verbs;
  EXPECT_EQ(verbs, 1);
  EXPECT_EQ(folder_entries(folder).size(), 7u);

  {
    // No keeps everything.
    started_program remove;
    ASSERT_TRUE(remove.start("\"" + folder + "remove.exe\"", folder));
    answer(expect_message(remove, "Remove Quenby 1.0 and all of its components?"), IDNO);
    EXPECT_TRUE(remove.wait_for_exit(patience));
    EXPECT_EQ(folder_entries(folder).size(), 7u);
    EXPECT_TRUE(registry_has_key(HKEY_LOCAL_MACHINE, names::product_key));
  }

  ASSERT_TRUE(write_file(folder + "my notes.txt", "mine, not the installer's"));
  std::string closing = uninstall(folder);
  EXPECT_NE(closing.find("holds files that were not installed"), std::string::npos) << closing;
  // The uninstaller's helper copy may still be trying to remove the folder;
  // while it does, a listing can come back empty, so look again for a while.
  std::vector<std::string> left;
  for (int tries = 0; tries < 50; ++tries) {
    left = folder_entries(folder);
    if (!left.empty()) break;
    Sleep(100);
  }
  EXPECT_EQ(left, std::vector<std::string>{"my notes.txt"});
  std::string notes;
  EXPECT_TRUE(read_bytes(folder + "my notes.txt", notes));
  EXPECT_EQ(notes, "mine, not the installer's");
  expect_nothing_recorded();
}

TEST_F(setup_cycle, browse_starts_in_the_deepest_existing_folder_and_adds_the_product_folder) {
  started_program setup;
  HWND wizard = start_setup(setup);
  ASSERT_TRUE(wizard);
  ASSERT_NO_FATAL_FAILURE(walk_to_folder(wizard));
  const std::string offered = text_of(wizard, id::Label13);

  press(wizard, id::Button4);
  message_box browser;
  ASSERT_TRUE(wait_for_message_box(setup.pid(), patience, browser));
  EXPECT_NE(browser.text.find("Select an installation folder"), std::string::npos) << browser.text;
  answer(browser, IDCANCEL);
  pump_messages(300);
  EXPECT_EQ(text_of(wizard, id::Label13), offered);

  // The browser opens on Program Files, the deepest folder of the default
  // that exists; confirming it gives its WOP1 folder.
  press(wizard, id::Button4);
  ASSERT_TRUE(wait_for_message_box(setup.pid(), patience, browser));
  answer(browser, IDOK);
  std::string expected = program_files() + "\\WOP1";
  EXPECT_TRUE(wait_until([&] { return text_of(wizard, id::Label13) == expected; }, patience))
      << text_of(wizard, id::Label13);
  press(wizard, id::Button1);
  EXPECT_TRUE(setup.wait_for_exit(patience));
}

TEST_F(setup_cycle, the_uninstaller_refuses_while_the_tool_runs_or_where_nothing_is_installed) {
  {
    started_program remove;
    ASSERT_TRUE(remove.start("\"" + dist + "remove.exe\"", dist));
    answer(expect_message(remove, "Quenby 1.0 is not installed in " + dist +
                                      ", so there is nothing to remove here."),
           IDOK);
    EXPECT_TRUE(remove.wait_for_exit(patience));
    EXPECT_EQ(folder_entries(dist).size(), 7u);
  }
  {
    fake_running_tool tool;
    started_program remove;
    ASSERT_TRUE(remove.start("\"" + dist + "remove.exe\"", dist));
    answer(expect_message(remove, "Before uninstalling you need to close running\r\nQuenby 1.0"), IDOK);
    EXPECT_TRUE(remove.wait_for_exit(patience));
    EXPECT_EQ(folder_entries(dist).size(), 7u);
  }
}

TEST_F(setup_cycle, an_incomplete_distribution_or_a_running_tool_stops_setup_at_once) {
  {
    fake_running_tool tool;
    started_program setup;
    ASSERT_TRUE(setup.start("\"" + dist + "setup.exe\"", dist));
    message_box box = expect_message(setup, "Before installation you need to close running\r\nQuenby 1.0");
    EXPECT_FALSE(find_window(setup.pid(), "TSetupForm"));
    answer(box, IDOK);
    EXPECT_TRUE(setup.wait_for_exit(patience));
  }
  // The missing file is named, started from its folder or from another.
  DeleteFileA((dist + "readme.txt").c_str());
  for (const std::string &folder : {dist, scratch.folder()}) {
    started_program setup;
    ASSERT_TRUE(setup.start("\"" + dist + "setup.exe\"", folder));
    message_box box =
        expect_message(setup, "The distribution is incomplete: " + dist + "readme.txt is missing.\nTerminating.");
    EXPECT_FALSE(find_window(setup.pid(), "TSetupForm"));
    answer(box, IDOK);
    EXPECT_TRUE(setup.wait_for_exit(patience));
  }
}

TEST_F(setup_cycle, an_unreadable_licence_ends_setup_with_file_error) {
  started_program setup;
  HWND wizard = start_setup(setup);
  ASSERT_TRUE(wizard);
  HANDLE held = CreateFileA((dist + "license.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  press(wizard, id::Button2);
  message_box box = expect_message(setup, "File error");
  answer(box, IDOK);
  CloseHandle(held);
  EXPECT_TRUE(setup.wait_for_exit(patience));
}

TEST_F(setup_cycle, a_file_where_the_folder_belongs_sends_the_user_back_to_ready) {
  std::string folder = scratch.file("Taken\\WOP1");
  ASSERT_TRUE(make_folders(scratch.file("Taken")));
  ASSERT_TRUE(write_file(folder, "a file"));
  // The previous installation's folder is what the wizard offers.
  ASSERT_TRUE(set_registry_text(HKEY_LOCAL_MACHINE, names::product_key, "inst_dir", folder + "\\"));
  started_program setup;
  HWND wizard = start_setup(setup);
  ASSERT_TRUE(wizard);
  walk_to_ready(wizard, false);
  press(wizard, id::Button2);
  message_box box = expect_message(
      setup, "Destination folder can not be created. Please select another directory for installation.");
  answer(box, IDOK);
  ASSERT_TRUE(wait_for_page(wizard, id::Panel7));
  EXPECT_TRUE(showing(find_control(wizard, id::Button2)));
  EXPECT_EQ(text_of(wizard, id::Button2), "Start installation");
  press(wizard, id::Button1);
  EXPECT_TRUE(setup.wait_for_exit(patience));
}

TEST_F(setup_cycle, without_a_start_menu_folder_the_files_are_copied_then_setup_stops) {
  std::string folder = scratch.file("No menu\\WOP1\\");
  ASSERT_TRUE(set_registry_text(HKEY_LOCAL_MACHINE, names::product_key, "inst_dir", folder));
  registry_value_aside machine(HKEY_LOCAL_MACHINE, shell_folders, "Common Programs");
  registry_value_aside user(HKEY_CURRENT_USER, shell_folders, "Programs");
  started_program setup;
  HWND wizard = start_setup(setup);
  ASSERT_TRUE(wizard);
  walk_to_ready(wizard, false);
  press(wizard, id::Button2);
  message_box box = expect_message(setup, "Setup can't create Start menu link.");
  // The run stopped on the Progress page: move the message aside to see it.
  SetWindowPos(box.window, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_TRUE(showing(find_control(wizard, id::Panel6)));
  int shown = progress_position(wizard, id::ProgressBar1);
  EXPECT_GT(shown, 80);
  EXPECT_LT(shown, 100);
  EXPECT_EQ(text_of(wizard, id::Label10), std::to_string(shown));
  screenshot(wizard, "setup-4-progress");
  answer(box, IDOK);
  ASSERT_TRUE(wait_for_page(wizard, id::Panel7));
  EXPECT_TRUE(file_exists(folder + "kwop.exe"));
  EXPECT_FALSE(file_exists(folder + "setup.exe"));
  EXPECT_EQ(folder_entries(folder).size(), 7u);
  std::string value;
  EXPECT_TRUE(registry_text(HKEY_LOCAL_MACHINE, names::product_key, "inst_dir", value));
  EXPECT_EQ(value, folder);
  press(wizard, id::Button1);
  EXPECT_TRUE(setup.wait_for_exit(patience));
}

}  // namespace
