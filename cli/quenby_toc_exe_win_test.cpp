// quenby-toc.exe as a user runs it at a command prompt: pages named relative
// to the current folder, wildcards the program expands itself, folders
// walked with -r whatever their pages are called, and names beyond the
// system's code page. QUENBY_TOC_EXE_DIR, where set, names the folder of the
// program to run (the unpacked zip), else the build's own is run.
#include <windows.h>
#include <gtest/gtest.h>
#include <cstdlib>
#include <string>
#include <vector>
#include "test_support/console_program_win32.h"
#include "test_support/gui_driver_win32.h"
#include "test_support/test_files_win32.h"

namespace {

const char page[] = "<html><body>\r\n<h1>One</h1>\r\n<h2>Two</h2>\r\n</body></html>\r\n";
const char toc_start[] = "<!--KRYN_HTML_TOC_START-->";

std::wstring program() {
  const char *unpacked = std::getenv("QUENBY_TOC_EXE_DIR");
  const std::string folder = unpacked && *unpacked ? unpacked : QUENBY_BIN_DIR;
  return wide("\"" + gui_test::windows_path(folder) + "\\quenby-toc.exe\"");
}

bool has_toc(const std::wstring &path) {
  std::string bytes;
  return read_bytes(path, bytes) && bytes.find(toc_start) != std::string::npos;
}

bool write_page(const std::wstring &path) { return write_file(path, page); }

class quenby_toc_exe : public ::testing::Test {
protected:
  std::wstring in_scratch(const std::wstring &name) { return wide(scratch.folder()) + name; }
  // The program in the scratch folder with the arguments as a shell passes them.
  console_run run(const std::wstring &arguments, const std::wstring &subfolder = L"") {
    return run_console_program(program() + L" " + arguments, in_scratch(subfolder));
  }
  scratch_folder scratch{"quenby cli"};
};

// A name without a folder, with '\' or '/' between folders, or leading up
// out of the current folder is one the program writes like any other: the
// new text is moved over the page by its whole path. A contents page made
// from such names links its pages with '/', as a browser wants.
TEST_F(quenby_toc_exe, writes_pages_named_relative_to_the_current_folder) {
  ASSERT_TRUE(CreateDirectoryW(in_scratch(L"sub").c_str(), nullptr));
  const struct {
    const wchar_t *arguments;
    const wchar_t *folder;   // where the run starts, below the scratch folder
    std::vector<const wchar_t *> written;
  } runs[] = {
      {L"page.html", L"", {L"page.html"}},
      {L"./page.html", L"", {L"page.html"}},
      {L".\\page.html", L"", {L"page.html"}},
      {L"sub/page.html", L"", {L"sub\\page.html"}},
      {L"sub\\page.html", L"", {L"sub\\page.html"}},
      {L"..\\page.html", L"sub", {L"page.html"}},
      {L"-r sub", L"", {L"sub\\page.html"}},
      {L"-r .", L"", {L"page.html", L"sub\\page.html", L"out.html"}},
      {L"-r ..", L"sub", {L"page.html", L"sub\\page.html", L"out.html"}},
      {L"-o out.html page.html", L"", {L"out.html"}},
      {L"--index ..\\contents.html ..\\page.html page.html", L"sub",
       {L"page.html", L"sub\\page.html", L"contents.html"}},
  };
  for (const auto &r : runs) {
    for (const wchar_t *name : {L"page.html", L"sub\\page.html", L"out.html"})
      ASSERT_TRUE(write_page(in_scratch(name)));
    DeleteFileW(in_scratch(L"contents.html").c_str());
    console_run done = run(std::wstring(L"--quiet ") + r.arguments, r.folder);
    const std::string shown = utf8(r.arguments);
    ASSERT_TRUE(done.started);
    EXPECT_EQ(done.exit_code, 0u) << shown << ": " << done.output;
    EXPECT_EQ(done.output, "") << shown;
    for (const wchar_t *name : r.written) EXPECT_TRUE(has_toc(in_scratch(name))) << shown << ": " << utf8(name);
  }
  std::string contents;
  ASSERT_TRUE(read_bytes(in_scratch(L"contents.html"), contents));
  EXPECT_NE(contents.find("href=\"page.html"), std::string::npos) << contents;
  EXPECT_NE(contents.find("href=\"sub/page.html"), std::string::npos) << contents;
}

// As typed at a command prompt, which hands the patterns over unexpanded:
// those of FILEs stand for the files that match, those of options stay.
TEST_F(quenby_toc_exe, expands_wildcards_in_file_arguments) {
  ASSERT_TRUE(CreateDirectoryW(in_scratch(L"sub").c_str(), nullptr));
  for (const wchar_t *name : {L"a.html", L"b.html", L"c.htm", L"sub\\d.htm", L"sub\\e.html"})
    ASSERT_TRUE(write_page(in_scratch(name)));
  console_run done = run(L"--quiet *.html");
  EXPECT_EQ(done.exit_code, 0u) << done.output;
  EXPECT_TRUE(has_toc(in_scratch(L"a.html")));
  EXPECT_TRUE(has_toc(in_scratch(L"b.html")));
  EXPECT_FALSE(has_toc(in_scratch(L"c.htm")));

  done = run(L"--quiet -r s?b --include *.htm");
  EXPECT_EQ(done.exit_code, 0u) << done.output;
  EXPECT_TRUE(has_toc(in_scratch(L"sub\\d.htm")));
  EXPECT_FALSE(has_toc(in_scratch(L"sub\\e.html")));
  EXPECT_FALSE(has_toc(in_scratch(L"c.htm")));

  // A pattern that matches nothing stays a name.
  done = run(L"--quiet none*.html");
  EXPECT_EQ(done.exit_code, 2u);
  EXPECT_NE(done.output.find("none*.html: no such file"), std::string::npos) << done.output;
}

// The pages -r finds are opened, whatever their names hold, and shown with
// the system's separator.
TEST_F(quenby_toc_exe, walks_folders_whose_pages_have_accented_names) {
  ASSERT_TRUE(CreateDirectoryW(in_scratch(L"accent").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW(in_scratch(L"accent\\sub").c_str(), nullptr));
  const std::wstring cafe = in_scratch(L"accent\\caf\u00e9.html");
  ASSERT_TRUE(write_page(cafe));
  ASSERT_TRUE(write_page(in_scratch(L"accent\\sub\\page.html")));

  console_run checked = run(L"--check -r accent");
  EXPECT_EQ(checked.exit_code, 1u) << checked.output;
  EXPECT_NE(checked.output.find("accent\\sub\\page.html: would change"), std::string::npos) << checked.output;
  EXPECT_EQ(checked.output.find('/'), std::string::npos) << checked.output;

  console_run done = run(L"--quiet -r \"" + in_scratch(L"accent") + L"\"");
  EXPECT_EQ(done.exit_code, 0u) << done.output;
  EXPECT_EQ(done.output, "");
  EXPECT_TRUE(has_toc(cafe));
  EXPECT_TRUE(has_toc(in_scratch(L"accent\\sub\\page.html")));
}

// A name no single-byte code page holds, as the shell hands it over.
TEST_F(quenby_toc_exe, takes_a_name_beyond_the_code_page) {
  const std::wstring name = L"\u0141\u00f3d\u017a notes.html";
  ASSERT_TRUE(write_page(in_scratch(name)));
  console_run done = run(L"--quiet \"" + name + L"\"");
  EXPECT_EQ(done.exit_code, 0u) << done.output;
  EXPECT_TRUE(has_toc(in_scratch(name)));
}

}  // namespace
