#include "ui/form.h"

#include <commctrl.h>
#include <cstring>
#include "ui/application.h"
#include "ui/shortcut.h"
#include "ui/text_measure.h"
#include "ui/window_classes.h"

LRESULT CALLBACK form_window_procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_NCCREATE) {
    auto *create = reinterpret_cast<CREATESTRUCTA *>(l);
    auto *form = static_cast<TForm *>(create->lpCreateParams);
    form->handle = window;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
  }
  auto *form = reinterpret_cast<TForm *>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!form) return DefWindowProcA(window, message, w, l);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    form->handle = nullptr;
    return DefWindowProcA(window, message, w, l);
  }
  // Nothing may unwind through the system's code: a handler's exception is
  // shown and the loop goes on.
  try {
    return form->handle_message(message, w, l);
  } catch (const std::exception &e) {
    Application.show_exception(e);
  } catch (...) {
    Application.show_exception(ui_exception("Unknown error"));
  }
  return 0;
}

namespace {

bool has(uint32_t options, uint32_t option) { return (options & option) != 0; }

// The component kinds that other components can sit in.
bool is_container(component_kind kind) {
  return kind == component_kind::tab_control || kind == component_kind::panel ||
         kind == component_kind::group_box;
}

std::unique_ptr<TControl> wrapper_for(component_kind kind) {
  switch (kind) {
  case component_kind::tab_control: return std::make_unique<TTabControl>();
  case component_kind::panel: return std::make_unique<TPanel>();
  case component_kind::group_box: return std::make_unique<TGroupBox>();
  case component_kind::edit: return std::make_unique<TEdit>();
  case component_kind::button: return std::make_unique<TButton>();
  case component_kind::check_box: return std::make_unique<TCheckBox>();
  case component_kind::label: return std::make_unique<TLabel>();
  case component_kind::progress_bar: return std::make_unique<TProgressBar>();
  case component_kind::memo: return std::make_unique<TMemo>();
  case component_kind::image: return std::make_unique<TImage>();
  }
  return std::make_unique<TControl>();
}

int screen_pixels_per_inch() {
  HDC screen = GetDC(nullptr);
  int ppi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  return ppi > 0 ? ppi : 96;
}

}  // namespace

TForm::TForm(const form_description &d) : description(d) {
  try {
    build();
  } catch (...) {
    release();
    throw;
  }
}

TForm::~TForm() { release(); }

void TForm::release() {
  if (handle) DestroyWindow(handle);
  handle = nullptr;
  if (accelerators) DestroyAcceleratorTable(accelerators);
  accelerators = nullptr;
  for (auto &f : fonts) DeleteObject(f.second);
  fonts.clear();
  for (HICON icon : icons) DestroyIcon(icon);
  icons.clear();
}

