#include "forms/forms.h"

#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include "forms/control_ids.h"

namespace {

std::string joined(const std::vector<const char *> &names) {
  std::string s;
  for (const char *n : names) s += std::string(n) + " ";
  return s;
}

const component_description &get(const form_description &f, const char *name) {
  int i = find_component(f, name);
  EXPECT_GE(i, 0) << name;
  return f.components[i < 0 ? 0 : i];
}

}  // namespace

TEST(Forms, EveryDescriptionCanBeBuilt) {
  for (const form_description *f : {&krynWOP1_description(), &AboutBox_description(),
                                    &SetupForm_description()})
    EXPECT_TRUE(description_problems(*f).empty()) << f->class_name << ": " << joined(description_problems(*f));
}

TEST(Forms, WindowClassNamesAreTheFormClassNames) {
  // The installer looks for a running tool by this class name.
  EXPECT_STREQ(krynWOP1_description().class_name, "TkrynWOP1");
  EXPECT_STREQ(AboutBox_description().class_name, "TAboutBox");
  EXPECT_STREQ(SetupForm_description().class_name, "TSetupForm");
}

TEST(Forms, MainWindowHasEveryComponentWithItsId) {
  const form_description &f = krynWOP1_description();
  struct named { const char *name; int id; } all[] = {
      {"TabControl1", krynWOP1_ids::TabControl1}, {"Panel1", krynWOP1_ids::Panel1},
      {"GroupBox1", krynWOP1_ids::GroupBox1},     {"Edit1", krynWOP1_ids::Edit1},
      {"Button1", krynWOP1_ids::Button1},         {"GroupBox2", krynWOP1_ids::GroupBox2},
      {"CheckBox1", krynWOP1_ids::CheckBox1},     {"Edit2", krynWOP1_ids::Edit2},
      {"Button2", krynWOP1_ids::Button2},         {"Button5", krynWOP1_ids::Button5},
      {"Button3", krynWOP1_ids::Button3},         {"ProgressBar1", krynWOP1_ids::ProgressBar1},
      {"Panel2", krynWOP1_ids::Panel2},           {"Label1", krynWOP1_ids::Label1},
      {"Label2", krynWOP1_ids::Label2},           {"Label3", krynWOP1_ids::Label3},
      {"Label4", krynWOP1_ids::Label4},           {"Label5", krynWOP1_ids::Label5},
      {"Label6", krynWOP1_ids::Label6},           {"Label7", krynWOP1_ids::Label7},
      {"Label8", krynWOP1_ids::Label8},           {"Label9", krynWOP1_ids::Label9},
      {"Label10", krynWOP1_ids::Label10},         {"Button4", krynWOP1_ids::Button4},
  };
  EXPECT_EQ(f.components.size(), sizeof all / sizeof all[0]);
  for (const named &n : all) EXPECT_EQ(get(f, n.name).id, n.id) << n.name;
  for (const char *item : {"File1", "Exit1", "View1", "SingleFile1", "MultipleFiles1", "Help1",
                           "Contents1", "About1", "N2", "Pellory1", "VendorSite2", "N1",
                           "Viewresultfile1", "N3", "CreateorremakeTOC1"})
    EXPECT_GE(find_menu_item(f, item), 0) << item;
}

TEST(Forms, MainWindowInitialStates) {
  const form_description &f = krynWOP1_description();
  EXPECT_TRUE(get(f, "CheckBox1").options & option_checked);
  for (const char *name : {"Edit2", "Button2", "Button5"})
    EXPECT_TRUE(get(f, name).options & option_disabled) << name;
  EXPECT_TRUE(get(f, "ProgressBar1").options & option_hidden);
  EXPECT_TRUE(get(f, "Panel2").options & option_hidden);
  EXPECT_FALSE(get(f, "Panel1").options & option_hidden);
  EXPECT_TRUE(f.menu[find_menu_item(f, "Viewresultfile1")].options & menu_disabled);
  EXPECT_EQ(get(f, "Label1").font.height, 30);
  EXPECT_TRUE(get(f, "Label1").font.bold);
  EXPECT_EQ(get(f, "ProgressBar1").range_max, 100);
}

TEST(Forms, MainWindowShortcutsAndTexts) {
  const form_description &f = krynWOP1_description();
  auto item = [&](const char *name) { return f.menu[find_menu_item(f, name)]; };
  EXPECT_STREQ(item("CreateorremakeTOC1").shortcut, "Ctrl+T");
  EXPECT_STREQ(item("Viewresultfile1").shortcut, "Ctrl+R");
  EXPECT_STREQ(item("Contents1").shortcut, "F1");
  EXPECT_STREQ(item("MultipleFiles1").caption, "Go \"&Advanced Options\" Tab");
  EXPECT_STREQ(item("VendorSite2").caption, "&www.krynsoft.com");
  EXPECT_EQ(item("VendorSite2").parent, nullptr);
  EXPECT_STREQ(get(f, "Label5").caption,
               "- User sets range of <h> tags being used in TOC  [eg: <h1> through <h3>]");
  EXPECT_STREQ(get(f, "TabControl1").caption, "Process Single File\nAdvanced Options");
}

// The keyboard visits the components in creation order.
TEST(Forms, MainWindowTabOrder) {
  const form_description &f = krynWOP1_description();
  const char *order[] = {"GroupBox1", "Edit1", "Button1", "GroupBox2", "CheckBox1",
                         "Edit2",     "Button2", "Button5", "Button3", "ProgressBar1"};
  int previous = -1;
  for (const char *name : order) {
    int i = find_component(f, name);
    EXPECT_GT(i, previous) << name;
    previous = i;
  }
}

TEST(Forms, AboutBox) {
  const form_description &f = AboutBox_description();
  EXPECT_TRUE(f.size_is_client);
  EXPECT_EQ(f.width, 298);
  EXPECT_EQ(f.height, 182);
  EXPECT_EQ(f.border, border_kind::dialog);
  EXPECT_TRUE(f.centered);
  const component_description &ok = get(f, "OKButton");
  EXPECT_EQ(ok.modal_result, 1);
  EXPECT_TRUE(ok.options & option_default_button);
  EXPECT_STREQ(ok.caption, "OK");
  EXPECT_EQ(get(f, "Panel1").bevel_outer, bevel_kind::lowered);
  EXPECT_EQ(get(f, "Panel1").bevel_inner, bevel_kind::raised);
  EXPECT_NE(get(f, "ProgramIcon").resource, 0);
}

TEST(Forms, SetupWizardButtonBarOrderAndPages) {
  const form_description &f = SetupForm_description();
  EXPECT_LT(find_component(f, "Button2"), find_component(f, "Button1"));
  EXPECT_LT(find_component(f, "Button1"), find_component(f, "Button3"));
  EXPECT_FALSE(get(f, "Panel3").options & option_hidden);
  for (const char *page : {"Panel4", "Panel5", "Panel6", "Panel7"})
    EXPECT_TRUE(get(f, page).options & option_hidden) << page;
  EXPECT_TRUE(get(f, "CheckBox2").options & option_checked);
  EXPECT_FALSE(get(f, "CheckBox1").options & option_checked);
  EXPECT_STREQ(get(f, "Label2").font.name, "Verdana");
  EXPECT_TRUE(get(f, "Label12").options & option_hidden);
}
