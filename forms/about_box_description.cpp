// The about box: a bevelled panel with the icon and the product's lines, and OK.
#include "forms/control_ids.h"
#include "forms/forms.h"
#include "forms/resource_ids.h"
#include "product/product.h"

namespace {

using K = component_kind;
namespace id = AboutBox_ids;

form_description build() {
  form_description f;
  f.class_name = "TAboutBox";
  f.caption = "About";
  f.pixels_per_inch = 96;
  f.font = {"MS Sans Serif", 11, false};
  f.width = 298;
  f.height = 182;
  f.size_is_client = true;
  f.border = border_kind::dialog;
  f.centered = true;

  auto &c = f.components;
  c.push_back(component(K::panel, "Panel1", nullptr, id::Panel1, "", {8, 8, 281, 129})
                  .bevels(bevel_kind::lowered, bevel_kind::raised));
  c.push_back(component(K::image, "ProgramIcon", "Panel1", id::ProgramIcon, "", {8, 15, 33, 34})
                  .with(option_stretch)
                  .showing_icon(QUENBY_ICON_RESOURCE));
  c.push_back(component(K::label, "ProductName", "Panel1", id::ProductName, product_name,
                        {49, 16, 0, 0}));
  c.push_back(component(K::label, "Version", "Panel1", id::Version, product_version,
                        {49, 40, 0, 0}));
  c.push_back(component(K::label, "Copyright", "Panel1", id::Copyright, product_copyright,
                        {8, 73, 0, 0}));
  c.push_back(component(K::label, "Comments", "Panel1", id::Comments,
                        "Builds the table of contents of an HTML page.", {8, 98, 0, 0}));
  c.push_back(component(K::button, "OKButton", nullptr, id::OKButton, "OK", {111, 148, 75, 24})
                  .with(option_default_button)
                  .closes_with(1));
  return f;
}

}  // namespace

const form_description &AboutBox_description() {
  static const form_description description = build();
  return description;
}
