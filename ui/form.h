// TForm: a top-level window built from its description. The window class
// name is the description's class name, the components are created in the
// description's order (which is the tab order) and scaled from the design
// resolution to the screen's, and each component's event is bound by name.
#pragma once
#include <windows.h>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>
#include "ui/application.h"
#include "ui/controls.h"
#include "ui/form_description.h"
#include "ui/layout.h"
#include "ui/ui_exception.h"

class TForm : public application_form, public control_host {
public:
  explicit TForm(const form_description &description);
  virtual ~TForm();
  TForm(const TForm &) = delete;
  TForm &operator=(const TForm &) = delete;

  const form_description &description;
  int screen_ppi = 96;
  int modal_result = 0;

  // The component of that name and kind; throws ui_exception when the
  // description has no such component, so a mistyped name fails at once.
  template <class T> T *component(const char *name) {
    T *c = dynamic_cast<T *>(control_named(name));
    if (!c) throw ui_exception(std::string("No component ") + name + " in " + description.class_name);
    return c;
  }
  TMenuItem *menu_item(const char *name);
  TControl *control_with_id(int id);

  // The click of a button, check box or menu item, or the change of a tab control.
  void bind(const char *name, std::function<void()> handler);

  void set_caption(const char *caption);
  // Outer size of the window in screen pixels.
  void set_size(int width, int height);
  int scale(int design_pixels) const;
  void show() override;
  void hide();
  void close();
  // Shows the form with every other form of the application disabled and
  // returns its modal result once a button or the close box sets one.
  int show_modal();
  bool is_modal() const { return in_modal; }

  // Redraws the window and its children now, from inside a long handler.
  void repaint_now();
  // Paints now what of the window and its children waits to be painted (a
  // control that changed, a part another window uncovered), and nothing else.
  void update_now();

  const ui_rect &place_of(int node) const override { return layout[node].place; }
  void fit_label(TLabel &label) override;
  void realign();

protected:
  virtual LRESULT handle_message(UINT message, WPARAM w, LPARAM l);

private:
  friend LRESULT CALLBACK form_window_procedure(HWND, UINT, WPARAM, LPARAM);

  void build();
  void create_window();
  void create_menu();
  void create_components();
  HWND create_component_window(const component_description &c, HWND parent, const ui_rect &r);
  HFONT font_for(const font_description &font);
  void place_window_of(int node);
  void run_handler(int id);
  void release();
  TControl *control_named(const char *name);

  std::vector<layout_node> layout;
  std::vector<std::unique_ptr<TControl>> controls;   // one per component, in order
  std::vector<std::unique_ptr<TMenuItem>> menu_items;
  std::map<int, std::function<void()>> handlers;
  std::map<std::string, HFONT> fonts;
  std::vector<HICON> icons;
  HMENU menu = nullptr;
  HFONT form_font = nullptr;
  HWND saved_focus = nullptr;
  int default_button = 0;
  bool built = false;
  bool in_modal = false;
};
