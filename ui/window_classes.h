// The layer's own child window classes: the panel, which holds other
// components and passes their notifications on to its form, and the image.
#pragma once
#include <windows.h>

extern const char panel_window_class[];
extern const char image_window_class[];
// Style bit of an image that fills its rectangle instead of showing 32 by 32.
constexpr DWORD image_stretch_style = 0x0001;

// Bevels of a panel, set right after creation.
void set_panel_bevels(HWND panel, int outer, int inner);   // 0 none, 1 lowered, 2 raised

void register_window_classes(HINSTANCE instance);
