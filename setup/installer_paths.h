// The installer's questions to the system: is the tool running, where did an
// earlier setup install it, and where are Program Files, the Start-menu
// programs folder and the desktop. Each path helper fills the caller's text
// Value and returns whether it found a non-empty path.
#pragma once
#include "value/krval.h"

// A top-level window of the tool's main window class exists (any title).
bool is_program_running();

// inst_dir of the earlier installation, without its trailing backslash unless
// it is a drive root ("E:\").
bool read_previous_install_dir(krval &folder);

bool get_program_files_dir(krval &folder);
bool get_common_programs_dir(krval &folder);
bool get_common_desktop_dir(krval &folder);

// The folder the user picked in the browser, with the product's own folder
// added: "C:\Apps" and "C:\Apps\" give "C:\Apps\WOP1", "D:\" gives "D:\WOP1".
krval install_dir_in(const krval &chosen_folder);

// The distribution's size in kilobytes as the Destination page shows it:
// bytes divided by 1024 (integer division for an integer), then plus 1.
krval required_kilobytes(const krval &required_bytes);
