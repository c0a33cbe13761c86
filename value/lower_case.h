// Lower-cases bytes in place with the system's ANSI rules. On Windows this is
// CharLowerBuffA (the user's locale decides which bytes are letters); on POSIX
// only the ASCII letters A-Z are lower-cased, as in the C locale.
#pragma once
#include <cstdint>

void system_lower_case(char *bytes, int32_t length);
