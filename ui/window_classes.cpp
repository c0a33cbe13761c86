#include "ui/window_classes.h"

const char panel_window_class[] = "TPanel";
const char image_window_class[] = "TImage";

namespace {

// The bevels live in the panel's window data: outer in the low byte, inner above.
LONG_PTR bevels_of(HWND panel) { return GetWindowLongPtrA(panel, GWLP_USERDATA); }

void draw_bevel(HDC dc, RECT &r, int kind) {
  if (kind == 0) return;
  DrawEdge(dc, &r, kind == 2 ? BDR_RAISEDINNER : BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
}

LRESULT CALLBACK panel_procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
  switch (message) {
  case WM_COMMAND:
  case WM_NOTIFY:
    // The form handles every event of its components, wherever they sit.
    return SendMessageA(GetAncestor(window, GA_ROOT), message, w, l);
  case WM_PAINT: {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT r;
    GetClientRect(window, &r);
    LONG_PTR bevels = bevels_of(window);
    draw_bevel(dc, r, static_cast<int>(bevels & 0xFF));
    draw_bevel(dc, r, static_cast<int>((bevels >> 8) & 0xFF));
    char caption[256];
    int length = GetWindowTextA(window, caption, sizeof caption);
    if (length > 0) {
      HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(window, WM_GETFONT, 0, 0)));
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
      DrawTextA(dc, caption, length, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
      SelectObject(dc, old);
    }
    EndPaint(window, &paint);
    return 0;
  }
  case WM_SETFONT:
    SetPropA(window, "font", reinterpret_cast<HANDLE>(w));
    return 0;
  case WM_GETFONT:
    return reinterpret_cast<LRESULT>(GetPropA(window, "font"));
  case WM_NCDESTROY:
    RemovePropA(window, "font");
    break;
  default:
    break;
  }
  return DefWindowProcA(window, message, w, l);
}

LRESULT CALLBACK image_procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    auto icon = reinterpret_cast<HICON>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (icon) {
      RECT r;
      GetClientRect(window, &r);
      bool stretch = (GetWindowLongA(window, GWL_STYLE) & image_stretch_style) != 0;
      DrawIconEx(dc, 0, 0, icon, stretch ? r.right : 32, stretch ? r.bottom : 32, 0, nullptr, DI_NORMAL);
    }
    EndPaint(window, &paint);
    return 0;
  }
  return DefWindowProcA(window, message, w, l);
}

void register_class(HINSTANCE instance, const char *name, WNDPROC procedure) {
  WNDCLASSEXA existing{};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExA(instance, name, &existing)) return;
  WNDCLASSEXA c{};
  c.cbSize = sizeof c;
  c.style = CS_HREDRAW | CS_VREDRAW;
  c.lpfnWndProc = procedure;
  c.hInstance = instance;
  c.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  c.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  c.lpszClassName = name;
  RegisterClassExA(&c);
}

}  // namespace

void set_panel_bevels(HWND panel, int outer, int inner) {
  SetWindowLongPtrA(panel, GWLP_USERDATA, static_cast<LONG_PTR>((outer & 0xFF) | ((inner & 0xFF) << 8)));
}

void register_window_classes(HINSTANCE instance) {
  register_class(instance, panel_window_class, panel_procedure);
  register_class(instance, image_window_class, image_procedure);
}
