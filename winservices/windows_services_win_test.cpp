// The Windows services against Wine's real registry, shell links and
// windows. Every key and file is made fresh under a name of this test and
// removed again.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <gtest/gtest.h>
#include <string>
#include "test_support/gui_driver_win32.h"
#include "test_support/scratch_folder.h"
#include "value/krhash.h"
#include "winservices/center_on_screen.h"
#include "winservices/file_dialogs.h"
#include "winservices/registry.h"
#include "winservices/shell.h"
#include "winservices/shell_link_reader.h"

namespace {

const char test_key[] = "Software\\QuenbyTest\\Services";

class Registry : public ::testing::Test {
protected:
  void SetUp() override {
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\QuenbyTest");
    ASSERT_TRUE(create_registry_key(HKEY_CURRENT_USER, krval(test_key)));
  }
  void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\QuenbyTest"); }

  void set_raw(const char *name, DWORD type, const void *data, DWORD size) {
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, test_key, 0, KEY_WRITE, &key), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE *>(data), size), ERROR_SUCCESS);
    RegCloseKey(key);
  }
  bool get_raw(const char *name, DWORD &type, std::string &data) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, test_key, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    char buffer[256];
    DWORD size = sizeof buffer;
    LONG r = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE *>(buffer), &size);
    RegCloseKey(key);
    if (r != ERROR_SUCCESS) return false;
    data.assign(buffer, size);
    return true;
  }
  static krval value_of(krhash &map, const char *name) {
    krval v;
    map.get(krval(name), v);
    return v;
  }
};

}  // namespace

TEST_F(Registry, ReadsEveryTypeByTheTable) {
  set_raw("sz", REG_SZ, "abc", 4);
  set_raw("expand", REG_EXPAND_SZ, "%TEMP%\\x", 9);
  set_raw("binary", REG_BINARY, "\x01\x00\x02", 3);
  DWORD all_ones = 0xFFFFFFFF;
  set_raw("dword", REG_DWORD, &all_ones, 4);
  set_raw("multi", REG_MULTI_SZ, "one\0two\0\0", 9);
  set_raw("none", REG_NONE, "zz", 2);
  set_raw("", REG_SZ, "default", 8);

  krhash values;
  for (const char *name : {"sz", "expand", "binary", "dword", "multi", "none", "", "missing"})
    values.set(krval(name), krval(7));
  ASSERT_TRUE(read_registry_values(HKEY_CURRENT_USER, krval(test_key), values));

  krval sz = value_of(values, "sz");
  EXPECT_EQ(sz.tag, KR_TEXT);
  EXPECT_EQ(sz.str(), "abc");
  EXPECT_EQ(value_of(values, "expand").str(), "%TEMP%\\x");   // not expanded
  EXPECT_EQ(value_of(values, "binary").str(), std::string("\x01\x00\x02", 3));
  krval dword = value_of(values, "dword");
  EXPECT_EQ(dword.tag, KR_INT);
  EXPECT_EQ(dword.as_int(), -1);
  EXPECT_EQ(value_of(values, "multi").str(), std::string("one\0two", 7));
  EXPECT_EQ(value_of(values, "none").tag, KR_TEXT);
  EXPECT_EQ(value_of(values, "none").str(), "");
  EXPECT_EQ(value_of(values, "").str(), "default");   // the key's unnamed value
  krval missing = value_of(values, "missing");
  EXPECT_EQ(missing.tag, KR_INT);                     // its default stays
  EXPECT_EQ(missing.as_int(), 7);
}

TEST_F(Registry, TextStoredWithoutItsZeroLosesNoCharacter) {
  set_raw("bare", REG_SZ, "xyz", 3);
  krhash values;
  values.set(krval("bare"), krval(""));
  ASSERT_TRUE(read_registry_values(HKEY_CURRENT_USER, krval(test_key), values));
  EXPECT_EQ(value_of(values, "bare").str(), "xyz");
}

