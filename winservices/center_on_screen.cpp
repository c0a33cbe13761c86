#include "winservices/center_on_screen.h"

namespace {

int centred(int screen, int window) { return screen < window ? 0 : (screen - window) / 2; }

}  // namespace

void center_on_screen(HWND window) {
  RECT r;
  if (!GetWindowRect(window, &r)) return;
  int left = centred(GetSystemMetrics(SM_CXSCREEN), r.right - r.left);
  int top = centred(GetSystemMetrics(SM_CYSCREEN), r.bottom - r.top);
  SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
