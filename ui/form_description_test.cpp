#include "ui/form_description.h"

#include <gtest/gtest.h>
#include <string>

namespace {

form_description small_form() {
  form_description f;
  f.class_name = "TSmall";
  f.components.push_back(component(component_kind::panel, "Panel1", nullptr, 100, "", {0, 0, 10, 10}));
  f.components.push_back(component(component_kind::button, "Button1", "Panel1", 101, "OK", {1, 1, 5, 5}));
  f.menu.push_back({"File1", nullptr, 200, "&File", nullptr, 0});
  f.menu.push_back({"N1", "File1", 0, "-", nullptr, 0});
  f.menu.push_back({"Exit1", "File1", 201, "E&xit", nullptr, 0});
  return f;
}

std::string joined(const std::vector<const char *> &names) {
  std::string s;
  for (const char *n : names) s += std::string(n) + " ";
  return s;
}

}  // namespace

TEST(FormDescription, FindsComponentsAndMenuItemsByName) {
  form_description f = small_form();
  EXPECT_EQ(find_component(f, "Button1"), 1);
  EXPECT_EQ(find_component(f, "Exit1"), -1);
  EXPECT_EQ(find_menu_item(f, "Exit1"), 2);
  EXPECT_EQ(find_menu_item(f, "Nope"), -1);
  EXPECT_TRUE(description_problems(f).empty()) << joined(description_problems(f));
}

TEST(FormDescription, ChainedSettingsAccumulate) {
  component_description c = component(component_kind::label, "Label1", nullptr, 5, "x", {1, 2, 0, 0})
                                .with(option_hidden)
                                .with(option_word_wrap)
                                .bold(30)
                                .aligned(align_kind::top);
  EXPECT_EQ(c.options, option_hidden | option_word_wrap);
  EXPECT_TRUE(c.font.bold);
  EXPECT_EQ(c.font.height, 30);
  EXPECT_EQ(c.font.name, nullptr);   // the form's font face
  EXPECT_EQ(c.align, align_kind::top);
}

TEST(FormDescription, ReportsWhatCannotBeBuilt) {
  form_description f = small_form();
  // A parent that comes later, a parent that cannot hold children, a
  // repeated id, a repeated name, and a menu item under a sub-item.
  f.components.insert(f.components.begin(),
                      component(component_kind::edit, "Early", "Panel1", 102, "", {}));
  f.components.push_back(component(component_kind::edit, "InButton", "Button1", 103, "", {}));
  f.components.push_back(component(component_kind::edit, "SameId", nullptr, 101, "", {}));
  f.components.push_back(component(component_kind::edit, "Button1", nullptr, 104, "", {}));
  f.menu.push_back({"Deep", "Exit1", 202, "Deep", nullptr, 0});
  EXPECT_EQ(joined(description_problems(f)), "Early InButton SameId Button1 Deep ");
}
