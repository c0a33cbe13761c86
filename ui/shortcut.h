// Menu shortcuts as the descriptions name them ("Ctrl+T", "Shift+F5", "F1"),
// turned into the virtual key and modifiers an accelerator table takes.
#pragma once
#include <cstdint>

struct shortcut_key {
  uint16_t key = 0;   // virtual-key code: 'A'..'Z', '0'..'9', F1..F12 (0x70..0x7B)
  bool ctrl = false;
  bool shift = false;
  bool alt = false;
};

// False for an empty or unknown key name (nothing is registered then).
bool parse_shortcut(const char *text, shortcut_key &out);
