#include "app/command_line.h"

void split_command_line(const char *text, krarr &arguments) {
  arguments.clear();
  if (!text) return;
  bool between_arguments = true;
  bool in_quotes = false;
  krval buffer("");
  for (const char *p = text; *p; ++p) {
    char c = *p;
    if (c == ' ') {
      if (in_quotes) {
        buffer.append_bytes(p, 1);
      } else {
        if (!between_arguments) {
          arguments.add(buffer);   // leaves buffer as empty text
        }
        between_arguments = true;
      }
    } else if (c == '"') {
      if (between_arguments) {
        buffer = "";
        between_arguments = false;
        in_quotes = true;
      } else if (in_quotes) {
        arguments.add(buffer);     // a closed quoted argument counts even when empty
        in_quotes = false;
        between_arguments = true;
      }
      // A quote inside an unquoted argument is dropped.
    } else {
      buffer.append_bytes(p, 1);
      between_arguments = false;
    }
  }
  if (buffer.text_length() > 0) arguments.add(buffer);
}
