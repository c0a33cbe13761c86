// The setup wizard: a header band with the icon and the product line, a
// button bar at the bottom, and five pages of which one is shown at a time.
// The captions that the wizard replaces before they can be seen keep their
// component names here.
#include "forms/control_ids.h"
#include "forms/forms.h"
#include "forms/resource_ids.h"

namespace {

using K = component_kind;
namespace id = SetupForm_ids;

form_description build() {
  form_description f;
  f.class_name = "TSetupForm";
  f.caption = "Setup";
  f.pixels_per_inch = 120;
  f.font = {"MS Sans Serif", 13, false};
  f.width = 543;
  f.height = 375;
  f.border = border_kind::dialog;

  auto &c = f.components;
  c.push_back(component(K::panel, "Panel2", nullptr, id::Panel2, "", {0, 0, 535, 57})
                  .aligned(align_kind::top)
                  .bevels(bevel_kind::raised, bevel_kind::none));
  c.push_back(component(K::image, "Image1", "Panel2", id::Image1, "", {6, 7, 40, 42})
                  .showing_icon(QUENBY_ICON_RESOURCE));
  c.push_back(component(K::label, "Label1", "Panel2", id::Label1, "Label1", {48, 8, 0, 0})
                  .with_font("Verdana", 30, true));

  // Page 0: welcome.
  c.push_back(component(K::panel, "Panel3", nullptr, id::Panel3, "", {0, 57, 535, 246})
                  .aligned(align_kind::client));
  c.push_back(component(K::label, "Label2", "Panel3", id::Label2, "Label2", {8, 96, 0, 0})
                  .with_font("Verdana", 23, true));
  c.push_back(component(K::label, "Label3", "Panel3", id::Label3,
                        "Click Cancel to quit Setup. Click Next to continue the Setup Program. ",
                        {8, 216, 0, 0}));

  // Page 1: licence.
  c.push_back(component(K::panel, "Panel4", nullptr, id::Panel4, "", {0, 57, 535, 246})
                  .aligned(align_kind::client)
                  .with(option_hidden));
  c.push_back(component(K::label, "Label4", "Panel4", id::Label4,
                        "Please read the following License Agreement: ", {8, 8, 0, 0}));
  c.push_back(component(K::memo, "Memo1", "Panel4", id::Memo1, "", {14, 30, 505, 177})
                  .with(option_scroll_bars | option_read_only));
  c.push_back(component(K::label, "Label5", "Panel4", id::Label5,
                        "Do you accept the terms of the License Agreement? ", {8, 220, 0, 0}));

  // Page 2: destination.
  c.push_back(component(K::panel, "Panel5", nullptr, id::Panel5, "", {0, 57, 535, 246})
                  .aligned(align_kind::client)
                  .with(option_hidden));
  c.push_back(component(K::group_box, "GroupBox4", "Panel5", id::GroupBox4,
                        "Select a destination directory: ", {4, 4, 527, 58}));
  c.push_back(component(K::label, "Label13", "GroupBox4", id::Label13, "Label13",
                        {10, 26, 0, 0}));
  c.push_back(component(K::button, "Button4", "GroupBox4", id::Button4, "Browse ...",
                        {418, 21, 97, 25}));
  c.push_back(component(K::group_box, "GroupBox5", "Panel5", id::GroupBox5, "",
                        {4, 64, 527, 82}));
  c.push_back(component(K::label, "Label7", "GroupBox5", id::Label7, "Label7", {10, 14, 0, 0}));
  c.push_back(component(K::label, "Label8", "GroupBox5", id::Label8, "Label8",
                        {3, 38, 521, 34})
                  .bold()
                  .with(option_word_wrap));
  c.push_back(component(K::group_box, "GroupBox1", "Panel5", id::GroupBox1, "Additional",
                        {4, 150, 527, 68}));
  c.push_back(component(K::check_box, "CheckBox1", "GroupBox1", id::CheckBox1,
                        "Add an icon to the Windows desktop?", {10, 20, 400, 17}));
  c.push_back(component(K::check_box, "CheckBox2", "GroupBox1", id::CheckBox2,
                        "Explorer shell extension [context menu item]", {10, 42, 400, 17})
                  .with(option_checked));

  // Page 3: ready.
  c.push_back(component(K::panel, "Panel7", nullptr, id::Panel7, "", {0, 57, 535, 246})
                  .aligned(align_kind::client)
                  .with(option_hidden));
  c.push_back(component(K::panel, "Panel8", "Panel7", id::Panel8, "", {4, 4, 527, 76}));
  c.push_back(component(K::label, "Label14", "Panel8", id::Label14,
                        "Setup is now ready to begin installing the software  on your computer. "
                        "Click Back if you want to change any settings. ",
                        {6, 6, 515, 34})
                  .with(option_word_wrap));
  c.push_back(component(K::label, "Label18", "Panel8", id::Label18,
                        "You have made the following selections:", {6, 52, 0, 0}));
  c.push_back(component(K::group_box, "GroupBox2", "Panel7", id::GroupBox2,
                        "Installation directory: ", {4, 84, 527, 52}));
  c.push_back(component(K::label, "Label15", "GroupBox2", id::Label15, "Label15",
                        {10, 24, 0, 0}));
  c.push_back(component(K::group_box, "GroupBox3", "Panel7", id::GroupBox3, "Additional",
                        {4, 142, 527, 68}));
  c.push_back(component(K::label, "Label16", "GroupBox3", id::Label16, "Label16",
                        {10, 22, 0, 0}));
  c.push_back(component(K::label, "Label17", "GroupBox3", id::Label17, "Label17",
                        {10, 42, 0, 0}));

  // Page 4: progress, then finish.
  c.push_back(component(K::panel, "Panel6", nullptr, id::Panel6, "", {0, 57, 535, 246})
                  .aligned(align_kind::client)
                  .with(option_hidden));
  c.push_back(component(K::label, "Label9", "Panel6", id::Label9, "Setup progress indicator",
                        {14, 64, 0, 0}));
  c.push_back(component(K::progress_bar, "ProgressBar1", "Panel6", id::ProgressBar1, "",
                        {14, 86, 465, 25}));
  c.push_back(component(K::label, "Label10", "Panel6", id::Label10, "0", {486, 91, 0, 0}));
  c.push_back(component(K::label, "Label11", "Panel6", id::Label11, "%", {512, 91, 0, 0}));
  c.push_back(component(K::label, "Label12", "Panel6", id::Label12, "Label12", {14, 140, 0, 0})
                  .with_font("Verdana", 20, false)
                  .with(option_hidden));

  // The button bar; its tab order is Next, Cancel, Back.
  c.push_back(component(K::panel, "Panel1", nullptr, id::Panel1, "", {0, 303, 535, 41})
                  .aligned(align_kind::bottom)
                  .bevels(bevel_kind::raised, bevel_kind::none));
  c.push_back(component(K::button, "Button2", "Panel1", id::Button2, "Next >",
                        {304, 8, 107, 25}));
  c.push_back(component(K::button, "Button1", "Panel1", id::Button1, "Cancel",
                        {416, 8, 107, 25}));
  c.push_back(component(K::button, "Button3", "Panel1", id::Button3, "< Back",
                        {192, 8, 107, 25}));
  return f;
}

}  // namespace

const form_description &SetupForm_description() {
  static const form_description description = build();
  return description;
}
