#include "setup/context_menu.h"

#include <windows.h>
#include "winservices/registry.h"
#include "product/installation_names.h"
#include "value/krhash.h"

krval context_menu_command(const krval &program_path) {
  krval command(program_path);
  command.quote_for_command_line();
  command.append(" \"%1\"");
  return command;
}

namespace {

// The verb's keys below base, made or opened in order, and its command
// written; nothing is reported.
void register_verb_under(const krval &base, const krval &command) {
  // The base key, its shell key, the verb and its command, in this order.
  const char *const levels[] = {"shell", installation::context_verb, "command"};
  krval key;
  key.assign_text_of(base);
  bool made = create_registry_key(HKEY_CLASSES_ROOT, key);
  for (const char *level : levels) {
    key.append("\\");
    key.append(level);
    made = create_registry_key(HKEY_CLASSES_ROOT, key);
  }
  if (!made) {
    HKEY opened;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return;
    RegCloseKey(opened);
  }
  krhash values;
  values.set(krval(""), command);
  write_registry_values(HKEY_CLASSES_ROOT, key, values);
}

}  // namespace

// Under the class of ".html" where it names one; and in any case for every
// ".html" file, whichever program owns the type (on a fresh system ".html"
// names no class, and a browser the user chose owns it through the user's
// choice, past the class): without that the item would be missing silently.
void register_context_menu(const krval &program_path) {
  const krval command = context_menu_command(program_path);
  krhash values;
  const krval default_value("");
  values.set(default_value, krval(""));
  krval html_class;
  if (read_registry_values(HKEY_CLASSES_ROOT, krval(installation::html_extension_key), values) &&
      values.get(default_value, html_class) && !html_class.empty())
    register_verb_under(html_class, command);
  register_verb_under(krval(installation::every_html_file_key), command);
}
