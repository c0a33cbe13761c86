// Moves a window so that it is centred on the primary screen; a window
// larger than the screen is placed at its left or top edge.
#pragma once
#include <windows.h>

void center_on_screen(HWND window);
