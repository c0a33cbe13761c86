// The system's open and save dialogs and its folder browser, with their
// settings and results held in Values.
#pragma once
#include <windows.h>
#include <cstdint>
#include "value/krval.h"

class win_open_save_dialog {
public:
  win_open_save_dialog();

  krval file_name;          // the chosen path after a confirmed dialog
  int32_t file_offset = -1; // where its file-name part starts; -1 otherwise
  krval filter;             // pairs of zero-terminated texts, closed by one more zero
  krval default_ext;
  krval initial_file;       // at most 1023 bytes are shown
  krval initial_dir;
  krval title;
  HWND owner = nullptr;
  uint32_t flags = 0x00080000;   // OFN_EXPLORER

  void add_overwrite_prompt() { flags |= 0x00000002; }   // OFN_OVERWRITEPROMPT
  // Non-zero when the user confirmed a file.
  int execute_open();
  int execute_save();

private:
  int execute(bool save);
};

class win_dir_open_dialog {
public:
  win_dir_open_dialog();

  krval folder;           // the chosen folder after a confirmed browse
  krval initial_folder;   // selected when the browser opens
  krval title;            // shown above the folder tree
  HWND owner = nullptr;
  uint32_t flags = 0;     // browse-info flags

  // True when a folder was chosen and turned into a path.
  bool execute();
};

// The form both dialogs want a start folder in: without one trailing
// backslash, except that a bare drive ("C:") keeps its backslash.
void normalise_start_folder(krval &folder);
