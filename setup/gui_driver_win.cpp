#include "setup/gui_driver_win.h"

#include <commctrl.h>
#include <cstring>
#include "setup/png_file.h"

started_program::~started_program() {
  if (process.hProcess) {
    if (running()) {
      TerminateProcess(process.hProcess, 99);
      WaitForSingleObject(process.hProcess, 5000);
    }
    CloseHandle(process.hProcess);
  }
  if (process.hThread) CloseHandle(process.hThread);
}

bool started_program::start(const std::string &command_line, const std::string &folder) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  std::string line = command_line;
  return CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &process) != 0;
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

namespace {

struct window_search {
  const char *window_class;
  DWORD process_id;
  HWND found;
};

bool class_is(HWND window, const char *name) {
  char buffer[256];
  return GetClassNameA(window, buffer, sizeof buffer) > 0 && lstrcmpiA(buffer, name) == 0;
}

BOOL CALLBACK match_top_level(HWND window, LPARAM context) {
  auto *search = reinterpret_cast<window_search *>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (search->process_id && owner != search->process_id) return TRUE;
  if (!IsWindowVisible(window)) return TRUE;
  if (search->window_class && !class_is(window, search->window_class)) return TRUE;
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

struct box_reading {
  message_box *box;
};

BOOL CALLBACK read_box_child(HWND window, LPARAM context) {
  message_box &box = *reinterpret_cast<box_reading *>(context)->box;
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
      std::string text = window_text(window);
      if (!text.empty()) box.text = text;
    }
  }
  return TRUE;
}

}  // namespace

HWND find_window_of(const char *window_class, DWORD process_id) {
  window_search search{window_class, process_id, nullptr};
  EnumWindows(match_top_level, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool wait_until(bool (*condition)(void *), void *context, DWORD milliseconds) {
  DWORD start = GetTickCount();
  for (;;) {
    if (condition(context)) return true;
    if (GetTickCount() - start > milliseconds) return false;
    pump_messages(50);
  }
}

HWND wait_for_window(const char *window_class, DWORD process_id, DWORD milliseconds) {
  window_search search{window_class, process_id, nullptr};
  wait_until(
      [](void *c) {
        auto *s = static_cast<window_search *>(c);
        s->found = find_window_of(s->window_class, s->process_id);
        return s->found != nullptr;
      },
      &search, milliseconds);
  return search.found;
}

bool wait_until_gone(HWND window, DWORD milliseconds) {
  return wait_until(
      [](void *c) {
        HWND w = static_cast<HWND>(c);
        return !IsWindow(w) || !IsWindowVisible(w);
      },
      window, milliseconds);
}

HWND child_with_id(HWND top, int id) {
  id_search search{id, nullptr};
  EnumChildWindows(top, match_id, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

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

bool showing(HWND window) { return window && IsWindowVisible(window); }

void press(HWND top, int id) {
  HWND button = child_with_id(top, id);
  PostMessageA(top, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

void set_check(HWND top, int id, bool checked) {
  SendMessageA(child_with_id(top, id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool is_checked(HWND top, int id) {
  return SendMessageA(child_with_id(top, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

int progress_position(HWND top, int id) {
  return static_cast<int>(SendMessageA(child_with_id(top, id), PBM_GETPOS, 0, 0));
}

bool wait_for_message_box(DWORD process_id, DWORD milliseconds, message_box &out) {
  HWND window = wait_for_window("#32770", process_id, milliseconds);
  if (!window) return false;
  // Give the box a moment to fill in its controls.
  pump_messages(100);
  out = message_box();
  out.window = window;
  char caption[512];
  GetWindowTextA(window, caption, sizeof caption);
  out.caption = caption;
  box_reading reading{&out};
  EnumChildWindows(window, read_box_child, reinterpret_cast<LPARAM>(&reading));
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

bool save_screenshot(HWND window, const std::string &png_path) {
  if (!window) return false;
  SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
  SetForegroundWindow(window);
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
  pump_messages(400);
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
