// The full path of the running program file, as the system reports it for the
// program's own module (at most 1024 characters).
#pragma once
#include "value/krval.h"

void module_file_name(krval &path);

// The folder part of the program's path, with its trailing separator.
void module_folder(krval &folder);