void TForm::build() {
  register_window_classes(Application.instance());
  screen_ppi = screen_pixels_per_inch();
  form_font = font_for(description.font);
  create_window();
  create_menu();
  create_components();
  built = true;

  int width = scale(description.width);
  int height = scale(description.height);
  if (description.size_is_client) {
    RECT r{0, 0, width, height};
    AdjustWindowRectEx(&r, GetWindowLongA(handle, GWL_STYLE), menu != nullptr,
                       GetWindowLongA(handle, GWL_EXSTYLE));
    width = r.right - r.left;
    height = r.bottom - r.top;
  }
  set_size(width, height);
  if (description.centered) {
    int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    SetWindowPos(handle, nullptr, x < 0 ? 0 : x, y < 0 ? 0 : y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

int TForm::scale(int design_pixels) const {
  return scale_length(design_pixels, screen_ppi, description.pixels_per_inch);
}

namespace {

// The face a font really got, which is some substitute when the system
// lacks the one asked for.
std::string face_of(HFONT font) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  char face[LF_FACESIZE] = "";
  GetTextFaceA(dc, sizeof face, face);
  SelectObject(dc, old);
  DeleteDC(dc);
  return face;
}

HFONT create_font(int height, bool bold, const char *face) {
  return CreateFontA(-height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                     DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH | FF_DONTCARE, face);
}

}  // namespace

HFONT TForm::font_for(const font_description &font) {
  const char *name = font.name ? font.name : description.font.name;
  int height = font.height ? font.height : description.font.height;
  std::string key = std::string(name) + "/" + std::to_string(height) + (font.bold ? "/b" : "");
  auto found = fonts.find(key);
  if (found != fonts.end()) return found->second;
  int pixels = scale(height);
  HFONT f = create_font(pixels, font.bold, name);
  // A face the system lacks becomes its dialog face, not whatever face
  // happens to match first: the dialog face is made for captions this size.
  if (f && lstrcmpiA(face_of(f).c_str(), name) != 0) {
    HFONT dialog = create_font(pixels, font.bold, "MS Shell Dlg");
    if (dialog) {
      DeleteObject(f);
      f = dialog;
    }
  }
  if (!f) return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  fonts[key] = f;
  return f;
}

void TForm::create_window() {
  HINSTANCE instance = Application.instance();
  WNDCLASSEXA existing{};
  existing.cbSize = sizeof existing;
  if (!GetClassInfoExA(instance, description.class_name, &existing)) {
    WNDCLASSEXA c{};
    c.cbSize = sizeof c;
    c.lpfnWndProc = form_window_procedure;
    c.hInstance = instance;
    if (Application.icon_resource)
      c.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(Application.icon_resource));
    c.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    c.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    c.lpszClassName = description.class_name;
    if (!RegisterClassExA(&c))
      throw ui_exception(std::string("Can't register the window class ") + description.class_name);
  }
  DWORD style = 0;   // no WS_CLIPCHILDREN, for group boxes (see panels)
  DWORD ex_style = WS_EX_CONTROLPARENT;
  if (description.border == border_kind::sizeable) {
    style |= WS_OVERLAPPEDWINDOW;
  } else {
    style |= WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    ex_style |= WS_EX_DLGMODALFRAME;
  }
  // Later forms belong to the main form, so they stay above it and a modal
  // one keeps it from being used.
  HWND owner = Application.main_form ? Application.main_form->handle : nullptr;
  HWND window = CreateWindowExA(ex_style, description.class_name, description.caption, style,
                                CW_USEDEFAULT, CW_USEDEFAULT, scale(description.width),
                                scale(description.height), owner, nullptr,
                                Application.instance(), this);
  if (!window) throw ui_exception(std::string("Can't create the window ") + description.class_name);
}

void TForm::create_menu() {
  if (description.menu.empty()) return;
  menu = CreateMenu();
  std::map<std::string, HMENU> popups;
  std::vector<ACCEL> keys;
  // Popups first, so that an item can find its popup whatever the order.
  for (const menu_item_description &m : description.menu) {
    bool has_children = false;
    for (const menu_item_description &child : description.menu)
      if (child.parent && std::strcmp(child.parent, m.name) == 0) has_children = true;
    if (!m.parent && has_children) popups[m.name] = CreatePopupMenu();
  }
  for (const menu_item_description &m : description.menu) {
    auto item = std::make_unique<TMenuItem>();
    item->name = m.name;
    item->id = m.id;
    item->owner = handle;
    UINT flags = has(m.options, menu_disabled) ? MF_GRAYED : MF_ENABLED;
    if (!m.parent) {
      auto popup = popups.find(m.name);
      item->menu = menu;
      if (popup != popups.end()) {
        AppendMenuA(menu, MF_POPUP | flags, reinterpret_cast<UINT_PTR>(popup->second), m.caption);
      } else {
        AppendMenuA(menu, MF_STRING | flags, static_cast<UINT_PTR>(m.id), m.caption);
      }
    } else {
      HMENU popup = popups[m.parent];
      item->menu = popup;
      if (std::strcmp(m.caption, "-") == 0) {
        AppendMenuA(popup, MF_SEPARATOR, 0, nullptr);
      } else {
        std::string caption = m.caption;
        shortcut_key key;
        if (m.shortcut && parse_shortcut(m.shortcut, key)) {
          caption += std::string("\t") + m.shortcut;
          BYTE virt = FVIRTKEY;
          if (key.ctrl) virt |= FCONTROL;
          if (key.shift) virt |= FSHIFT;
          if (key.alt) virt |= FALT;
          keys.push_back(ACCEL{virt, key.key, static_cast<WORD>(m.id)});
        }
        AppendMenuA(popup, MF_STRING | flags, static_cast<UINT_PTR>(m.id), caption.c_str());
      }
    }
    menu_items.push_back(std::move(item));
  }
  SetMenu(handle, menu);
  if (!keys.empty()) accelerators = CreateAcceleratorTableA(keys.data(), static_cast<int>(keys.size()));
}

HWND TForm::create_component_window(const component_description &c, HWND parent,
                                    const ui_rect &r) {
  const char *window_class = "STATIC";
  DWORD style = WS_CHILD;
  DWORD ex_style = 0;
  const char *text = c.caption;
  switch (c.kind) {
  case component_kind::tab_control:
    window_class = WC_TABCONTROLA;
    style |= WS_TABSTOP | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    // Its pages are its children; keyboard navigation must reach into them.
    ex_style |= WS_EX_CONTROLPARENT;
    text = "";
    break;
  case component_kind::panel:
    // No WS_CLIPCHILDREN: a group box does not paint its inside, so the
    // panel's own background must reach under it.
    window_class = panel_window_class;
    ex_style |= WS_EX_CONTROLPARENT;
    break;
  case component_kind::group_box:
    window_class = "BUTTON";
    style |= BS_GROUPBOX;
    break;
  case component_kind::edit:
    window_class = "EDIT";
    style |= WS_TABSTOP | ES_AUTOHSCROLL;
    if (has(c.options, option_read_only)) style |= ES_READONLY;
    ex_style |= WS_EX_CLIENTEDGE;
    break;
  case component_kind::memo:
    window_class = "EDIT";
    style |= WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;
    if (has(c.options, option_scroll_bars)) style |= WS_VSCROLL | WS_HSCROLL | ES_AUTOHSCROLL;
    if (has(c.options, option_read_only)) style |= ES_READONLY;
    ex_style |= WS_EX_CLIENTEDGE;
    break;
  case component_kind::button:
    window_class = "BUTTON";
    style |= WS_TABSTOP | (has(c.options, option_default_button) ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
    break;
  case component_kind::check_box:
    window_class = "BUTTON";
    style |= WS_TABSTOP | BS_AUTOCHECKBOX;
    break;
  case component_kind::label:
    window_class = "STATIC";
    style |= SS_NOPREFIX | (has(c.options, option_word_wrap) ? SS_LEFT : SS_LEFTNOWORDWRAP);
    break;
  case component_kind::progress_bar:
    window_class = PROGRESS_CLASSA;
    text = "";
    break;
  case component_kind::image:
    window_class = image_window_class;
    if (has(c.options, option_stretch)) style |= image_stretch_style;
    text = "";
    break;
  }
  if (!has(c.options, option_hidden)) style |= WS_VISIBLE;
  if (has(c.options, option_disabled)) style |= WS_DISABLED;
  HWND window = CreateWindowExA(ex_style, window_class, text, style, r.left, r.top, r.width,
                                r.height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)),
                                Application.instance(), nullptr);
  if (!window)
    throw ui_exception(std::string("Can't create the component ") + c.name + " of " +
                       description.class_name);
  return window;
}

