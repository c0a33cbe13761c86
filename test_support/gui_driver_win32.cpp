#include "test_support/gui_driver_win32.h"

#include <commctrl.h>
#include <cstdint>
#include "test_support/png_file.h"

namespace gui_test {

std::string windows_path(const std::string &unix_path) {
  std::string path = "Z:" + unix_path;
  for (char &c : path)
    if (c == '/') c = '\\';
  return path;
}

std::string own_program() {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  return std::string(path, n);
}

started_program::~started_program() {
  if (process.hProcess) {
    if (running()) kill();
    CloseHandle(process.hProcess);
  }
  if (process.hThread) CloseHandle(process.hThread);
}

bool started_program::start(const std::string &program, const std::string &arguments,
                            const std::string &folder) {
  std::string line = "\"" + program + "\"" + (arguments.empty() ? "" : " " + arguments);
  return start_line(program.c_str(), line, folder);
}

bool started_program::start(const std::string &command_line, const std::string &folder) {
  return start_line(nullptr, command_line, folder);
}

bool started_program::start(const std::wstring &command_line, const std::wstring &folder) {
  if (process.hProcess) return false;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  std::wstring line = command_line;
  if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                      folder.empty() ? nullptr : folder.c_str(), &startup, &process)) {
    process = PROCESS_INFORMATION{};
    return false;
  }
  WaitForInputIdle(process.hProcess, 10000);
  return true;
}

bool started_program::start_line(const char *program, std::string line, const std::string &folder) {
  if (process.hProcess) return false;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  if (!CreateProcessA(program, &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                      folder.empty() ? nullptr : folder.c_str(), &startup, &process)) {
    process = PROCESS_INFORMATION{};
    return false;
  }
  WaitForInputIdle(process.hProcess, 10000);
  return true;
}

bool started_program::wait_for_exit(DWORD milliseconds, DWORD *code) {
  if (!process.hProcess) return false;
  if (WaitForSingleObject(process.hProcess, milliseconds) != WAIT_OBJECT_0) return false;
  if (code) GetExitCodeProcess(process.hProcess, code);
  return true;
}

bool started_program::running() const {
  return process.hProcess && WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT;
}

void started_program::kill() {
  if (!process.hProcess) return;
  TerminateProcess(process.hProcess, 99);
  WaitForSingleObject(process.hProcess, 5000);
}

void pump_messages(DWORD milliseconds) {
  DWORD start = GetTickCount();
  do {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    Sleep(10);
  } while (GetTickCount() - start < milliseconds);
}

namespace {

bool class_is(HWND window, const char *name) {
  char buffer[256];
  return GetClassNameA(window, buffer, sizeof buffer) > 0 && lstrcmpiA(buffer, name) == 0;
}

struct window_search {
  DWORD process_id;
  const char *window_class;
  const char *caption;
  bool visible_only;
  HWND besides;
  HWND found;
};

BOOL CALLBACK match_top_level(HWND window, LPARAM context) {
  auto *search = reinterpret_cast<window_search *>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (search->process_id && owner != search->process_id) return TRUE;
  if (window == search->besides) return TRUE;
  if (search->visible_only && !IsWindowVisible(window)) return TRUE;
  if (search->window_class && !class_is(window, search->window_class)) return TRUE;
  if (search->caption) {
    char caption[256];
    GetWindowTextA(window, caption, sizeof caption);
    if (lstrcmpA(caption, search->caption) != 0) return TRUE;
  }
  search->found = window;
  return FALSE;
}

struct id_search {
  int id;
  HWND found;
};

BOOL CALLBACK match_id(HWND window, LPARAM context) {
  auto *search = reinterpret_cast<id_search *>(context);
  if (GetDlgCtrlID(window) != search->id) return TRUE;
  search->found = window;
  return FALSE;
}

// A message box's buttons, its icon, and its text: the texts of its static
// controls that are not the icon.
BOOL CALLBACK read_box_child(HWND window, LPARAM context) {
  message_box &box = *reinterpret_cast<message_box *>(context);
  if (class_is(window, "Button")) {
    box.buttons.push_back(GetDlgCtrlID(window));
  } else if (class_is(window, "Static")) {
    LONG style = GetWindowLongA(window, GWL_STYLE);
    if ((style & SS_TYPEMASK) == SS_ICON) {
      HICON shown = reinterpret_cast<HICON>(SendMessageA(window, STM_GETICON, 0, 0));
      const struct { LPCSTR id; unsigned style; } icons[] = {
          {IDI_HAND, MB_ICONSTOP}, {IDI_EXCLAMATION, MB_ICONEXCLAMATION},
          {IDI_ASTERISK, MB_ICONINFORMATION}, {IDI_QUESTION, MB_ICONQUESTION}};
      for (const auto &icon : icons)
        if (shown && shown == LoadIconA(nullptr, icon.id)) box.icon = icon.style;
    } else {
      box.text += window_text(window);
    }
  }
  return TRUE;
}

}  // namespace

