// The Explorer context-menu command for HTML pages: an item "Create ToC with
// Quenby 1.0" in the menu of the file class that ".html" names and in that of
// every ".html" file, which starts the tool with the clicked page as its
// first argument. Registry entries only; nothing is reported, and the
// uninstaller removes them.
#pragma once
#include "value/krval.h"

// The command text for the installed program: the program path quoted when it
// holds a blank or a tab, then the placeholder in quotes, so that a clicked
// page whose path holds a blank reaches the tool whole.
krval context_menu_command(const krval &program_path);

void register_context_menu(const krval &program_path);
