// remove.exe, the uninstaller of the distribution. It refuses while the tool
// runs, asks once, removes what the installer made for the folder it was
// started from, tells what it could not remove, and lets a copy of itself
// delete the program file and the folder after it has ended.
#include <windows.h>
#include <string>
#include <vector>
#include "remove/path_text.h"
#include "remove/self_delete.h"
#include "remove/uninstall.h"
#include "product/installation_names.h"
#include "product/product.h"

namespace names = installation;

namespace {

int say(const std::string &text, UINT style) {
  return MessageBoxA(nullptr, text.c_str(), product_title, style | MB_SETFOREGROUND);
}

// The words of the command line, quotes removed; only the copy that finishes
// the removal gets any.
std::vector<std::string> arguments() {
  std::vector<std::string> words;
  const char *p = GetCommandLineA();
  bool first = true;
  while (*p) {
    while (*p == ' ' || *p == '\t') ++p;
    if (!*p) break;
    std::string word;
    bool quoted = false;
    for (; *p && (quoted || (*p != ' ' && *p != '\t')); ++p) {
      if (*p == '"') quoted = !quoted;
      else word += *p;
    }
    if (!first) words.push_back(word);
    first = false;
  }
  return words;
}

std::string own_path() {
  char buffer[MAX_PATH * 2];
  DWORD n = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
  return n > 0 && n < sizeof buffer ? std::string(buffer, n) : std::string();
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  std::vector<std::string> args = arguments();
  if (args.size() == 3 && args[0] == finish_switch) {
    int status = finish_self_deletion(args[1], args[2]);
    delete_at_restart(own_path());
    return status;
  }

  if (FindWindowA(main_window_class, nullptr)) {
    say(std::string("Before uninstalling you need to close running\r\n") + product_title,
        MB_OK | MB_ICONSTOP);
    return 1;
  }
  std::string program = own_path();
  installation_place place = find_installation(folder_of(program));
  if (place.kind == installation_kind::none) {
    std::string text = std::string(product_title) + " is not installed in " + place.folder +
                       ", so there is nothing to remove here.";
    if (!place.recorded_folder.empty())
      text += "\r\nIt is installed in " + place.recorded_folder +
              "; use the uninstaller in that folder.";
    say(text, MB_OK | MB_ICONEXCLAMATION);
    return 1;
  }
  if (say(std::string("Remove ") + product_title + " and all of its components?",
          MB_YESNO | MB_ICONQUESTION) != IDYES)
    return 0;

  uninstall_result result = remove_installation(place);
  bool scheduled = schedule_self_deletion(program);
  if (!scheduled) result.not_removed.push_back(program);
  say(closing_message(result, place.folder),
      result.not_removed.empty() ? MB_OK | MB_ICONINFORMATION : MB_OK | MB_ICONEXCLAMATION);
  return result.not_removed.empty() ? 0 : 1;
}
