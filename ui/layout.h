// Placement of a form's components: scaling from the pixels per inch a form
// was designed at to the screen's, and the alignment rules that keep bands
// and pages glued to their container when the window is resized. Portable:
// the window code only feeds it sizes and applies what it computes.
#pragma once
#include <vector>

struct ui_rect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

inline bool operator==(const ui_rect &a, const ui_rect &b) {
  return a.left == b.left && a.top == b.top && a.width == b.width && a.height == b.height;
}

// none keeps the place; top and bottom make a band of the container's width
// stacked from that edge; client fills what the bands leave.
enum class align_kind { none, top, bottom, client };

// value * screen / design, rounded half away from zero (as MulDiv does).
int scale_length(int value, int screen_ppi, int design_ppi);
ui_rect scale_rect(const ui_rect &r, int screen_ppi, int design_ppi);

// Space a container keeps for itself inside its own rectangle (a tab
// control's tabs and border); aligned children are placed inside it.
struct ui_insets {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

struct layout_node {
  int parent = -1;              // index of the containing node; -1: the form
  align_kind align = align_kind::none;
  ui_rect place;                // relative to the parent's origin
  ui_insets client;             // inset of the area aligned children share
  bool owns_window_area = true; // false: a frame only (group box), whose children
                                // live in the nearest real container
};

// Recomputes the places of aligned nodes, parents before children (nodes must
// come after their parents), for a form client area of the given size.
void realign(std::vector<layout_node> &nodes, int form_width, int form_height);

// The node's place relative to the nearest ancestor that owns a window area
// (the form when there is none): group boxes add their offset to their children.
ui_rect place_in_window_parent(const std::vector<layout_node> &nodes, int index);
// Index of that ancestor, -1 for the form.
int window_parent(const std::vector<layout_node> &nodes, int index);
