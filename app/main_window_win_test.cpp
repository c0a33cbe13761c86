// The main window and the about box end to end: one run of the tool, driven
// through its controls, menu and shortcuts, in the order a user might go.
// What the window asks the shell to open is seen through a file type whose
// open command is this test program in its recording role.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>
#include <string>
#include "forms/control_ids.h"
#include "test_support/console_program_win32.h"
#include "test_support/gui_driver_win32.h"
#include "test_support/test_files_win32.h"
#include "test_support/test_registry_win32.h"

using namespace gui_test;
namespace id = krynWOP1_ids;

namespace {

std::string bin_folder() { return windows_path(QUENBY_BIN_DIR); }
std::string work_folder() { return windows_path(QUENBY_SCRATCH_DIR); }

void screenshot(HWND window, const std::string &name) {
  std::string path = windows_path(QUENBY_SCREENSHOT_DIR) + "\\" + name + ".png";
  EXPECT_TRUE(save_screenshot(window, path)) << path;
}

const char sample_page[] =
    "<html>\r\n<head><title>Sample</title></head>\r\n<body>\r\n"
    "<h1>First chapter</h1>\r\n<p>Text of the first chapter.</p>\r\n"
    "<h2>A section</h2>\r\n<h2>Another <b>section</b></h2>\r\n"
    "<h1>Second chapter</h1>\r\n<p>The end.</p>\r\n</body>\r\n</html>\r\n";

const char recorder_class[] = "QuenbyTest.Recorder";
const char saved_html_key[] = "Software\\QuenbyTest\\GuiTest";

std::string folder() { return work_folder() + "\\main-window"; }
std::string in_folder(const std::string &name) { return folder() + "\\" + name; }
std::string marker() { return in_folder("opened.txt"); }

// Replaces the default value of a key for the tests; the value it had is kept
// under the test's own key, so that a run cut short is undone by the next.
void override_default(const std::string &key, const std::string &value, const char *saved_as) {
  std::string original;
  if (!registry_text(HKEY_CURRENT_USER, saved_html_key, saved_as, original)) {
    if (!registry_text(HKEY_CLASSES_ROOT, key, "", original)) original = "";
    if (!set_registry_text(HKEY_CURRENT_USER, saved_html_key, saved_as, original)) return;
  }
  set_registry_text(HKEY_CLASSES_ROOT, key, "", value);
}

void restore_default(const std::string &key, const char *saved_as) {
  std::string original;
  if (registry_text(HKEY_CURRENT_USER, saved_html_key, saved_as, original))
    set_registry_text(HKEY_CLASSES_ROOT, key, "", original);
}

std::string recorder_command() {
  return "\"" + own_program() + "\" --record \"" + marker() + "\" \"%1\"";
}

// .qtest files, and .html files and web addresses while the tests run,
// open with the recorder.
void register_recorder() {
  set_registry_text(HKEY_CLASSES_ROOT, std::string(recorder_class) + "\\shell\\open\\command", "",
                    recorder_command());
  set_registry_text(HKEY_CLASSES_ROOT, ".qtest", "", recorder_class);
  override_default(".html", recorder_class, "html_class");
  override_default("http\\shell\\open\\command", recorder_command(), "http_command");
}

void unregister_recorder() {
  restore_default(".html", "html_class");
  restore_default("http\\shell\\open\\command", "http_command");
  RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\QuenbyTest");
  RegDeleteTreeA(HKEY_CLASSES_ROOT, ".qtest");
  RegDeleteTreeA(HKEY_CLASSES_ROOT, recorder_class);
}

// What the shell was last asked to open, waiting for it up to the time.
std::string opened_file(int milliseconds) {
  std::string text;
  wait_until([&] { return read_bytes(marker(), text) && !text.empty(); }, milliseconds);
  DeleteFileA(marker().c_str());
  return text;
}

// The stamp of a run, read back from the first anchor it inserted.
bool stamp_of(const std::string &page, std::string &stamp) {
  size_t at = page.find("name=\"kryn_link_");
  if (at == std::string::npos) return false;
  at = page.find('_', at + 16);
  if (at == std::string::npos) return false;
  size_t end = page.find('"', at);
  stamp = page.substr(at + 1, end - at - 1);
  return !stamp.empty() && stamp.find_first_not_of("0123456789") == std::string::npos;
}

// The command-line tool's output for the same input and stamp, in the
// window's style.
bool command_line_result(const std::string &source, const std::string &stamp, std::string &out) {
  std::string copy = in_folder("cli-input.html");
  std::string result = in_folder("cli-output.html");
  CopyFileA(source.c_str(), copy.c_str(), FALSE);
  DeleteFileA(result.c_str());
  started_program cli;
  if (!cli.start(bin_folder() + "\\quenby-toc.exe",
                 "--quiet --style classic --stamp " + stamp + " -o \"" + result + "\" \"" + copy + "\"", folder()))
    return false;
  DWORD code = 1;
  if (!cli.wait_for_exit(60000, &code) || code != 0) return false;
  return read_bytes(result, out);
}

size_t count_of(const std::string &text, const std::string &what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// The rectangle of a tab, read from the tool's own memory.
bool tab_rect(HANDLE process, HWND tabs, int index, RECT &r) {
  void *remote = VirtualAllocEx(process, nullptr, sizeof r, MEM_COMMIT, PAGE_READWRITE);
  if (!remote) return false;
  bool ok = SendMessageA(tabs, TCM_GETITEMRECT, index, reinterpret_cast<LPARAM>(remote)) &&
            ReadProcessMemory(process, remote, &r, sizeof r, nullptr);
  VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  return ok;
}

void click_tab(HANDLE process, HWND tabs, int index) {
  RECT r{};
  ASSERT_TRUE(tab_rect(process, tabs, index, r));
  LPARAM point = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  PostMessageA(tabs, WM_LBUTTONDOWN, MK_LBUTTON, point);
  PostMessageA(tabs, WM_LBUTTONUP, 0, point);
}

}  // namespace

class MainWindow : public ::testing::Test {
protected:
  static started_program *tool;
  static HWND main;