void TForm::create_components() {
  const auto &components = description.components;
  layout.resize(components.size());
  for (size_t i = 0; i < components.size(); ++i) {
    const component_description &c = components[i];
    layout_node &node = layout[i];
    node.parent = c.parent ? find_component(description, c.parent) : -1;
    if (c.parent && (node.parent < 0 || node.parent >= static_cast<int>(i) ||
                     !is_container(components[node.parent].kind)))
      throw ui_exception(std::string("Component ") + c.name + " has no usable parent");
    node.align = c.align;
    node.place = scale_rect(c.place, screen_ppi, description.pixels_per_inch);
    node.owns_window_area = c.kind != component_kind::group_box;

    int parent_node = window_parent(layout, static_cast<int>(i));
    HWND parent = parent_node < 0 ? handle : controls[parent_node]->handle;
    HWND window = create_component_window(c, parent, place_in_window_parent(layout, static_cast<int>(i)));
    SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(font_for(c.font)), FALSE);

    auto control = wrapper_for(c.kind);
    control->handle = window;
    control->id = c.id;
    control->name = c.name;
    control->form = this;
    control->node = static_cast<int>(i);
    controls.push_back(std::move(control));
    TControl &made = *controls.back();

    switch (c.kind) {
    case component_kind::tab_control: {
      std::string tabs = c.caption;
      int index = 0;
      for (size_t start = 0; start <= tabs.size();) {
        size_t end = tabs.find('\n', start);
        if (end == std::string::npos) end = tabs.size();
        std::string tab = tabs.substr(start, end - start);
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = &tab[0];
        SendMessageA(window, TCM_INSERTITEMA, static_cast<WPARAM>(index++), reinterpret_cast<LPARAM>(&item));
        start = end + 1;
      }
      // The tabs and border take the same room at any size.
      RECT r{0, 0, node.place.width, node.place.height};
      SendMessageA(window, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
      node.client = {r.left, r.top, node.place.width - r.right, node.place.height - r.bottom};
      break;
    }
    case component_kind::panel:
      set_panel_bevels(window, static_cast<int>(c.bevel_outer), static_cast<int>(c.bevel_inner));
      break;
    case component_kind::check_box:
      static_cast<TCheckBox &>(made).set_checked(has(c.options, option_checked));
      break;
    case component_kind::progress_bar:
      SendMessageA(window, PBM_SETRANGE32, 0, c.range_max);
      break;
    case component_kind::image:
      if (c.resource) {
        auto icon = static_cast<HICON>(LoadImageA(Application.instance(), MAKEINTRESOURCEA(c.resource),
                                                  IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR));
        if (icon) {
          icons.push_back(icon);
          static_cast<TImage &>(made).set_icon(icon);
        }
      }
      break;
    case component_kind::label: {
      auto &label = static_cast<TLabel &>(made);
      label.auto_size = c.place.width == 0 || c.place.height == 0;
      if (label.auto_size) fit_label(label);
      break;
    }
    case component_kind::group_box:
      // Its frame is drawn behind the components laid over it.
      break;
    case component_kind::button:
      if (has(c.options, option_default_button)) default_button = c.id;
      break;
    default:
      break;
    }
  }
}

