// The main window: a tab control whose two pages are panels; the first holds
// the source and destination bands and the run button, the second only
// advertises the larger sibling product.
#include <string>
#include "forms/control_ids.h"
#include "forms/forms.h"
#include "product/product.h"

namespace {

using K = component_kind;
namespace id = krynWOP1_ids;

// The vendor item shows the web address without its scheme.
const char *vendor_caption() {
  static const std::string caption = [] {
    std::string address = kryn_web_address;
    const std::string scheme = "http://";
    if (address.compare(0, scheme.size(), scheme) == 0) address.erase(0, scheme.size());
    return "&" + address;
  }();
  return caption.c_str();
}

form_description build() {
  form_description f;
  f.class_name = main_window_class;
  f.caption = product_title;
  f.pixels_per_inch = 120;
  f.font = {"MS Sans Serif", 13, false};
  f.width = 508;
  f.height = 340;
  f.border = border_kind::sizeable;

  auto &c = f.components;
  c.push_back(component(K::tab_control, "TabControl1", nullptr, id::TabControl1,
                        "Process Single File\nAdvanced Options", {0, 0, 500, 286})
                  .aligned(align_kind::client));

  c.push_back(component(K::panel, "Panel1", "TabControl1", id::Panel1, "", {4, 24, 492, 258})
                  .aligned(align_kind::client));
  c.push_back(component(K::group_box, "GroupBox1", "Panel1", id::GroupBox1, "Source file",
                        {0, 0, 492, 65})
                  .aligned(align_kind::top));
  c.push_back(component(K::edit, "Edit1", "GroupBox1", id::Edit1, "", {9, 25, 392, 24}));
  c.push_back(component(K::button, "Button1", "GroupBox1", id::Button1, "Select ...",
                        {406, 25, 75, 24}));
  c.push_back(component(K::group_box, "GroupBox2", "Panel1", id::GroupBox2, "Destination file",
                        {0, 65, 492, 120})
                  .aligned(align_kind::top));
  c.push_back(component(K::check_box, "CheckBox1", "GroupBox2", id::CheckBox1, "Same as source",
                        {9, 25, 120, 16})
                  .with(option_checked));
  c.push_back(component(K::edit, "Edit2", "GroupBox2", id::Edit2, "", {9, 48, 392, 24})
                  .with(option_disabled));
  c.push_back(component(K::button, "Button2", "GroupBox2", id::Button2, "Save As ...",
                        {406, 48, 75, 25})
                  .with(option_disabled));
  c.push_back(component(K::button, "Button5", "GroupBox2", id::Button5, "View result file",
                        {8, 80, 105, 25})
                  .with(option_disabled));
  c.push_back(component(K::button, "Button3", "Panel1", id::Button3, "Create or remake TOC",
                        {328, 201, 154, 24}));
  c.push_back(component(K::progress_bar, "ProgressBar1", "Panel1", id::ProgressBar1, "",
                        {9, 203, 312, 20})
                  .with(option_hidden));

  c.push_back(component(K::panel, "Panel2", "TabControl1", id::Panel2, "", {4, 24, 492, 258})
                  .aligned(align_kind::client)
                  .with(option_hidden));
  c.push_back(component(K::label, "Label10", "Panel2", id::Label10,
                        "All advanced options are implemented in Pellory.", {9, 9, 0, 0}));
  c.push_back(component(K::label, "Label1", "Panel2", id::Label1, "Pellory features:",
                        {9, 32, 0, 0})
                  .bold(30));
  c.push_back(component(K::label, "Label2", "Panel2", id::Label2, "- Process multiple files",
                        {9, 73, 0, 0}));
  c.push_back(component(K::label, "Label3", "Panel2", id::Label3,
                        "- Process decimal notation numbering [like \"1.4.2.\", in <h> tags and "
                        "TOC items]",
                        {9, 89, 0, 0}));
  c.push_back(component(K::label, "Label5", "Panel2", id::Label5,
                        "- User sets range of <h> tags being used in TOC  [eg: <h1> through <h3>]",
                        {9, 105, 0, 0}));
  c.push_back(component(K::label, "Label8", "Panel2", id::Label8,
                        "- Process page titles [useful for multiple file processing]",
                        {9, 121, 0, 0}));
  c.push_back(component(K::label, "Label4", "Panel2", id::Label4,
                        "- Custom user style for TOC generation", {9, 137, 0, 0}));
  c.push_back(component(K::label, "Label9", "Panel2", id::Label9,
                        "- Predefined styles such as expandable / collapsible tree",
                        {9, 153, 0, 0}));
  c.push_back(component(K::label, "Label7", "Panel2", id::Label7,
                        "- Rollback: clear all HTML code inserted [TOC, named anchors and "
                        "numbering]",
                        {9, 169, 0, 0}));
  c.push_back(component(K::label, "Label6", "Panel2", id::Label6,
                        "- Support command line mode for external automation", {9, 185, 0, 0}));
  c.push_back(component(K::button, "Button4", "Panel2", id::Button4, "Visit Pellory Home Page",
                        {9, 209, 272, 24}));

  f.menu = {
      {"File1", nullptr, id::File1, "&File", nullptr, 0},
      {"CreateorremakeTOC1", "File1", id::CreateorremakeTOC1, "Create or remake &TOC", "Ctrl+T", 0},
      {"N3", "File1", id::N3, "-", nullptr, 0},
      {"Exit1", "File1", id::Exit1, "E&xit", nullptr, 0},
      {"View1", nullptr, id::View1, "&View", nullptr, 0},
      {"Viewresultfile1", "View1", id::Viewresultfile1, "View &result file", "Ctrl+R",
       menu_disabled},
      {"N1", "View1", id::N1, "-", nullptr, 0},
      {"SingleFile1", "View1", id::SingleFile1, "Go \"Process S&ingle File\" Tab", nullptr, 0},
      {"MultipleFiles1", "View1", id::MultipleFiles1, "Go \"&Advanced Options\" Tab", nullptr, 0},
      {"Help1", nullptr, id::Help1, "&Help", nullptr, 0},
      {"Contents1", "Help1", id::Contents1, "&Contents", "F1", 0},
      {"Pellory1", "Help1", id::Pellory1, "&Pellory", nullptr, 0},
      {"N2", "Help1", id::N2, "-", nullptr, 0},
      {"About1", "Help1", id::About1, "&About", nullptr, 0},
      {"VendorSite2", nullptr, id::VendorSite2, vendor_caption(), nullptr, 0},
  };
  return f;
}

}  // namespace

const form_description &krynWOP1_description() {
  static const form_description description = build();
  return description;
}
