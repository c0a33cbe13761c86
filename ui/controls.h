// Thin wrappers over the child windows of a form. A wrapper knows its window,
// its control id and its place in the form's layout; everything else is the
// system's.
#pragma once
#include <windows.h>
#include "ui/layout.h"
#include "value/krval.h"

class TLabel;

// What a control asks of the form that holds it: its place in the form's
// layout, and a new place for a label that fits its text.
class control_host {
public:
  virtual const ui_rect &place_of(int node) const = 0;
  virtual void fit_label(TLabel &label) = 0;

protected:
  ~control_host() = default;
};

class TControl {
public:
  virtual ~TControl() = default;

  HWND handle = nullptr;
  int id = 0;
  const char *name = "";
  control_host *form = nullptr;
  int node = -1;   // index of the component in its form's layout

  // The place in screen pixels after scaling, relative to the parent the
  // description names.
  int left() const;
  int top() const;
  int width() const;
  int height() const;

  // The component's own flag: a visible control on a hidden page stays visible.
  bool visible() const;
  void set_visible(bool visible);
  bool enabled() const;
  void set_enabled(bool enabled);
  krval text() const;
  virtual void set_text(const char *text);
  void set_text(const krval &text) { set_text(text.c_str()); }
  void set_focus();
};

class TEdit : public TControl {};
class TMemo : public TControl {
public:
  // Line breaks of any kind are shown as lines.
  void set_text(const char *text) override;
};
class TButton : public TControl {};
class TGroupBox : public TControl {};
class TPanel : public TControl {};

class TCheckBox : public TControl {
public:
  bool checked() const;
  void set_checked(bool checked);
};

class TLabel : public TControl {
public:
  bool auto_size = true;   // the place follows the caption
  void set_text(const char *text) override;
  void fit_to_text();
};

class TProgressBar : public TControl {
public:
  int position() const;
  void set_position(int position);
  void set_step(int step);
  void step_it();
};

class TTabControl : public TControl {
public:
  int tab_index() const;
  void set_tab_index(int index);   // selects without the change event, as a program does
};

class TImage : public TControl {
public:
  void set_icon(HICON icon);   // the form owns the icon
};

class TMenuItem {
public:
  HMENU menu = nullptr;   // the menu that holds the item
  HWND owner = nullptr;   // the window whose bar shows the menu
  int id = 0;
  const char *name = "";
  bool enabled() const;
  void set_enabled(bool enabled);
};
