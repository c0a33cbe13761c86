// Handing files and addresses to the shell, and writing shortcut files.
#pragma once
#include "value/krval.h"

// Asks the shell to carry out the verb on the target. The verb "execute"
// means: run the program named by the target up to its first blank, with the
// rest as its parameters (verb and target are rewritten to say so).
// True when the shell accepted the request.
bool shell_open(krval &verb, krval &target);

// Saves a shortcut to target in link_file. Arguments and working_dir are
// set only when not empty; the icon location always. True when saved.
bool create_shell_link(const krval &link_file, const krval &target, const krval &arguments,
                       const krval &icon_file, krval icon_index, krval show_command,
                       const krval &working_dir);
