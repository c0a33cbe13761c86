// Drives the windows of another program (or of this one) the way a user
// would, for the installer's tests: starts programs, waits for their windows,
// finds controls by id, reads texts, presses buttons, answers message boxes
// and takes screenshots. Everything waits with a deadline, never forever.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

// A started program; it is killed if still running when this goes.
class started_program {
public:
  started_program() = default;
  ~started_program();
  started_program(const started_program &) = delete;
  started_program &operator=(const started_program &) = delete;

  // command_line: the whole line, program first (quoted by the caller).
  bool start(const std::string &command_line, const std::string &folder);
  // True when it ended within the time; its exit code in *code.
  bool wait_for_exit(DWORD milliseconds, DWORD *code = nullptr);
  bool running() const;
  DWORD id() const { return process.dwProcessId; }
  HANDLE handle() const { return process.hProcess; }

private:
  PROCESS_INFORMATION process{};
};

// A visible top-level window of that class (any class when null) owned by
// the process (any process when 0), or null when none appears in time.
HWND wait_for_window(const char *window_class, DWORD process_id, DWORD milliseconds);
HWND find_window_of(const char *window_class, DWORD process_id);
// Waits until the window is gone or hidden.
bool wait_until_gone(HWND window, DWORD milliseconds);
bool wait_until(bool (*condition)(void *), void *context, DWORD milliseconds);

HWND child_with_id(HWND top, int id);
std::string window_text(HWND window);
// The window's own visibility and that of its parents.
bool showing(HWND window);

// A button press as the button itself reports it to its form, posted so that
// a handler that runs long (or shows a message box) does not hold us.
void press(HWND top, int id);
void set_check(HWND top, int id, bool checked);
bool is_checked(HWND top, int id);
int progress_position(HWND top, int id);

// The message boxes ("#32770" dialogs) of a process.
struct message_box {
  HWND window = nullptr;
  std::string text;
  std::string caption;
  unsigned icon = 0;                // MB_ICONSTOP, MB_ICONEXCLAMATION, ... when known
  std::vector<int> buttons;         // the ids of its buttons: IDOK, IDYES, ...
};
bool wait_for_message_box(DWORD process_id, DWORD milliseconds, message_box &out);
// Presses the button with that id (IDOK, IDYES, IDNO).
void answer(const message_box &box, int button);

// Lets this process's own windows handle what is waiting for them.
void pump_messages(DWORD milliseconds);

// The window as it stands on the screen, into a PNG file; it is brought to the
// front and redrawn first.
bool save_screenshot(HWND window, const std::string &png_path);