HWND find_window(DWORD process_id, const char *window_class, const char *caption, bool visible_only,
                 HWND besides) {
  window_search search{process_id, window_class, caption, visible_only, besides, nullptr};
  EnumWindows(match_top_level, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND wait_for_window(DWORD process_id, const char *window_class, const char *caption,
                     DWORD milliseconds, bool visible_only) {
  HWND found = nullptr;
  wait_until([&] { return (found = find_window(process_id, window_class, caption, visible_only)) != nullptr; },
             milliseconds);
  return found;
}

bool wait_until_gone(HWND window, DWORD milliseconds) {
  return wait_until([&] { return !IsWindow(window) || !IsWindowVisible(window); }, milliseconds);
}

HWND find_control(HWND top, int id) {
  id_search search{id, nullptr};
  EnumChildWindows(top, match_id, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Through SendMessageTimeout: a window of a hung program gives an empty text.
std::string window_text(HWND window) {
  if (!window) return std::string();
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length))
    return std::string();
  std::string text(length + 1, '\0');
  DWORD_PTR got = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]),
                           SMTO_ABORTIFHUNG, 5000, &got))
    return std::string();
  text.resize(got);
  return text;
}

void set_text(HWND window, const std::string &text) {
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG,
                      5000, &ignored);
}

bool is_enabled(HWND window) { return IsWindowEnabled(window) != 0; }

bool is_visible_flag(HWND window) { return (GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE) != 0; }

bool showing(HWND window) { return window && IsWindowVisible(window); }

void click(HWND button) { PostMessageA(button, BM_CLICK, 0, 0); }

void press(HWND top, int id) {
  HWND button = find_control(top, id);
  PostMessageA(top, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

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

void set_check(HWND top, int id, bool checked) {
  SendMessageA(find_control(top, id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool is_checked(HWND top, int id) {
  return SendMessageA(find_control(top, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

int progress_position(HWND top, int id) {
  return static_cast<int>(SendMessageA(find_control(top, id), PBM_GETPOS, 0, 0));
}

bool wait_for_message_box(DWORD process_id, DWORD milliseconds, message_box &out, const char *caption) {
  HWND window = wait_for_window(process_id, "#32770", caption, milliseconds);
  if (!window) return false;
  // Give the box a moment to fill in its controls.
  pump_messages(100);
  out = message_box();
  out.window = window;
  out.caption = window_text(window);
  out.has_owner = GetWindow(window, GW_OWNER) != nullptr;
  EnumChildWindows(window, read_box_child, reinterpret_cast<LPARAM>(&out));
  return true;
}

void answer(const message_box &box, int button) {
  DWORD thread = GetWindowThreadProcessId(box.window, nullptr);
  PostMessageA(box.window, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(box.window, button)));
  wait_until_gone(box.window, 5000);
  // The box's loop may sleep until its next message once it has ended.
  PostThreadMessageA(thread, WM_NULL, 0, 0);
}

bool take_message_box(DWORD process_id, const char *caption, DWORD milliseconds, message_box &out) {
  if (!wait_for_message_box(process_id, milliseconds, out, caption)) return false;
  answer(out, IDOK);
  return true;
}

bool save_screenshot(HWND window, const std::string &png_path) {
  if (!window) return false;
  // In front, and done painting, frame included.
  SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
  SetForegroundWindow(window);
  wait_until([&] { return GetForegroundWindow() == window; }, 2000);
  // Without a window manager the caption may keep the look of an inactive
  // window after the activation went back and forth; draw it as it stands.
  if (GetForegroundWindow() == window) SendMessageA(window, WM_NCACTIVATE, TRUE, 0);
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
  pump_messages(700);
  RECT r;
  if (!GetWindowRect(window, &r)) return false;
  int width = r.right - r.left, height = r.bottom - r.top;
  if (width <= 0 || height <= 0) return false;

  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void *bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool ok = bitmap && bits;
  if (ok) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    ok = BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY) != 0;
    GdiFlush();
    SelectObject(memory, old);
  }
  std::vector<uint8_t> rgb;
  if (ok) {
    const auto *pixels = static_cast<const uint8_t *>(bits);
    rgb.resize(static_cast<size_t>(width) * height * 3);
    for (size_t i = 0; i < static_cast<size_t>(width) * height; ++i) {
      rgb[i * 3] = pixels[i * 4 + 2];
      rgb[i * 3 + 1] = pixels[i * 4 + 1];
      rgb[i * 3 + 2] = pixels[i * 4];
    }
  }
  if (bitmap) DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return ok && write_png_file(png_path, width, height, rgb);
}

}  // namespace gui_test
