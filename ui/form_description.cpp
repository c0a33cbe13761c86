#include "ui/form_description.h"

#include <cstring>
#include <set>
#include <string>

component_description component(component_kind kind, const char *name, const char *parent,
                                int id, const char *caption, ui_rect place) {
  component_description c;
  c.kind = kind;
  c.name = name;
  c.parent = parent;
  c.id = id;
  c.caption = caption;
  c.place = place;
  return c;
}

int find_component(const form_description &form, const char *name) {
  for (size_t i = 0; i < form.components.size(); ++i)
    if (std::strcmp(form.components[i].name, name) == 0) return static_cast<int>(i);
  return -1;
}

int find_menu_item(const form_description &form, const char *name) {
  for (size_t i = 0; i < form.menu.size(); ++i)
    if (std::strcmp(form.menu[i].name, name) == 0) return static_cast<int>(i);
  return -1;
}

namespace {

bool holds_children(component_kind kind) {
  return kind == component_kind::tab_control || kind == component_kind::panel ||
         kind == component_kind::group_box;
}

}  // namespace

std::vector<const char *> description_problems(const form_description &form) {
  std::vector<const char *> problems;
  std::set<std::string> names;
  std::set<int> ids;
  for (size_t i = 0; i < form.components.size(); ++i) {
    const component_description &c = form.components[i];
    if (!names.insert(c.name).second) problems.push_back(c.name);
    if (c.id <= 0 || !ids.insert(c.id).second) problems.push_back(c.name);
    if (c.parent) {
      int parent = find_component(form, c.parent);
      if (parent < 0 || parent >= static_cast<int>(i) ||
          !holds_children(form.components[parent].kind))
        problems.push_back(c.name);
    }
  }
  for (size_t i = 0; i < form.menu.size(); ++i) {
    const menu_item_description &m = form.menu[i];
    if (!names.insert(m.name).second) problems.push_back(m.name);
    bool separator = std::strcmp(m.caption, "-") == 0;
    if (!separator && (m.id <= 0 || !ids.insert(m.id).second)) problems.push_back(m.name);
    if (m.parent) {
      int parent = find_menu_item(form, m.parent);
      if (parent < 0 || parent >= static_cast<int>(i) || form.menu[parent].parent)
        problems.push_back(m.name);
    }
  }
  return problems;
}