  static void SetUpTestSuite() {
    make_empty_folder(folder());
    write_file(in_folder("page.html"), sample_page);
    write_file(in_folder("help.html"), "<html><body>help</body></html>");
    write_file(in_folder("existing.qtest"), "keep me");
    unregister_recorder();
    register_recorder();
    tool = new started_program;
    // Started from the scratch folder: help is looked for there.
    if (tool->start(bin_folder() + "\\kwop.exe", "\"" + in_folder("page.html") + "\"", folder()))
      main = wait_for_window(tool->pid(), "TkrynWOP1", nullptr, 30000);
    // Shown is not yet answering: on a loaded machine the program may still
    // be starting up before its message loop runs.
    if (main) wait_until([] { return !window_text(main).empty(); }, 30000);
  }
  static void TearDownTestSuite() {
    delete tool;
    tool = nullptr;
    unregister_recorder();
  }
  void SetUp() override { ASSERT_NE(main, nullptr) << "the main window did not appear"; }

  HWND control(int control_id) { return find_control(main, control_id); }
  void type(int control_id, const std::string &text) { set_text(control(control_id), text); }
  std::string box() {
    message_box shown;
    take_message_box(tool->pid(), "Quenby 1.0", 60000, shown);
    return shown.text;
  }
  bool no_box_within(int milliseconds) {
    return wait_for_window(tool->pid(), "#32770", nullptr, milliseconds) == nullptr;
  }
  void set_same_as_source(bool checked) {
    HWND check = control(id::CheckBox1);
    bool now = SendMessageA(check, BM_GETCHECK, 0, 0) == BST_CHECKED;
    if (now != checked) click(check);
    ASSERT_TRUE(wait_until([&] { return is_enabled(control(id::Edit2)) == !checked; }, 5000));
  }
};

started_program *MainWindow::tool = nullptr;
HWND MainWindow::main = nullptr;

TEST_F(MainWindow, OpensWithTheFileArgumentAndItsInitialState) {
  EXPECT_EQ(window_text(main), "Quenby 1.0");
  EXPECT_EQ(window_text(control(id::Edit1)), in_folder("page.html"));
  EXPECT_EQ(SendMessageA(control(id::CheckBox1), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(window_text(control(id::CheckBox1)), "Same as source");
  for (int disabled : {id::Edit2, id::Button2, id::Button5}) EXPECT_FALSE(is_enabled(control(disabled))) << disabled;
  EXPECT_TRUE(is_enabled(control(id::Button3)));
  EXPECT_EQ(window_text(control(id::Button3)), "Create or remake TOC");
  EXPECT_FALSE(is_visible_flag(control(id::ProgressBar1)));
  EXPECT_TRUE(is_visible_flag(control(id::Panel1)));
  EXPECT_FALSE(is_visible_flag(control(id::Panel2)));
  EXPECT_EQ(SendMessageA(control(id::TabControl1), TCM_GETCURSEL, 0, 0), 0);

  // Sized from the run button and centred on the screen.
  RECT window, button, panel;
  GetWindowRect(main, &window);
  GetWindowRect(control(id::Button3), &button);
  GetWindowRect(control(id::Panel1), &panel);
  EXPECT_EQ(window.right - window.left, button.right - panel.left + 26);
  EXPECT_EQ(window.bottom - window.top, button.bottom - panel.top + 115);
  int screen_w = GetSystemMetrics(SM_CXSCREEN), screen_h = GetSystemMetrics(SM_CYSCREEN);
  EXPECT_EQ(window.left, (screen_w - (window.right - window.left)) / 2);
  EXPECT_EQ(window.top, (screen_h - (window.bottom - window.top)) / 2);
  // Nothing of the page sticks out of the window.
  EXPECT_LE(button.right, window.right);
  EXPECT_LE(button.bottom, window.bottom);
  screenshot(main, "main_window_single_file");
}

TEST_F(MainWindow, AnEmptySourceIsRefusedAloneEvenWithSameAsSource) {
  type(id::Edit1, "");
  click(control(id::Button3));
  EXPECT_EQ(box(), "Source file must be specified");
  EXPECT_TRUE(no_box_within(1000));
}

TEST_F(MainWindow, UntickingSameAsSourceAsksForADestinationAndTickingIgnoresIt) {
  set_same_as_source(false);
  EXPECT_TRUE(is_enabled(control(id::Button2)));
  type(id::Edit1, in_folder("page.html"));
  type(id::Edit2, "");
  click(control(id::Button3));
  EXPECT_EQ(box(), "Destination file must be specified");
  set_same_as_source(true);
  EXPECT_FALSE(is_enabled(control(id::Button2)));
  EXPECT_FALSE(is_enabled(control(id::Edit2)));
}

TEST_F(MainWindow, AMissingSourceShowsTheJobsOwnText) {
  std::string missing = in_folder("no such page.html");
  type(id::Edit1, missing);
  click(control(id::Button3));
  std::string text = box();
  EXPECT_EQ(text.compare(0, 24, "Can't open source file: "), 0) << text;
  EXPECT_NE(text.find(missing), std::string::npos) << text;
  EXPECT_FALSE(is_enabled(control(id::Button5)));
  EXPECT_FALSE(is_visible_flag(control(id::ProgressBar1)));
}

TEST_F(MainWindow, CtrlRDoesNothingBeforeTheFirstSuccess) {
  // The last attempt's destination exists, so an enabled item would open it.
  set_same_as_source(false);
  type(id::Edit1, in_folder("no such page.html"));
  type(id::Edit2, in_folder("existing.qtest"));
  click(control(id::Button3));
  box();
  DeleteFileA(marker().c_str());
  press_key(main, 'R', true);
  EXPECT_EQ(opened_file(2500), "");
}

TEST_F(MainWindow, CtrlTWritesWhatTheCommandLineToolWritesForTheSameStamp) {
  set_same_as_source(false);
  std::string destination = in_folder("out.qtest");
  type(id::Edit1, in_folder("page.html"));
  type(id::Edit2, destination);
  press_key(main, 'T', true);
  EXPECT_EQ(box(), "HTML TOC is created");
  EXPECT_TRUE(is_enabled(control(id::Button5)));
  EXPECT_FALSE(is_visible_flag(control(id::ProgressBar1)));

  std::string written, source, expected, stamp;
  ASSERT_TRUE(read_bytes(destination, written));
  ASSERT_TRUE(read_bytes(in_folder("page.html"), source));
  EXPECT_EQ(source, sample_page);   // the source is not touched
  ASSERT_TRUE(stamp_of(written, stamp)) << written;
  ASSERT_TRUE(command_line_result(in_folder("page.html"), stamp, expected));
  EXPECT_EQ(written, expected);
  EXPECT_EQ(count_of(written, "<!--KRYN_HTML_TOC_START-->"), 1u);
}

TEST_F(MainWindow, CtrlRAndViewResultFileOpenTheLastDestination) {
  DeleteFileA(marker().c_str());
  press_key(main, 'R', true);
  EXPECT_EQ(opened_file(15000), in_folder("out.qtest"));
  click(control(id::Button5));
  EXPECT_EQ(opened_file(15000), in_folder("out.qtest"));
}

TEST_F(MainWindow, AFailedRunKeepsViewOnTheFileTheLastSuccessWrote) {
  type(id::Edit1, in_folder("no such page.html"));
  type(id::Edit2, in_folder("existing.qtest"));
  click(control(id::Button3));
  EXPECT_EQ(box().compare(0, 24, "Can't open source file: "), 0);
  EXPECT_TRUE(is_enabled(control(id::Button5)));
  click(control(id::Button5));
  EXPECT_EQ(opened_file(15000), in_folder("out.qtest"));
}

TEST_F(MainWindow, ASourceNamedWithoutAFolderIsThePageInTheStartFolder) {
  set_same_as_source(true);
  ASSERT_TRUE(write_file(in_folder("users.html"), sample_page));
  type(id::Edit1, "users.html");
  click(control(id::Button3));
  EXPECT_EQ(box(), "HTML TOC is created");
  std::string written;
  ASSERT_TRUE(read_bytes(in_folder("users.html"), written));
  EXPECT_EQ(count_of(written, "<!--KRYN_HTML_TOC_START-->"), 1u);
}

// The context menu hands over a name no single-byte code page holds; the
// tool asks for UTF-8 as its code page, so its calls take the name whole.
TEST_F(MainWindow, APageNamedBeyondTheCodePageIsMade) {
  const std::wstring page = wide(in_folder("")) + L"\u0141\u00f3d\u017a notes.html";
  ASSERT_TRUE(write_file(page, sample_page));
  started_program clicked;
  ASSERT_TRUE(clicked.start(L"\"" + wide(bin_folder()) + L"\\kwop.exe\" \"" + page + L"\"", wide(folder())));
  HWND window = wait_for_window(clicked.pid(), "TkrynWOP1", nullptr, 30000);
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(wait_until([&] { return !window_text(window).empty(); }, 30000));
  click(find_control(window, id::Button3));
  message_box shown;
  EXPECT_TRUE(take_message_box(clicked.pid(), "Quenby 1.0", 60000, shown));
  EXPECT_EQ(shown.text, "HTML TOC is created");
  PostMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_TRUE(clicked.wait_for_exit(20000));
  std::string written;
  ASSERT_TRUE(read_bytes(page, written));
  EXPECT_EQ(count_of(written, "<!--KRYN_HTML_TOC_START-->"), 1u);
}

// A page at the parser's limit is refused before a byte of it is read: the
// bar never moves. A legal page just below the limit is made while the bar
// moves, without the window being painted again for every chunk read.
TEST_F(MainWindow, PagesNearTheSizeLimit) {
  set_same_as_source(true);
  const std::string too_large = in_folder("too large.html");
  ASSERT_TRUE(write_file(too_large, std::string(4194304, 'x')));
  const int before = progress_position(main, id::ProgressBar1);
  type(id::Edit1, too_large);
  click(control(id::Button3));
  EXPECT_EQ(box(), "Memory error occured\r\n");
  EXPECT_EQ(progress_position(main, id::ProgressBar1), before);

  std::string large = "<html><body>\r\n";
  for (int n = 0; large.size() < 4100000; ++n)
    large += "<h2>Section " + std::to_string(n) + "</h2>\r\n<p>" + std::string(2000, 'w') + "</p>\r\n";
  large += "</body></html>\r\n";
  ASSERT_LT(large.size(), 4194304u);
  const std::string legal = in_folder("large.html");
  ASSERT_TRUE(write_file(legal, large));
  type(id::Edit1, legal);
  const DWORD started = GetTickCount();
  click(control(id::Button3));
  EXPECT_EQ(box(), "HTML TOC is created");
  const DWORD window_time = GetTickCount() - started;
  EXPECT_EQ(progress_position(main, id::ProgressBar1), 100);
  // Against the command line on the same page, its start included: painted
  // whole for every chunk, the window took six to twelve times as long.
  const DWORD cli_started = GetTickCount();
  std::string ignored;
  ASSERT_TRUE(write_file(in_folder("large original.html"), large));
  ASSERT_TRUE(command_line_result(in_folder("large original.html"), "9", ignored));
  EXPECT_LT(window_time, 1000 + 5 * (GetTickCount() - cli_started));
}

// What the shell cannot open is named, instead of nothing happening.
TEST_F(MainWindow, WhatCannotBeOpenedIsNamed) {
  set_same_as_source(false);
  const std::string result = in_folder("result.qnone");   // a type nothing opens
  type(id::Edit1, in_folder("page.html"));
  type(id::Edit2, result);
  click(control(id::Button3));
  EXPECT_EQ(box(), "HTML TOC is created");
  click(control(id::Button5));
  EXPECT_EQ(box(), "Can't open result file: " + result);

  set_registry_text(HKEY_CLASSES_ROOT, "http\\shell\\open\\command", "",
                    "\"" + in_folder("no browser.exe") + "\" \"%1\"");
  command(main, id::VendorSite2);
  EXPECT_EQ(box(), "Can't open web page: http://www.krynsoft.com?r=wop");
  command(main, id::Pellory1);
  EXPECT_EQ(box(), "Can't open web page: http://www.krynsoft.com/pellory/?r=wop");
  set_registry_text(HKEY_CLASSES_ROOT, "http\\shell\\open\\command", "", recorder_command());
  set_same_as_source(true);
}

TEST_F(MainWindow, SameAsSourceRewritesTheSourceAndASecondRunRemakesTheBlock) {
  set_same_as_source(true);
  std::string page = in_folder("in place.html");
  ASSERT_TRUE(write_file(page, sample_page));
  type(id::Edit1, page);
  type(id::Edit2, in_folder("ignored.html"));
  click(control(id::Button3));
  EXPECT_EQ(box(), "HTML TOC is created");
  EXPECT_EQ(GetFileAttributesA(in_folder("ignored.html").c_str()), INVALID_FILE_ATTRIBUTES);

  std::string first, second, stamp, expected;
  ASSERT_TRUE(read_bytes(page, first));
  ASSERT_TRUE(stamp_of(first, stamp));
  ASSERT_TRUE(write_file(in_folder("original.html"), sample_page));
  ASSERT_TRUE(command_line_result(in_folder("original.html"), stamp, expected));
  EXPECT_EQ(first, expected);

  click(control(id::Button3));
  EXPECT_EQ(box(), "HTML TOC is created");
  ASSERT_TRUE(read_bytes(page, second));
  EXPECT_EQ(count_of(second, "<!--KRYN_HTML_TOC_START-->"), 1u);
  EXPECT_EQ(count_of(second, "<!--KRYN_HTML_TOC_END-->"), 1u);
  ASSERT_TRUE(write_file(in_folder("once.html"), first));
  ASSERT_TRUE(command_line_result(in_folder("once.html"), stamp, expected));
  EXPECT_EQ(second, expected);
}

TEST_F(MainWindow, TheAdvancedOptionsTabByMenuAndByClick) {
  HWND tabs = control(id::TabControl1);
  // The page that shows and the tab that is selected, once the handler is through.
  auto showing = [&](int page) {
    return wait_until(
        [&] {
          return is_visible_flag(control(id::Panel1)) == (page == 0) &&
                 is_visible_flag(control(id::Panel2)) == (page == 1) &&
                 SendMessageA(tabs, TCM_GETCURSEL, 0, 0) == page;
        },
        5000);
  };
  command(main, id::MultipleFiles1);
  EXPECT_TRUE(showing(1));
  EXPECT_EQ(window_text(control(id::Label10)), "All advanced options are implemented in Pellory.");
  EXPECT_EQ(window_text(control(id::Button4)), "Visit Pellory Home Page");
  screenshot(main, "main_window_advanced_options");

  click_tab(tool->handle(), tabs, 0);
  EXPECT_TRUE(showing(0));
  click_tab(tool->handle(), tabs, 1);
  EXPECT_TRUE(showing(1));
  command(main, id::SingleFile1);
  EXPECT_TRUE(showing(0));
}

TEST_F(MainWindow, F1OpensHelpFromTheFolderTheToolStartedIn) {
  DeleteFileA(marker().c_str());
  press_key(main, VK_F1, false);
  EXPECT_EQ(opened_file(15000), in_folder("help.html"));
}

// Started from the context menu, the tool's folder is the page's: help is
// then found beside the program, and where it is missing there too, its
// place is named.
TEST_F(MainWindow, F1OpensHelpBesideTheProgramWhereTheStartFolderHasNone) {
  const std::string installed = in_folder("installed");
  const std::string pages = in_folder("pages");
  ASSERT_TRUE(make_folders(installed));
  ASSERT_TRUE(make_folders(pages));
  for (const char *file : {"kwop.exe", "kr_px_regex.dll"})
    ASSERT_TRUE(CopyFileA((bin_folder() + "\\" + file).c_str(), (installed + "\\" + file).c_str(), FALSE));
  ASSERT_TRUE(write_file(installed + "\\help.html", "<html><body>help</body></html>"));
  ASSERT_TRUE(write_file(pages + "\\page.html", sample_page));

  started_program clicked;
  ASSERT_TRUE(clicked.start(installed + "\\kwop.exe", "\"" + pages + "\\page.html\"", pages));
  HWND window = wait_for_window(clicked.pid(), "TkrynWOP1", nullptr, 30000);
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(wait_until([&] { return !window_text(window).empty(); }, 30000));
  DeleteFileA(marker().c_str());
  press_key(window, VK_F1, false);
  EXPECT_EQ(opened_file(15000), installed + "\\help.html");

  DeleteFileA((installed + "\\help.html").c_str());
  press_key(window, VK_F1, false);
  message_box shown;
  EXPECT_TRUE(take_message_box(clicked.pid(), "Quenby 1.0", 30000, shown));
  EXPECT_EQ(shown.text, "Can't open help file: " + installed + "\\help.html");
  PostMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_TRUE(clicked.wait_for_exit(20000));
}

TEST_F(MainWindow, TheWebPagesOpenThroughTheShell) {
  DeleteFileA(marker().c_str());
  command(main, id::Pellory1);
  EXPECT_EQ(opened_file(15000), "http://www.krynsoft.com/pellory/?r=wop");
  command(main, id::VendorSite2);
  EXPECT_EQ(opened_file(15000), "http://www.krynsoft.com?r=wop");
  command(main, id::MultipleFiles1);
  ASSERT_TRUE(wait_until([&] { return is_visible_flag(control(id::Panel2)); }, 5000));
  click(control(id::Button4));
  EXPECT_EQ(opened_file(15000), "http://www.krynsoft.com/pellory/?r=wop");
  command(main, id::SingleFile1);
}

TEST_F(MainWindow, TheAboutBoxOpensModallyAndClosesWithOKOrEnter) {
  command(main, id::About1);
  HWND about = wait_for_window(tool->pid(), "TAboutBox", nullptr, 10000);
  ASSERT_NE(about, nullptr);
  EXPECT_EQ(window_text(about), "About");
  EXPECT_FALSE(is_enabled(main));
  EXPECT_EQ(GetWindow(about, GW_OWNER), main);
  EXPECT_EQ(window_text(find_control(about, AboutBox_ids::ProductName)), "Quenby");
  EXPECT_EQ(window_text(find_control(about, AboutBox_ids::Version)), "Version 1.0");
  EXPECT_EQ(window_text(find_control(about, AboutBox_ids::OKButton)), "OK");
  RECT client;
  GetClientRect(about, &client);
  EXPECT_EQ(client.right, MulDiv(298, GetDeviceCaps(GetDC(nullptr), LOGPIXELSX), 96));
  screenshot(about, "about_box");

  click(find_control(about, AboutBox_ids::OKButton));
  EXPECT_TRUE(wait_until([&] { return !IsWindowVisible(about); }, 5000));
  EXPECT_TRUE(wait_until([&] { return is_enabled(main); }, 5000));

  // The same box again; OK is the default button.
  command(main, id::About1);
  ASSERT_TRUE(wait_until([&] { return IsWindowVisible(about) != 0; }, 10000));
  press_key(about, VK_RETURN, false);
  EXPECT_TRUE(wait_until([&] { return !IsWindowVisible(about); }, 5000));
  EXPECT_TRUE(wait_until([&] { return is_enabled(main); }, 5000));
}

namespace {

// The file-name field of a common file dialog: the explorer dialog's combo
// box, or the edit field of the older layout.
HWND file_name_field(HWND dialog) {
  HWND field = find_control(dialog, 0x47C);
  return field ? field : find_control(dialog, 0x480);
}

}  // namespace

TEST_F(MainWindow, SelectAndSaveAsUseTheSystemsFileDialogs) {
  type(id::Edit1, "unchanged");
  click(control(id::Button1));
  HWND open = wait_for_window(tool->pid(), "#32770", "Open", 15000);
  ASSERT_NE(open, nullptr);
  EXPECT_EQ(window_text(find_control(open, 0x470)), "HTML Files (*.htm;*.html;*.shtml)");
  EXPECT_EQ(window_text(file_name_field(open)), "");   // the edit field's text is not passed
  PostMessageA(open, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(wait_until([&] { return !IsWindow(open); }, 10000));
  EXPECT_EQ(window_text(control(id::Edit1)), "unchanged");

  click(control(id::Button1));
  open = wait_for_window(tool->pid(), "#32770", "Open", 15000);
  ASSERT_NE(open, nullptr);
  set_text(file_name_field(open), in_folder("page.html"));
  PostMessageA(open, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(wait_until([&] { return !IsWindow(open); }, 10000));
  EXPECT_TRUE(wait_until([&] { return window_text(control(id::Edit1)) == in_folder("page.html"); }, 5000))
      << window_text(control(id::Edit1));

  // Saving over an existing file asks first.
  set_same_as_source(false);
  type(id::Edit2, "");
  click(control(id::Button2));
  HWND save = wait_for_window(tool->pid(), "#32770", "Save As", 15000);
  ASSERT_NE(save, nullptr);
  set_text(file_name_field(save), in_folder("existing.qtest"));
  PostMessageA(save, WM_COMMAND, IDOK, 0);
  HWND question = nullptr;
  EXPECT_TRUE(wait_until([&] { return (question = find_window(tool->pid(), "#32770", nullptr, true, save)) != nullptr; }, 10000));
  if (question) {
    PostMessageA(question, WM_COMMAND, IDYES, 0);
    wait_until([&] { return !IsWindow(question); }, 10000);
  }
  ASSERT_TRUE(wait_until([&] { return !IsWindow(save); }, 10000));
  EXPECT_TRUE(wait_until([&] { return window_text(control(id::Edit2)) == in_folder("existing.qtest"); }, 5000))
      << window_text(control(id::Edit2));
  std::string kept;
  ASSERT_TRUE(read_bytes(in_folder("existing.qtest"), kept));
  EXPECT_EQ(kept, "keep me");   // choosing a name writes nothing yet

  // A name typed without an extension is a page.
  click(control(id::Button2));
  save = wait_for_window(tool->pid(), "#32770", "Save As", 15000);
  ASSERT_NE(save, nullptr);
  set_text(file_name_field(save), in_folder("fresh"));
  PostMessageA(save, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(wait_until([&] { return !IsWindow(save); }, 10000));
  EXPECT_TRUE(wait_until([&] { return window_text(control(id::Edit2)) == in_folder("fresh.html"); }, 5000))
      << window_text(control(id::Edit2));
}

TEST_F(MainWindow, ExitEndsTheProgramWithZero) {
  command(main, id::Exit1);
  DWORD code = 1;
  EXPECT_TRUE(tool->wait_for_exit(20000, &code));
  EXPECT_EQ(code, 0u);
}
