#include "ui/layout.h"

int scale_length(int value, int screen_ppi, int design_ppi) {
  if (design_ppi <= 0 || screen_ppi == design_ppi) return value;
  long long product = static_cast<long long>(value) * screen_ppi;
  long long half = design_ppi / 2;
  long long result = product >= 0 ? (product + half) / design_ppi : -((-product + half) / design_ppi);
  return static_cast<int>(result);
}

ui_rect scale_rect(const ui_rect &r, int screen_ppi, int design_ppi) {
  return {scale_length(r.left, screen_ppi, design_ppi), scale_length(r.top, screen_ppi, design_ppi),
          scale_length(r.width, screen_ppi, design_ppi),
          scale_length(r.height, screen_ppi, design_ppi)};
}

namespace {

// The area left for aligned children of one container.
struct free_area {
  int left, top, right, bottom;
};

free_area area_of(const ui_rect &r, const ui_insets &inset) {
  return {inset.left, inset.top, r.width - inset.right, r.height - inset.bottom};
}

int non_negative(int v) { return v < 0 ? 0 : v; }

void place_band(layout_node &node, free_area &area) {
  ui_rect &p = node.place;
  switch (node.align) {
  case align_kind::top:
    p.left = area.left;
    p.top = area.top;
    p.width = non_negative(area.right - area.left);
    area.top += p.height;
    break;
  case align_kind::bottom:
    p.left = area.left;
    p.width = non_negative(area.right - area.left);
    p.top = area.bottom - p.height;
    area.bottom -= p.height;
    break;
  default:
    break;
  }
}

}  // namespace

void realign(std::vector<layout_node> &nodes, int form_width, int form_height) {
  const int count = static_cast<int>(nodes.size());
  // One free area per container, the form's last; built as parents are met.
  std::vector<free_area> areas(count + 1);
  std::vector<bool> ready(count + 1, false);
  areas[count] = {0, 0, form_width, form_height};
  ready[count] = true;

  auto area_for = [&](int parent) -> free_area & {
    int slot = parent < 0 ? count : parent;
    if (!ready[slot]) {
      areas[slot] = area_of(nodes[parent].place, nodes[parent].client);
      ready[slot] = true;
    }
    return areas[slot];
  };

  // Bands first, in order, then the fills, as each container's pass needs
  // the bands of its own children before its client child takes the rest.
  // A container's own place is final before its children are visited
  // because parents come first in the list.
  for (int i = 0; i < count; ++i) {
    layout_node &node = nodes[i];
    if (node.align == align_kind::top || node.align == align_kind::bottom) {
      place_band(node, area_for(node.parent));
    } else if (node.align == align_kind::client) {
      // A fill must wait for the bands of its siblings that follow it.
      free_area area = area_for(node.parent);
      for (int j = i + 1; j < count; ++j) {
        const layout_node &sibling = nodes[j];
        if (sibling.parent != node.parent) continue;
        if (sibling.align == align_kind::top) area.top += sibling.place.height;
        if (sibling.align == align_kind::bottom) area.bottom -= sibling.place.height;
      }
      node.place = {area.left, area.top, non_negative(area.right - area.left),
                    non_negative(area.bottom - area.top)};
    }
  }
}

int window_parent(const std::vector<layout_node> &nodes, int index) {
  int parent = nodes[index].parent;
  while (parent >= 0 && !nodes[parent].owns_window_area) parent = nodes[parent].parent;
  return parent;
}

ui_rect place_in_window_parent(const std::vector<layout_node> &nodes, int index) {
  ui_rect r = nodes[index].place;
  int parent = nodes[index].parent;
  while (parent >= 0 && !nodes[parent].owns_window_area) {
    r.left += nodes[parent].place.left;
    r.top += nodes[parent].place.top;
    parent = nodes[parent].parent;
  }
  return r;
}
