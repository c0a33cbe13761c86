// Splits the command-line text the system hands to the entry point (the
// program's own name is not part of it) into arguments. Only the blank
// separates arguments; double quotes group and are dropped.
#pragma once
#include "value/krarr.h"

void split_command_line(const char *text, krarr &arguments);
