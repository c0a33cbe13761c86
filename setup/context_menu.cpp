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

void register_context_menu(const krval &program_path) {
  krhash values;
  const krval default_value("");
  values.set(default_value, krval(""));
  if (!read_registry_values(HKEY_CLASSES_ROOT, krval(installation::html_extension_key), values))
    return;
  krval html_class;
  if (!values.get(default_value, html_class) || html_class.empty()) return;

  // The class key, its shell key, the verb and its command, in this order.
  const char *const levels[] = {"shell", installation::context_verb, "command"};
  krval key;
  key.assign_text_of(html_class);
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

  values.clear();
  values.set(default_value, context_menu_command(program_path));
  write_registry_values(HKEY_CLASSES_ROOT, key, values);
}
