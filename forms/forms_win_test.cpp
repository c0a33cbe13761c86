// The windows as the layer builds them from their descriptions, checked the
// way a reviewer looks at a dialog: every caption fits its control, every
// control lies inside its container, and no two controls of one container
// overlap except where one frames the others.
#include <windows.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "forms/forms.h"
#include "ui/application.h"
#include "ui/form.h"
#include "ui/text_measure.h"

namespace {

struct built_form : TForm {
  explicit built_form(const form_description &d) : TForm(d) {}
};

std::string class_of(HWND w) {
  char name[64];
  GetClassNameA(w, name, sizeof name);
  return name;
}

SIZE text_size(HWND control) {
  char text[512];
  int n = GetWindowTextA(control, text, sizeof text);
  return drawn_text_size(reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)), text, n);
}

// The face a control's captions are drawn in: with another face than the
// one designed for, captions may outgrow their places.
std::string face_of(HWND control) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
  char face[LF_FACESIZE] = "";
  GetTextFaceA(dc, sizeof face, face);
  SelectObject(dc, old);
  DeleteDC(dc);
  return face;
}

RECT client_in_screen(HWND w) {
  RECT r;
  GetClientRect(w, &r);
  MapWindowPoints(w, nullptr, reinterpret_cast<POINT *>(&r), 2);
  return r;
}

RECT window_rect(HWND w) {
  RECT r;
  GetWindowRect(w, &r);
  return r;
}

bool inside(const RECT &inner, const RECT &outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

bool overlap(const RECT &a, const RECT &b) {
  RECT common;
  return IntersectRect(&common, &a, &b) != 0;
}

// Room a control keeps around its caption: a push button's frame and
// focus rectangle, a check box's box and gap.
int caption_room(HWND control) {
  std::string cls = class_of(control);
  if (cls != "Button") return 0;
  LONG type = GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK;
  if (type == BS_AUTOCHECKBOX || type == BS_CHECKBOX) return GetSystemMetrics(SM_CXMENUCHECK) + 4;
  if (type == BS_GROUPBOX) return 16;
  return 8;
}

void check_layout(TForm &form) {
  const form_description &d = form.description;
  std::vector<HWND> windows;
  for (const component_description &c : d.components) {
    TControl *control = form.control_with_id(c.id);
    ASSERT_NE(control, nullptr) << c.name;
    windows.push_back(control->handle);
  }
  for (size_t i = 0; i < windows.size(); ++i) {
    const component_description &c = d.components[i];
    HWND w = windows[i];
    RECT r = window_rect(w);
    EXPECT_TRUE(inside(r, client_in_screen(GetParent(w))))
        << d.class_name << "." << c.name << " sticks out (face " << face_of(w) << ")";
    if (c.kind == component_kind::label || c.kind == component_kind::button ||
        c.kind == component_kind::check_box || c.kind == component_kind::group_box) {
      SIZE text = text_size(w);
      RECT client;
      GetClientRect(w, &client);
      if (!(c.options & option_word_wrap)) {
        EXPECT_LE(text.cx + caption_room(w), client.right)
            << d.class_name << "." << c.name << " clips its caption (face " << face_of(w) << ")";
      }
      EXPECT_LE(text.cy, client.bottom) << d.class_name << "." << c.name << " is too low for its caption";
    }
    // Siblings: a group box frames the controls laid over it; pages overlap
    // each other by design, one shown at a time.
    for (size_t j = i + 1; j < windows.size(); ++j) {
      const component_description &o = d.components[j];
      if (GetParent(windows[j]) != GetParent(w)) continue;
      if (c.kind == component_kind::group_box || o.kind == component_kind::group_box) {
        bool framed = (o.parent && std::string(o.parent) == c.name) || (c.parent && std::string(c.parent) == o.name);
        if (framed) continue;
      }
      if (c.align == align_kind::client && o.align == align_kind::client) continue;
      if (c.kind == component_kind::progress_bar || o.kind == component_kind::progress_bar) {
        // The bar shows only while the run button waits; it must not cover it.
      }
      EXPECT_FALSE(overlap(r, window_rect(windows[j]))) << d.class_name << ": " << c.name << " overlaps " << o.name;
    }
  }
}

}  // namespace

TEST(Forms, MainWindowLayoutIsTidy) {
  Application.initialize();
  built_form form(krynWOP1_description());
  form.set_size(form.scale(508), form.scale(340));
  check_layout(form);
}

TEST(Forms, AboutBoxLayoutIsTidy) {
  Application.initialize();
  built_form form(AboutBox_description());
  check_layout(form);
  RECT client;
  GetClientRect(form.handle, &client);
  EXPECT_EQ(client.right, form.scale(298));
  EXPECT_EQ(client.bottom, form.scale(182));
}

TEST(Forms, SetupWizardLayoutIsTidy) {
  Application.initialize();
  built_form form(SetupForm_description());
  check_layout(form);
}

TEST(Forms, AutoSizedLabelsFollowTheirCaption) {
  Application.initialize();
  built_form form(AboutBox_description());
  TLabel *label = form.component<TLabel>("Comments");
  int before = label->width();
  label->set_text("A much longer comment than the one the box was built with");
  EXPECT_GT(label->width(), before);
  RECT r;
  GetClientRect(label->handle, &r);
  EXPECT_EQ(r.right, label->width());
}

TEST(Forms, UnknownComponentsAreReportedByName) {
  Application.initialize();
  built_form form(AboutBox_description());
  try {
    form.component<TEdit>("OKButton");
    FAIL() << "a button was taken for an edit field";
  } catch (const ui_exception &e) {
    EXPECT_NE(std::string(e.what()).find("OKButton"), std::string::npos);
  }
  EXPECT_THROW(form.menu_item("File1"), ui_exception);
}

TEST(Forms, ResizingMovesOnlyWhatIsAligned) {
  Application.initialize();
  built_form form(krynWOP1_description());
  form.set_size(form.scale(508), form.scale(340));
  auto rect_of = [&](const char *name) {
    TControl *c = form.component<TControl>(name);
    RECT r;
    GetWindowRect(c->handle, &r);
    MapWindowPoints(nullptr, form.handle, reinterpret_cast<POINT *>(&r), 2);
    return r;
  };
  const char *names[] = {"TabControl1", "Panel1", "Panel2", "GroupBox1", "GroupBox2",
                         "Edit1", "Button1", "CheckBox1", "Button3", "ProgressBar1", "Label7"};
  std::vector<RECT> before;
  for (const char *n : names) before.push_back(rect_of(n));

  RECT window;
  GetWindowRect(form.handle, &window);
  form.set_size(window.right - window.left + 120, window.bottom - window.top + 60);
  for (size_t i = 0; i < sizeof names / sizeof names[0]; ++i) {
    RECT now = rect_of(names[i]);
    std::string name = names[i];
    bool fills = name == "TabControl1" || name == "Panel1" || name == "Panel2";
    bool band = name == "GroupBox1" || name == "GroupBox2";
    EXPECT_EQ(now.left, before[i].left) << name;
    EXPECT_EQ(now.top, before[i].top) << name;
    EXPECT_EQ(now.right - now.left, before[i].right - before[i].left + (fills || band ? 120 : 0)) << name;
    EXPECT_EQ(now.bottom - now.top, before[i].bottom - before[i].top + (fills ? 60 : 0)) << name;
  }
}
