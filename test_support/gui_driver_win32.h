// Drives windows the way a user would, for every Windows GUI test: starts
// programs, waits for their windows, finds controls by id, reads and sets
// texts, presses buttons and keys, reads and answers message boxes, and takes
// screenshots. The windows may be another program's or this test's own.
// Everything waits with a deadline, never forever.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

namespace gui_test {

// A path of the build (a Linux path, handed over at compile time) as the
// Windows programs see it: Wine maps Z:\ to /.
std::string windows_path(const std::string &unix_path);
std::string own_program();   // this test program's full path

// A started program; it is killed if still running when this goes.
class started_program {
public:
  started_program() = default;
  ~started_program();
  started_program(const started_program &) = delete;
  started_program &operator=(const started_program &) = delete;

  // Starts the program with the command-line text after its name, in folder
  // (this process's when empty); false when it could not be started.
  bool start(const std::string &program, const std::string &arguments, const std::string &folder);
  // The same with a whole command line, program first (quoted by the caller),
  // as a shortcut or the registry gives it.
  bool start(const std::string &command_line, const std::string &folder);
  // The same in wide text, for names beyond the code page, as the shell
  // hands them over.
  bool start(const std::wstring &command_line, const std::wstring &folder);
  // True when it ended within the time; its exit code in *code.
  bool wait_for_exit(DWORD milliseconds, DWORD *code = nullptr);
  bool running() const;
  void kill();
  DWORD pid() const { return process.dwProcessId; }
  HANDLE handle() const { return process.hProcess; }

private:
  bool start_line(const char *program, std::string line, const std::string &folder);
  PROCESS_INFORMATION process{};
};

// Lets this thread's own windows handle what is waiting for them.
void pump_messages(DWORD milliseconds);

// Waits until condition() holds, handling this thread's messages meanwhile
// (a test may drive a window of its own); false after the time.
template <class Condition> bool wait_until(Condition condition, DWORD milliseconds) {
  DWORD start = GetTickCount();
  for (;;) {
    if (condition()) return true;
    if (GetTickCount() - start > milliseconds) return false;
    pump_messages(50);
  }
}

// A top-level window of the process (any process when 0) with that class
// and caption (any when null), visible or not as asked, other than besides;
// null when there is none.
HWND find_window(DWORD process_id, const char *window_class, const char *caption = nullptr,
                 bool visible_only = true, HWND besides = nullptr);
// The same, waiting for it up to the time.
HWND wait_for_window(DWORD process_id, const char *window_class, const char *caption,
                     DWORD milliseconds, bool visible_only = true);
// Waits until the window is gone or hidden.
bool wait_until_gone(HWND window, DWORD milliseconds);

HWND find_control(HWND top, int id);
std::string window_text(HWND window);   // empty for no window
void set_text(HWND window, const std::string &text);
bool is_enabled(HWND window);
bool is_visible_flag(HWND window);   // the window's own WS_VISIBLE
bool showing(HWND window);           // visible, its parents too

// Posted, so that a handler that runs long or opens a modal box does not
// hold the driver: a click as the button itself takes it, a button press as
// the button reports it to its form, and a menu command.
void click(HWND button);
void press(HWND top, int id);
void command(HWND form, int id);
// Presses a key with Ctrl held (or alone), with the form in front.
void press_key(HWND form, WORD key, bool ctrl);
void set_check(HWND top, int id, bool checked);
bool is_checked(HWND top, int id);
int progress_position(HWND top, int id);

// A message box (a "#32770" dialog) as it stands.
struct message_box {
  HWND window = nullptr;
  std::string text;
  std::string caption;
  unsigned icon = 0;                // MB_ICONSTOP, MB_ICONEXCLAMATION, ... when known
  std::vector<int> buttons;         // the ids of its buttons: IDOK, IDYES, ...
  bool has_owner = false;
};
// The first message box of the process (with that caption, when not null)
// within the time.
bool wait_for_message_box(DWORD process_id, DWORD milliseconds, message_box &out,
                          const char *caption = nullptr);
// Presses the button with that id (IDOK, IDYES, IDNO) and waits for the box to go.
void answer(const message_box &box, int button);
// The message box of that caption, read and then answered with OK.
bool take_message_box(DWORD process_id, const char *caption, DWORD milliseconds, message_box &out);

// The window as it stands on the screen, frame included, into a PNG file; it
// is brought to the front and redrawn first.
bool save_screenshot(HWND window, const std::string &png_path);

}  // namespace gui_test