void TForm::fit_label(TLabel &label) {
  std::string text = label.text().str();
  auto font = reinterpret_cast<HFONT>(SendMessageA(label.handle, WM_GETFONT, 0, 0));
  SIZE size = drawn_text_size(font, text.c_str(), static_cast<int>(text.size()));
  ui_rect &place = layout[label.node].place;
  place.width = size.cx;
  place.height = size.cy;
  if (built) place_window_of(label.node);
}

void TForm::realign() {
  if (!built || !handle) return;
  RECT client;
  GetClientRect(handle, &client);
  ::realign(layout, client.right - client.left, client.bottom - client.top);
  for (size_t i = 0; i < layout.size(); ++i) place_window_of(static_cast<int>(i));
}

void TForm::place_window_of(int node) {
  ui_rect r = place_in_window_parent(layout, node);
  SetWindowPos(controls[node]->handle, nullptr, r.left, r.top, r.width, r.height,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

TControl *TForm::control_named(const char *name) {
  for (auto &c : controls)
    if (std::strcmp(c->name, name) == 0) return c.get();
  return nullptr;
}

TControl *TForm::control_with_id(int id) {
  for (auto &c : controls)
    if (c->id == id) return c.get();
  return nullptr;
}

TMenuItem *TForm::menu_item(const char *name) {
  for (auto &m : menu_items)
    if (std::strcmp(m->name, name) == 0) return m.get();
  throw ui_exception(std::string("No menu item ") + name + " in " + description.class_name);
}

void TForm::bind(const char *name, std::function<void()> handler) {
  int id = 0;
  if (TControl *c = control_named(name)) {
    id = c->id;
  } else {
    id = menu_item(name)->id;
  }
  handlers[id] = std::move(handler);
}

void TForm::set_caption(const char *caption) { SetWindowTextA(handle, caption); }

void TForm::set_size(int width, int height) {
  SetWindowPos(handle, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  realign();
}

void TForm::show() {
  ShowWindow(handle, SW_SHOW);
  SetForegroundWindow(handle);
}

void TForm::hide() { ShowWindow(handle, SW_HIDE); }

void TForm::close() { PostMessageA(handle, WM_CLOSE, 0, 0); }

int TForm::show_modal() {
  if (in_modal) return 0;
  modal_result = 0;
  std::vector<HWND> disabled;
  for (application_form *other : Application.forms) {
    if (other == this || !other->handle || !IsWindowEnabled(other->handle)) continue;
    EnableWindow(other->handle, FALSE);
    disabled.push_back(other->handle);
  }
  in_modal = true;
  saved_focus = nullptr;
  ShowWindow(handle, SW_SHOW);
  SetForegroundWindow(handle);
  SetActiveWindow(handle);
  MSG message;
  while (modal_result == 0 && handle) {
    BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got <= 0) {
      // The quit belongs to the outer loop.
      if (got == 0) PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    Application.dispatch(message);
  }
  in_modal = false;
  // Enable the others before hiding, so that activation returns to them.
  for (HWND window : disabled)
    if (IsWindow(window)) EnableWindow(window, TRUE);
  if (handle) ShowWindow(handle, SW_HIDE);
  return modal_result ? modal_result : IDCANCEL;
}

void TForm::repaint_now() {
  RedrawWindow(handle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void TForm::update_now() {
  RedrawWindow(handle, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void TForm::run_handler(int id) {
  auto found = handlers.find(id);
  if (found != handlers.end() && found->second) found->second();
}

LRESULT TForm::handle_message(UINT message, WPARAM w, LPARAM l) {
  switch (message) {
  case WM_COMMAND: {
    int id = LOWORD(w);
    bool from_control = l != 0;
    if (id == IDCANCEL && in_modal && !control_with_id(id)) {
      modal_result = IDCANCEL;   // Esc, from the keyboard navigation
      return 0;
    }
    if (from_control) {
      if (HIWORD(w) != BN_CLICKED) break;
      TControl *c = control_with_id(id);
      if (!c) return 0;
      const component_description &d = description.components[c->node];
      if (d.modal_result && in_modal) modal_result = d.modal_result;
      run_handler(id);
      return 0;
    }
    // A menu item or its shortcut: a disabled item does nothing, whatever
    // the accelerator table would let through.
    for (auto &item : menu_items) {
      if (item->id != id) continue;
      if (item->enabled()) run_handler(id);
      return 0;
    }
    if (TControl *c = control_with_id(id)) {
      // Enter on a form whose default button is described: as its click.
      const component_description &d = description.components[c->node];
      if (d.modal_result && in_modal) modal_result = d.modal_result;
      run_handler(id);
    }
    return 0;
  }
  case WM_NOTIFY: {
    auto *header = reinterpret_cast<NMHDR *>(l);
    if (header->code == static_cast<UINT>(TCN_SELCHANGE)) run_handler(static_cast<int>(header->idFrom));
    return 0;
  }
  case DM_GETDEFID:
    if (default_button) return MAKELRESULT(default_button, DC_HASDEFID);
    return 0;
  case WM_SIZE:
    realign();
    return 0;
  case WM_ACTIVATE:
    if (LOWORD(w) == WA_INACTIVE) {
      HWND focus = GetFocus();
      if (focus && IsChild(handle, focus)) saved_focus = focus;
    } else if (IsWindowEnabled(handle)) {
      // A form disabled behind a modal one takes no focus: setting it would
      // activate the form again and pull it in front of the modal one.
      HWND focus = saved_focus && IsWindow(saved_focus) && IsChild(handle, saved_focus)
                       ? saved_focus
                       : GetNextDlgTabItem(handle, nullptr, FALSE);
      if (focus) SetFocus(focus);
    }
    return 0;
  case WM_CLOSE:
    if (in_modal) {
      modal_result = IDCANCEL;
    } else if (Application.main_form == this) {
      DestroyWindow(handle);
    } else {
      hide();
    }
    return 0;
  case WM_DESTROY:
    if (Application.main_form == this) PostQuitMessage(0);
    return 0;
  default:
    break;
  }
  return DefWindowProcA(handle, message, w, l);
}
