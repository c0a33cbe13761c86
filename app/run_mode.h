// The run mode comes from the program's own file name: one program file is
// both the TOC tool (kwop.exe) and its installer (setup.exe).
#pragma once
#include "value/krval.h"

enum class run_mode { none, setup, normal };

// Lower-cases the path, keeps the part after the last backslash and compares it
// byte for byte with "setup.exe" and "kwop.exe"; any other name gives none.
run_mode decide_run_mode(const krval &module_path);
