// Start-up as a user meets it: the name the program file is started under,
// a missing library, and the command line's first argument in the source
// field. Each case is a real process of the built program.
#include <gtest/gtest.h>
#include <string>
#include "forms/control_ids.h"
#include "test_support/gui_driver_win32.h"
#include "test_support/test_files_win32.h"

using namespace gui_test;

namespace {

std::string bin_folder() { return windows_path(QUENBY_BIN_DIR); }
std::string work_folder() { return windows_path(QUENBY_SCRATCH_DIR); }

std::string kwop() { return bin_folder() + "\\kwop.exe"; }

// Starts the tool with the arguments, reads Edit1, closes the window.
std::string source_field_after_start(const std::string &arguments) {
  started_program p;
  if (!p.start(kwop(), arguments, work_folder())) return "<not started>";
  HWND main = wait_for_window(p.pid(), "TkrynWOP1", nullptr, 30000);
  if (!main) return "<no main window>";
  std::string text = window_text(find_control(main, krynWOP1_ids::Edit1));
  PostMessageA(main, WM_CLOSE, 0, 0);
  DWORD code = 1;
  EXPECT_TRUE(p.wait_for_exit(20000, &code)) << arguments;
  EXPECT_EQ(code, 0u) << arguments;
  return text;
}

// A folder holding copies of the program under the given names, with or
// without a library beside them.
std::string folder_with(const std::string &name, const std::vector<std::string> &copies,
                        const std::string &library) {
  std::string folder = work_folder() + "\\" + name;
  make_empty_folder(folder);
  for (const std::string &copy : copies)
    EXPECT_TRUE(CopyFileA(kwop().c_str(), (folder + "\\" + copy).c_str(), FALSE)) << copy;
  if (!library.empty()) {
    EXPECT_TRUE(CopyFileA(library.c_str(), (folder + "\\kr_px_regex.dll").c_str(), FALSE));
  }
  return folder;
}

bool shows_a_form(DWORD pid) {
  for (const char *form : {"TkrynWOP1", "TSetupForm", "TAboutBox"})
    if (find_window(pid, form, nullptr, false)) return true;
  return false;
}

}  // namespace

TEST(CommandLine, TheFirstArgumentFillsTheSourceField) {
  EXPECT_EQ(source_field_after_start(""), "");
  EXPECT_EQ(source_field_after_start("\"\""), "");
  EXPECT_EQ(source_field_after_start("\"C:\\My Pages\\a b.html\" second"), "C:\\My Pages\\a b.html");
  EXPECT_EQ(source_field_after_start("C:\\one.html C:\\two.html"), "C:\\one.html");
  EXPECT_EQ(source_field_after_start("a\"b"), "ab");
  // The context-menu command passes its file unquoted: a blank ends it.
  EXPECT_EQ(source_field_after_start("C:\\My Pages\\x.html"), "C:\\My");
}

TEST(Startup, UnderAnyOtherNameTheProgramEndsAtOnceWithoutAWindow) {
  std::string library = bin_folder() + "\\kr_px_regex.dll";
  std::vector<std::string> names = {"kwop2.exe", "kwop.exe.bak", "setup.exe.exe", "xkwop.exe"};
  std::string folder = folder_with("renamed", names, library);
  for (const std::string &name : names) {
    started_program p;
    ASSERT_TRUE(p.start(folder + "\\" + name, "page.html", folder)) << name;
    DWORD code = 1;
    bool ended = false;
    bool window = false;
    wait_until(
        [&] {
          window = window || shows_a_form(p.pid()) ||
                   find_window(p.pid(), "#32770", nullptr, false) != nullptr;
          ended = p.wait_for_exit(0, &code);
          return ended;
        },
        20000);
    EXPECT_TRUE(ended) << name;
    EXPECT_EQ(code, 0u) << name;
    EXPECT_FALSE(window) << name;
  }
}

TEST(Startup, TheTwoNamesRunInAnyCase) {
  std::string library = bin_folder() + "\\kr_px_regex.dll";
  std::string folder = folder_with("cased", {"SETUP.EXE", "Kwop.Exe"}, library);

  // The wizard, started where the distribution is not, names what is
  // missing and closes.
  started_program setup;
  ASSERT_TRUE(setup.start(folder + "\\SETUP.EXE", "", folder));
  message_box box;
  EXPECT_TRUE(take_message_box(setup.pid(), "Quenby 1.0", 30000, box));
  EXPECT_EQ(box.text, "The distribution is incomplete: " + folder + "\\remove.exe is missing.\nTerminating.");
  DWORD code = 1;
  EXPECT_TRUE(setup.wait_for_exit(20000, &code));
  EXPECT_EQ(code, 0u);

  started_program tool;
  ASSERT_TRUE(tool.start(folder + "\\Kwop.Exe", "", folder));
  HWND form = wait_for_window(tool.pid(), "TkrynWOP1", nullptr, 30000);
  EXPECT_NE(form, nullptr);
  if (form) PostMessageA(form, WM_CLOSE, 0, 0);
  code = 1;
  EXPECT_TRUE(tool.wait_for_exit(20000, &code));
  EXPECT_EQ(code, 0u);
}

namespace {

void expect_fatal_error_and_no_form(const std::string &folder, const std::string &name) {
  started_program p;
  ASSERT_TRUE(p.start(folder + "\\" + name, "", folder)) << name;
  message_box box;
  EXPECT_TRUE(take_message_box(p.pid(), "Fatal Error", 30000, box)) << name;
  EXPECT_EQ(box.text, "Can't load kr_px_regex.dll") << name;
  EXPECT_FALSE(box.has_owner) << name;
  EXPECT_FALSE(shows_a_form(p.pid())) << name;
  DWORD code = 1;
  EXPECT_TRUE(p.wait_for_exit(20000, &code)) << name;
  EXPECT_EQ(code, 0u) << name;
}

}  // namespace

TEST(Startup, WithoutTheLibraryBesideItTheProgramStopsWithFatalError) {
  std::string folder = folder_with("no-library", {"kwop.exe", "setup.exe"}, "");
  expect_fatal_error_and_no_form(folder, "kwop.exe");
  expect_fatal_error_and_no_form(folder, "setup.exe");
}

TEST(Startup, ALibraryWithoutAllFourFunctionsIsRefusedToo) {
  std::string incomplete = bin_folder() + "\\regex-incomplete\\kr_px_regex.dll";
  if (GetFileAttributesA(incomplete.c_str()) == INVALID_FILE_ATTRIBUTES)
    GTEST_SKIP() << "no incomplete library in the build";
  std::string folder = folder_with("incomplete-library", {"kwop.exe"}, incomplete);
  expect_fatal_error_and_no_form(folder, "kwop.exe");
}
