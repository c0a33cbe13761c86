#include "ui/controls.h"

#include <commctrl.h>
#include <string>

int TControl::left() const { return form->place_of(node).left; }
int TControl::top() const { return form->place_of(node).top; }
int TControl::width() const { return form->place_of(node).width; }
int TControl::height() const { return form->place_of(node).height; }

bool TControl::visible() const {
  return (GetWindowLongA(handle, GWL_STYLE) & WS_VISIBLE) != 0;
}

void TControl::set_visible(bool visible) { ShowWindow(handle, visible ? SW_SHOW : SW_HIDE); }

bool TControl::enabled() const { return IsWindowEnabled(handle) != 0; }

void TControl::set_enabled(bool enabled) { EnableWindow(handle, enabled ? TRUE : FALSE); }

krval TControl::text() const {
  int length = GetWindowTextLengthA(handle);
  std::string buffer(static_cast<size_t>(length) + 1, '\0');
  int got = GetWindowTextA(handle, &buffer[0], length + 1);
  return krval(buffer.data(), got);
}

void TControl::set_text(const char *text) { SetWindowTextA(handle, text ? text : ""); }

void TControl::set_focus() { SetFocus(handle); }

void TMemo::set_text(const char *text) {
  // The edit control breaks lines only at CR LF.
  std::string shown;
  for (const char *p = text ? text : ""; *p; ++p) {
    if (*p == '\r' && p[1] == '\n') {
      shown += "\r\n";
      ++p;
    } else if (*p == '\n' || *p == '\r') {
      shown += "\r\n";
    } else {
      shown += *p;
    }
  }
  SetWindowTextA(handle, shown.c_str());
}

bool TCheckBox::checked() const {
  return SendMessageA(handle, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TCheckBox::set_checked(bool checked) {
  SendMessageA(handle, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TLabel::set_text(const char *text) {
  TControl::set_text(text);
  if (auto_size) fit_to_text();
}

void TLabel::fit_to_text() { form->fit_label(*this); }

int TProgressBar::position() const {
  return static_cast<int>(SendMessageA(handle, PBM_GETPOS, 0, 0));
}

void TProgressBar::set_position(int position) {
  SendMessageA(handle, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void TProgressBar::set_step(int step) {
  SendMessageA(handle, PBM_SETSTEP, static_cast<WPARAM>(step), 0);
}

void TProgressBar::step_it() { SendMessageA(handle, PBM_STEPIT, 0, 0); }

int TTabControl::tab_index() const {
  return static_cast<int>(SendMessageA(handle, TCM_GETCURSEL, 0, 0));
}

void TTabControl::set_tab_index(int index) {
  SendMessageA(handle, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void TImage::set_icon(HICON icon) {
  SetWindowLongPtrA(handle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(icon));
  InvalidateRect(handle, nullptr, TRUE);
}

bool TMenuItem::enabled() const {
  UINT state = GetMenuState(menu, static_cast<UINT>(id), MF_BYCOMMAND);
  return state != static_cast<UINT>(-1) && !(state & (MF_GRAYED | MF_DISABLED));
}

void TMenuItem::set_enabled(bool enabled) {
  EnableMenuItem(menu, static_cast<UINT>(id), MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
  if (owner && GetMenu(owner) == menu) DrawMenuBar(owner);
}