TEST_F(Registry, WritesEveryTagAndReadsTextBackUnchanged) {
  krhash values;
  values.set(krval("text"), krval("C:\\Program Files\\KRYN\\WOP1"));
  values.set(krval("flag"), krval::flag(true));
  values.set(krval("number"), krval(-2));
  values.set(krval("real"), krval(1.5));
  values.set(krval("ref"), krval(static_cast<void *>(&values)));
  ASSERT_TRUE(write_registry_values(HKEY_CURRENT_USER, krval(test_key), values));

  DWORD type = 0;
  std::string data;
  ASSERT_TRUE(get_raw("text", type, data));
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  const char expected[] = "C:\\Program Files\\KRYN\\WOP1";
  EXPECT_EQ(data, std::string(expected, sizeof expected));   // with its zero
  ASSERT_TRUE(get_raw("flag", type, data));
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(data, std::string("\x01\x00\x00\x00", 4));
  ASSERT_TRUE(get_raw("number", type, data));
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(data, std::string("\xFE\xFF\xFF\xFF", 4));
  ASSERT_TRUE(get_raw("real", type, data));
  EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
  double back = 0;
  ASSERT_EQ(data.size(), 8u);
  memcpy(&back, data.data(), 8);
  EXPECT_EQ(back, 1.5);
  ASSERT_TRUE(get_raw("ref", type, data));
  EXPECT_EQ(type, static_cast<DWORD>(REG_NONE));
  EXPECT_EQ(data.size(), 0u);

  krhash read;
  read.set(krval("text"), krval(""));
  read.set(krval("flag"), krval(""));
  ASSERT_TRUE(read_registry_values(HKEY_CURRENT_USER, krval(test_key), read));
  EXPECT_EQ(value_of(read, "text").str(), "C:\\Program Files\\KRYN\\WOP1");
  EXPECT_EQ(value_of(read, "flag").as_int(), 1);
}

