// Driving the real program from another process, as a user would: start it,
// find its windows by class and its controls by id, type, click, read
// message boxes, and ask the screenshot helper for a picture.
#pragma once
#include <windows.h>
#include <string>

namespace gui_test {

// A path of the build (a Linux path, handed over at compile time) as the
// Windows programs see it.
std::string windows_path(const std::string &unix_path);
std::string bin_folder();       // where kwop.exe and kr_px_regex.dll are
std::string scratch_folder();   // made fresh by the tests, below the build
std::string own_program();

bool write_file(const std::string &path, const std::string &bytes);
bool read_file(const std::string &path, std::string &bytes);
void make_empty_folder(const std::string &path);

class program {
public:
  // Starts exe with the command-line text after its name; false when it
  // could not be started.
  bool start(const std::string &exe, const std::string &arguments, const std::string &folder);
  ~program();
  DWORD pid() const { return info.dwProcessId; }
  bool running() const;
  // True with the exit code when it ended within the time.
  bool wait_exit(int milliseconds, DWORD &code);
  void kill();

  PROCESS_INFORMATION info{};
  bool started = false;
};

// A top-level window of the process with that class (and caption, when not
// null), visible or not as asked; null after the time has passed.
HWND wait_for_window(DWORD pid, const char *window_class, const char *caption, int milliseconds,
                     bool visible_only = true);
// Any top-level window of the process, visible or hidden.
bool has_any_window(DWORD pid);
HWND find_control(HWND top, int id);
std::string text_of(HWND window);
void set_text(HWND window, const std::string &text);
bool is_enabled(HWND window);
bool is_visible_flag(HWND window);   // the window's own WS_VISIBLE
// Posted, so that a handler that opens a modal box does not block the driver.
void click(HWND button);
void command(HWND form, int id);
// Presses a key with Ctrl held (or alone), with the form in front.
void press_key(HWND form, WORD key, bool ctrl);
// Waits until cond() holds; false after the time.
template <class F> bool wait_until(F cond, int milliseconds) {
  for (int waited = 0;; waited += 50) {
    if (cond()) return true;
    if (waited >= milliseconds) return false;
    Sleep(50);
  }
}

// The text of the message box of that caption shown by the process, or an
// empty text with found false; the box is then dismissed with OK.
struct message {
  bool found = false;
  std::string text;
  bool has_owner = false;
};
message take_message_box(DWORD pid, const char *caption, int milliseconds);

// Asks the screenshot helper that runs beside the tests for a PNG of the
// window's rectangle, named name.png in the screenshot folder; does nothing
// when the tests run without the helper.
void screenshot(HWND window, const std::string &name);

}  // namespace gui_test
