#include "cli/stop_signals.h"

#include <windows.h>
#include <io.h>

#include "page_files/temporary_registry.h"

namespace {

// The system calls this on a thread of its own, so it may take the
// registry's lock like any other code.
BOOL WINAPI on_console_event(DWORD event) {
  remove_listed_temporaries_for_good();
  if (_isatty(2)) {
    DWORD written;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), "\r\n", 2, &written, nullptr);
  }
  // Ctrl-C and Ctrl-Break as SIGINT, a closed console or ended session as SIGHUP.
  ExitProcess(event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT ? 130 : 129);
  return TRUE;
}

}  // namespace

void remove_temporaries_when_stopped() { SetConsoleCtrlHandler(on_console_event, TRUE); }