TEST_F(Registry, AMissingKeyIsNeitherReadNorWrittenNorCreatedByWriting) {
  krhash values;
  values.set(krval("inst_dir"), krval("default"));
  krval missing("Software\\QuenbyTest\\Services\\Nowhere");
  EXPECT_FALSE(read_registry_values(HKEY_CURRENT_USER, missing, values));
  EXPECT_EQ(value_of(values, "inst_dir").str(), "default");
  EXPECT_FALSE(write_registry_values(HKEY_CURRENT_USER, missing, values));
  HKEY key;
  EXPECT_NE(RegOpenKeyExA(HKEY_CURRENT_USER, missing.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
}

TEST_F(Registry, CreatingAKeyMakesItsParentsAndAcceptsAnExistingOne) {
  krval deep("Software\\QuenbyTest\\Services\\a\\b\\c");
  EXPECT_TRUE(create_registry_key(HKEY_CURRENT_USER, deep));
  EXPECT_TRUE(create_registry_key(HKEY_CURRENT_USER, deep));
  krhash values;
  values.set(krval("v"), krval("w"));
  EXPECT_TRUE(write_registry_values(HKEY_CURRENT_USER, deep, values));
}

namespace {

// The show command as saved in the link's header. Wine's loader does not
// restore it for GetShowCmd, so the file itself is read.
int saved_show_command(const std::string &file) {
  HANDLE h = CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return -1;
  unsigned char header[0x4C];
  DWORD got = 0;
  ReadFile(h, header, sizeof header, &got, nullptr);
  CloseHandle(h);
  if (got != sizeof header || header[0] != 0x4C) return -1;
  return header[0x3C] | header[0x3D] << 8 | header[0x3E] << 16 | header[0x3F] << 24;
}

}  // namespace

TEST(ShellLink, SavedShortcutReadsBackWithEveryField) {
  test_support::scratch_folder scratch{"quenby services"};
  const std::string folder = scratch.path().string();
  std::string file = folder + "\\Quenby 1.0.lnk";
  std::string target = gui_test::own_program();
  ASSERT_TRUE(create_shell_link(krval(file.c_str()), krval(target.c_str()), krval("\"page one.html\" x"),
                                krval(target.c_str()), krval(0), krval(SW_SHOWMINNOACTIVE),
                                krval(folder.c_str())));
  shell_link_info back;
  ASSERT_TRUE(read_shell_link(file, back));
  EXPECT_STREQ(back.target.c_str(), target.c_str());
  EXPECT_EQ(back.arguments, "\"page one.html\" x");
  EXPECT_STREQ(back.icon_path.c_str(), target.c_str());
  EXPECT_EQ(back.icon_index, 0);
  EXPECT_EQ(saved_show_command(file), SW_SHOWMINNOACTIVE);
  EXPECT_STREQ(back.working_dir.c_str(), folder.c_str());
}

TEST(ShellLink, EmptyArgumentsAndFolderAreLeftUnsetAndIndexIsReadAsAnInteger) {
  test_support::scratch_folder scratch{"quenby services"};
  const std::string folder = scratch.path().string();
  std::string file = folder + "\\plain.lnk";
  std::string target = gui_test::own_program();
  ASSERT_TRUE(create_shell_link(krval(file.c_str()), krval(target.c_str()), krval(""),
                                krval(target.c_str()), krval("3"), krval(SW_SHOWNORMAL), krval("")));
  shell_link_info back;
  ASSERT_TRUE(read_shell_link(file, back));
  EXPECT_EQ(back.arguments, "");
  EXPECT_EQ(back.working_dir, "");
  EXPECT_EQ(back.icon_index, 3);
  EXPECT_EQ(saved_show_command(file), SW_SHOWNORMAL);
}

TEST(ShellLink, AnUnwritableLinkFileIsAFailure) {
  std::string target = gui_test::own_program();
  EXPECT_FALSE(create_shell_link(krval("C:\\no such folder\\at all\\x.lnk"), krval(target.c_str()),
                                 krval(""), krval(target.c_str()), krval(0), krval(1), krval("")));
}

TEST(ShellOpen, ExecuteRunsTheProgramWithTheRestAsItsParameters) {
  test_support::scratch_folder scratch{"quenby services"};
  const std::string folder = scratch.path().string();
  std::string marker = folder + "\\made_by_execute.txt";
  // cmd.exe /c echo ... writes the marker, so the rest did reach the program.
  krval verb("execute");
  krval target(("cmd.exe /c echo ran> \"" + marker + "\"").c_str());
  ASSERT_TRUE(shell_open(verb, target));
  EXPECT_EQ(verb.str(), "open");
  EXPECT_EQ(target.str(), "cmd.exe");
  bool appeared = false;
  for (int i = 0; i < 100 && !appeared; ++i) {
    appeared = GetFileAttributesA(marker.c_str()) != INVALID_FILE_ATTRIBUTES;
    if (!appeared) Sleep(100);
  }
  EXPECT_TRUE(appeared);
  // cmd.exe may still hold the marker a moment: the folder can go once no one else has it open.
  for (int i = 0; i < 100; ++i) {
    HANDLE alone = CreateFileA(marker.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (alone != INVALID_HANDLE_VALUE) {
      CloseHandle(alone);
      break;
    }
    Sleep(100);
  }
}

TEST(ShellOpen, AMissingFileIsRefused) {
  krval verb("open");
  krval target("C:\\no such folder\\no such file.qz");
  EXPECT_FALSE(shell_open(verb, target));
  EXPECT_EQ(verb.str(), "open");   // only "execute" rewrites
}

TEST(StartFolder, OneTrailingBackslashGoesExceptAfterABareDrive) {
  struct { const char *in, *out; } cases[] = {
      {"C:\\", "C:\\"}, {"C:", "C:\\"}, {"C:\\Temp\\", "C:\\Temp"}, {"C:\\Temp", "C:\\Temp"},
      {"C:\\Temp\\\\", "C:\\Temp\\"}, {"", ""}, {"\\", ""}, {"ab\\", "ab"},
  };
  for (auto &c : cases) {
    krval folder(c.in);
    normalise_start_folder(folder);
    EXPECT_EQ(folder.str(), c.out) << c.in;
  }
}

TEST(FileDialogs, DefaultsOfBothDialogs) {
  win_open_save_dialog files;
  EXPECT_EQ(files.file_offset, -1);
  EXPECT_EQ(files.flags, 0x00080000u);
  EXPECT_TRUE(files.file_name.is_text() && files.file_name.empty());
  EXPECT_TRUE(files.filter.is_text() && files.filter.empty());
  files.add_overwrite_prompt();
  EXPECT_EQ(files.flags, 0x00080002u);
  win_dir_open_dialog folders;
  EXPECT_EQ(folders.flags, 0u);
  EXPECT_TRUE(folders.initial_folder.is_text());
  EXPECT_EQ(folders.owner, nullptr);
}

namespace {

LRESULT CALLBACK plain_procedure(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, m, wp, lp); }

HWND plain_window(int width, int height) {
  WNDCLASSA c{};
  c.lpfnWndProc = plain_procedure;
  c.hInstance = GetModuleHandleA(nullptr);
  c.lpszClassName = "QuenbyCentreTest";
  RegisterClassA(&c);
  return CreateWindowExA(0, "QuenbyCentreTest", "", WS_POPUP, 5, 7, width, height, nullptr, nullptr,
                         c.hInstance, nullptr);
}

}  // namespace

TEST(CenterOnScreen, SmallWindowsAreCentredAndLargeOnesPinnedToTheEdge) {
  int screen_w = GetSystemMetrics(SM_CXSCREEN);
  int screen_h = GetSystemMetrics(SM_CYSCREEN);
  HWND small = plain_window(301, 200);
  ASSERT_NE(small, nullptr);
  center_on_screen(small);
  RECT r;
  GetWindowRect(small, &r);
  EXPECT_EQ(r.left, (screen_w - 301) / 2);
  EXPECT_EQ(r.top, (screen_h - 200) / 2);
  EXPECT_EQ(r.right - r.left, 301);
  DestroyWindow(small);

  HWND wide = plain_window(screen_w + 100, 100);
  ASSERT_NE(wide, nullptr);
  center_on_screen(wide);
  GetWindowRect(wide, &r);
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, (screen_h - 100) / 2);
  DestroyWindow(wide);

  HWND tall = plain_window(100, screen_h + 1);
  center_on_screen(tall);
  GetWindowRect(tall, &r);
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(r.left, (screen_w - 100) / 2);
  DestroyWindow(tall);
}
