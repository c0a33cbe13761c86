#include "value/lower_case.h"

void system_lower_case(char *bytes, int32_t length) {
  for (int32_t i = 0; i < length; ++i)
    if (bytes[i] >= 'A' && bytes[i] <= 'Z') bytes[i] = static_cast<char>(bytes[i] - 'A' + 'a');
}
