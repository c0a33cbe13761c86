#include "value/lower_case.h"

#include <windows.h>

void system_lower_case(char *bytes, int32_t length) {
  if (bytes && length > 0) CharLowerBuffA(bytes, static_cast<DWORD>(length));
}
