// The GUI tests' program. Started with --record MARKER FILE it is instead the
// stand-in that the shell runs for a file type the tests register: it writes
// FILE into MARKER, so a test sees what the window asked the shell to open.
#include <windows.h>
#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include "test_support/test_files_win32.h"

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

}  // namespace

int main(int argc, char **argv) {
  if (argc >= 4 && std::strcmp(argv[1], "--record") == 0) {
    return write_file(argv[2], argv[3]) ? 0 : 1;
  }
  let_wine_draw_the_frames();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
