#include "app/gui_test_driver_win.h"

#include <cstdio>
#include <vector>

namespace gui_test {

std::string windows_path(const std::string &unix_path) {
  std::string path = "Z:" + unix_path;
  for (char &c : path)
    if (c == '/') c = '\\';
  return path;
}

std::string bin_folder() { return windows_path(QUENBY_BIN_DIR); }
std::string scratch_folder() { return windows_path(QUENBY_SCRATCH_DIR); }

std::string own_program() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return path;
}

bool write_file(const std::string &path, const std::string &bytes) {
  FILE *f = fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return fclose(f) == 0 && ok;
}

bool read_file(const std::string &path, std::string &bytes) {
  FILE *f = fopen(path.c_str(), "rb");
  if (!f) return false;
  bytes.clear();
  char buffer[65536];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
  fclose(f);
  return true;
}

void make_empty_folder(const std::string &path) {
  std::string pattern = path + "\\*";
  WIN32_FIND_DATAA found;
  HANDLE h = FindFirstFileA(pattern.c_str(), &found);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      std::string full = path + "\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        make_empty_folder(full);
        RemoveDirectoryA(full.c_str());
      } else {
        SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(full.c_str());
      }
    } while (FindNextFileA(h, &found));
    FindClose(h);
  }
  // Parents first, one level at a time.
  for (size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1))
    CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
  CreateDirectoryA(path.c_str(), nullptr);
}

bool program::start(const std::string &exe, const std::string &arguments, const std::string &folder) {
  std::string line = "\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments);
  std::vector<char> writable(line.begin(), line.end());
  writable.push_back(0);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  started = CreateProcessA(exe.c_str(), writable.data(), nullptr, nullptr, FALSE, 0, nullptr,
                           folder.empty() ? nullptr : folder.c_str(), &startup, &info) != 0;
  if (started) WaitForInputIdle(info.hProcess, 10000);
  return started;
}

program::~program() {
  if (!started) return;
  if (running()) kill();
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
}

bool program::running() const {
  return started && WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT;
}

bool program::wait_exit(int milliseconds, DWORD &code) {
  if (!started || WaitForSingleObject(info.hProcess, milliseconds) != WAIT_OBJECT_0) return false;
  return GetExitCodeProcess(info.hProcess, &code) != 0;
}

void program::kill() {
  TerminateProcess(info.hProcess, 99);
  WaitForSingleObject(info.hProcess, 5000);
}

namespace {

struct window_search {
  DWORD pid;
  const char *window_class;
  const char *caption;
  bool visible_only;
  HWND found;
};

BOOL CALLBACK match_window(HWND window, LPARAM data) {
  auto *s = reinterpret_cast<window_search *>(data);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid != s->pid) return TRUE;
  if (s->visible_only && !IsWindowVisible(window)) return TRUE;
  char name[256];
  if (s->window_class) {
    GetClassNameA(window, name, sizeof name);
    if (lstrcmpA(name, s->window_class) != 0) return TRUE;
  }
  if (s->caption) {
    GetWindowTextA(window, name, sizeof name);
    if (lstrcmpA(name, s->caption) != 0) return TRUE;
  }
  s->found = window;
  return FALSE;
}

struct control_search {
  int id;
  HWND found;
};

BOOL CALLBACK match_control(HWND window, LPARAM data) {
  auto *s = reinterpret_cast<control_search *>(data);
  if (GetDlgCtrlID(window) != s->id) return TRUE;
  s->found = window;
  return FALSE;
}

BOOL CALLBACK collect_texts(HWND window, LPARAM data) {
  char name[64];
  GetClassNameA(window, name, sizeof name);
  if (lstrcmpiA(name, "Static") == 0 && !(GetWindowLongA(window, GWL_STYLE) & SS_ICON)) {
    std::string text = text_of(window);
    if (!text.empty()) *reinterpret_cast<std::string *>(data) += text;
  }
  return TRUE;
}

}  // namespace

HWND wait_for_window(DWORD pid, const char *window_class, const char *caption, int milliseconds,
                     bool visible_only) {
  window_search s{pid, window_class, caption, visible_only, nullptr};
  wait_until(
      [&] {
        EnumWindows(match_window, reinterpret_cast<LPARAM>(&s));
        return s.found != nullptr;
      },
      milliseconds);
  return s.found;
}

bool has_any_window(DWORD pid) {
  window_search s{pid, nullptr, nullptr, false, nullptr};
  EnumWindows(match_window, reinterpret_cast<LPARAM>(&s));
  return s.found != nullptr;
}

HWND find_control(HWND top, int id) {
  control_search s{id, nullptr};
  EnumChildWindows(top, match_control, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

std::string text_of(HWND window) {
  char buffer[4096];
  DWORD_PTR got = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer),
                           SMTO_ABORTIFHUNG, 5000, &got))
    return "";
  return std::string(buffer, got);
}

void set_text(HWND window, const std::string &text) {
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG,
                      5000, &ignored);
}

bool is_enabled(HWND window) { return IsWindowEnabled(window) != 0; }

bool is_visible_flag(HWND window) { return (GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE) != 0; }

void click(HWND button) { PostMessageA(button, BM_CLICK, 0, 0); }

void command(HWND form, int id) { PostMessageA(form, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

void press_key(HWND form, WORD key, bool ctrl) {
  SetForegroundWindow(form);
  wait_until([&] { return GetForegroundWindow() == form; }, 2000);
  std::vector<INPUT> inputs;
  auto add = [&](WORD k, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = k;
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    inputs.push_back(in);
  };
  if (ctrl) add(VK_CONTROL, false);
  add(key, false);
  add(key, true);
  if (ctrl) add(VK_CONTROL, true);
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

message take_message_box(DWORD pid, const char *caption, int milliseconds) {
  message m;
  HWND box = wait_for_window(pid, "#32770", caption, milliseconds);
  if (!box) return m;
  m.found = true;
  m.has_owner = GetWindow(box, GW_OWNER) != nullptr;
  EnumChildWindows(box, collect_texts, reinterpret_cast<LPARAM>(&m.text));
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  wait_until([&] { return !IsWindow(box); }, 5000);
  return m;
}

void screenshot(HWND window, const std::string &name) {
  const char *requests = getenv("QUENBY_SCREENSHOT_REQUESTS");
  if (!requests || !*requests) return;
  // In front, and done painting, frame included.
  SetForegroundWindow(window);
  wait_until([&] { return GetForegroundWindow() == window; }, 2000);
  // Without a window manager the caption may keep the look of an inactive
  // window after the activation went back and forth; draw it as it stands.
  if (GetForegroundWindow() == window) SendMessageA(window, WM_NCACTIVATE, TRUE, 0);
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Sleep(700);
  RECT r;
  GetWindowRect(window, &r);
  std::string request = windows_path(requests) + "\\" + name + ".request";
  char geometry[64];
  snprintf(geometry, sizeof geometry, "%ldx%ld+%ld+%ld\n", r.right - r.left, r.bottom - r.top,
           r.left, r.top);
  write_file(request, geometry);
  // The helper deletes the request once the picture is taken.
  wait_until([&] { return GetFileAttributesA(request.c_str()) == INVALID_FILE_ATTRIBUTES; }, 20000);
}

}  // namespace gui_test
