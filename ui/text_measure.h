// How much room a text takes in a font: its measure, widened to where its
// ink really reaches. Some fonts (hinted at small sizes, or with a last
// letter that overhangs) draw past their measure, and a label sized to the
// measure alone loses its last letters.
#pragma once
#include <windows.h>

SIZE drawn_text_size(HFONT font, const char *text, int length);
