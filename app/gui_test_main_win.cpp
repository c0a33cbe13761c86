// The GUI tests' program. Started with --record MARKER FILE it is instead the
// stand-in that the shell runs for a file type the tests register: it writes
// FILE into MARKER, so a test sees what the window asked the shell to open.
#include <windows.h>
#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include "app/gui_test_driver_win.h"

namespace {

// Without a window manager on the test display, Wine draws the frames and
// captions of the program's windows itself only when told so; the
// screenshots then show the windows whole. A Wine setting; Windows ignores it.
void let_wine_draw_the_frames() {
  for (const char *program : {"kwop.exe", "setup.exe"}) {
    std::string key = std::string("Software\\Wine\\AppDefaults\\") + program + "\\X11 Driver";
    HKEY k;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr) !=
        ERROR_SUCCESS)
      continue;
    RegSetValueExA(k, "Decorated", 0, REG_SZ, reinterpret_cast<const BYTE *>("N"), 2);
    RegCloseKey(k);
  }
}

// Wine keeps its own faces (the dialog face Tahoma, Marlett for the caption
// buttons) in its data folder, and some packagings never put them where a
// prefix's programs find them; the windows then fall back to whatever face
// matches first. Copies them into the prefix's Fonts folder when absent.
void give_wine_its_own_fonts() {
  const char source[] = "Z:\\usr\\share\\wine\\fonts\\";
  char windows[MAX_PATH];
  if (!GetWindowsDirectoryA(windows, MAX_PATH)) return;
  std::string fonts = std::string(windows) + "\\Fonts\\";
  if (GetFileAttributesA((fonts + "marlett.ttf").c_str()) != INVALID_FILE_ATTRIBUTES) return;
  CreateDirectoryA(fonts.c_str(), nullptr);
  WIN32_FIND_DATAA found;
  HANDLE h = FindFirstFileA((std::string(source) + "*.ttf").c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    CopyFileA((std::string(source) + found.cFileName).c_str(), (fonts + found.cFileName).c_str(), TRUE);
  } while (FindNextFileA(h, &found));
  FindClose(h);
}

}  // namespace

int main(int argc, char **argv) {
  if (argc >= 4 && std::strcmp(argv[1], "--record") == 0) {
    return gui_test::write_file(argv[2], argv[3]) ? 0 : 1;
  }
  let_wine_draw_the_frames();
  give_wine_its_own_fonts();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
