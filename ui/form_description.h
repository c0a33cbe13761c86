// A window described as data: its class name, caption, design resolution and
// font, and its components and menu in creation order. The creation order is
// also the tab order, so a description lists a container's components in the
// order the keyboard should visit them.
#pragma once
#include <cstdint>
#include <vector>
#include "ui/layout.h"

enum class component_kind {
  tab_control,   // caption: the tab texts separated by '\n'
  panel,
  group_box,
  edit,
  button,
  check_box,
  label,
  progress_bar,
  memo,
  image,         // shows the icon resource named by `resource`
};

enum class bevel_kind { none, lowered, raised };

enum component_option : uint32_t {
  option_hidden = 1u << 0,
  option_disabled = 1u << 1,
  option_checked = 1u << 2,
  option_default_button = 1u << 3,  // Enter presses it
  option_word_wrap = 1u << 4,       // labels: wrap inside the given width
  option_scroll_bars = 1u << 5,     // memos: both scroll bars
  option_read_only = 1u << 6,
  option_stretch = 1u << 7,         // images: fill the component's rectangle
};

// name null: the form's font; height 0: the form's height (design pixels,
// character height without internal leading, as font heights go).
struct font_description {
  const char *name = nullptr;
  int height = 0;
  bool bold = false;
};

struct component_description {
  const char *name = "";
  component_kind kind = component_kind::label;
  const char *parent = nullptr;  // null: the form itself
  int id = 0;                    // control id, shared with the tests
  const char *caption = "";
  ui_rect place;                 // design pixels; labels of width 0 size to their text
  align_kind align = align_kind::none;
  uint32_t options = 0;
  font_description font;
  bevel_kind bevel_outer = bevel_kind::none;  // panels
  bevel_kind bevel_inner = bevel_kind::none;
  int modal_result = 0;          // buttons: closes a modal form with this result
  int range_max = 100;           // progress bars: 0 to range_max
  int resource = 0;              // images: icon resource id

  // Chained settings keep the tables in forms/ readable.
  component_description &aligned(align_kind a) { align = a; return *this; }
  component_description &with(uint32_t o) { options |= o; return *this; }
  component_description &with_font(const char *n, int h, bool b) {
    font = {n, h, b};
    return *this;
  }
  component_description &bold(int h = 0) { font.bold = true; font.height = h; return *this; }
  component_description &bevels(bevel_kind outer, bevel_kind inner) {
    bevel_outer = outer;
    bevel_inner = inner;
    return *this;
  }
  component_description &closes_with(int result) { modal_result = result; return *this; }
  component_description &showing_icon(int id_of_icon) { resource = id_of_icon; return *this; }
};

component_description component(component_kind kind, const char *name, const char *parent,
                                int id, const char *caption, ui_rect place);

enum menu_option : uint32_t {
  menu_disabled = 1u << 0,
};

// parent null: an item of the menu bar. Caption "-": a separator. Shortcut:
// "Ctrl+T", "Shift+F5", "F1" or null.
struct menu_item_description {
  const char *name = "";
  const char *parent = nullptr;
  int id = 0;
  const char *caption = "";
  const char *shortcut = nullptr;
  uint32_t options = 0;
};

enum class border_kind {
  sizeable,  // caption, system menu, minimise and maximise boxes, sizing frame
  dialog,    // caption and system menu, fixed size
};

struct form_description {
  const char *class_name = "";   // also the system window class name
  const char *caption = "";
  int pixels_per_inch = 96;
  font_description font{"MS Sans Serif", 11, false};
  int width = 0;                 // design pixels
  int height = 0;
  bool size_is_client = false;   // width and height give the client area
  border_kind border = border_kind::sizeable;
  bool centered = false;         // centred on the screen when built
  std::vector<component_description> components;
  std::vector<menu_item_description> menu;
};

// Index of the named component, -1 when there is none.
int find_component(const form_description &form, const char *name);
int find_menu_item(const form_description &form, const char *name);

// Reasons a description cannot be built (unknown or later parent, duplicate
// name or id, a child of something that cannot hold children); empty when
// it can be built.
std::vector<const char *> description_problems(const form_description &form);
