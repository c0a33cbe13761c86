#include "ui/application.h"

#include <commctrl.h>
#include <algorithm>
#include "ui/window_classes.h"

TApplication Application;

HINSTANCE TApplication::instance() const { return GetModuleHandleA(nullptr); }

void TApplication::initialize() {
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof controls;
  controls.dwICC = ICC_TAB_CLASSES | ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES;
  InitCommonControlsEx(&controls);
  register_window_classes(instance());
}

void TApplication::adopt(application_form *form) {
  forms.push_back(form);
  if (!main_form) main_form = form;
}

application_form *TApplication::form_of(HWND window) const {
  if (!window) return nullptr;
  HWND root = GetAncestor(window, GA_ROOT);
  for (application_form *form : forms)
    if (form->handle && form->handle == root) return form;
  return nullptr;
}

void TApplication::dispatch(MSG &message) {
  if (application_form *form = form_of(message.hwnd)) {
    // A disabled form (behind a modal one) takes no shortcuts.
    if (form->accelerators && IsWindowEnabled(form->handle) &&
        TranslateAcceleratorA(form->handle, form->accelerators, &message))
      return;
    if (IsDialogMessageA(form->handle, &message)) return;
  }
  TranslateMessage(&message);
  DispatchMessageA(&message);
}

void TApplication::run() {
  if (!main_form) return;
  main_form->show();
  MSG message;
  while (main_form->handle && GetMessageA(&message, nullptr, 0, 0) > 0) dispatch(message);
}

void TApplication::show_exception(const std::exception &e) {
  std::string text = e.what();
  if (!text.empty() && text.back() != '.') text += '.';
  MessageBoxA(nullptr, text.c_str(), title.c_str(), MB_OK | MB_ICONSTOP);
}

int TApplication::message_box(HWND owner, const char *text, const char *caption, unsigned style) {
  return MessageBoxA(owner, text, caption, style);
}

void TApplication::free_forms() {
  while (!forms.empty()) {
    application_form *form = forms.back();
    forms.pop_back();
    delete form;
  }
  main_form = nullptr;
}
