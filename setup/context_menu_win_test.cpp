#include "setup/context_menu.h"

#include <gtest/gtest.h>
#include "product/installation_names.h"
#include "test_support/install_test_support_win32.h"
#include "test_support/test_registry_win32.h"

namespace names = installation;

namespace {

TEST(context_menu_command, quotes_a_path_with_blanks_and_always_the_placeholder) {
  EXPECT_EQ(context_menu_command(krval("C:\\Program Files\\KRYN\\WOP1\\kwop.exe")).str(),
            "\"C:\\Program Files\\KRYN\\WOP1\\kwop.exe\" \"%1\"");
  EXPECT_EQ(context_menu_command(krval("D:\\Tools\\WOP1\\kwop.exe")).str(),
            "D:\\Tools\\WOP1\\kwop.exe \"%1\"");
  EXPECT_EQ(context_menu_command(krval("\"C:\\x y\\kwop.exe\"")).str(), "\"C:\\x y\\kwop.exe\" \"%1\"");
  EXPECT_EQ(context_menu_command(krval("C:\\a\tb\\kwop.exe")).str(), "\"C:\\a\tb\\kwop.exe\" \"%1\"");
}

TEST(register_context_menu, writes_the_verb_under_the_class_of_html_once) {
  forget_installation();
  html_class_scope html;
  register_context_menu(krval("C:\\Program Files\\KRYN\\WOP1\\kwop.exe"));
  register_context_menu(krval("C:\\Program Files\\KRYN\\WOP1\\kwop.exe"));
  std::string command;
  ASSERT_TRUE(registry_text(HKEY_CLASSES_ROOT, html.command_key(), "", command));
  EXPECT_EQ(command, "\"C:\\Program Files\\KRYN\\WOP1\\kwop.exe\" \"%1\"");
  int ours = 0;
  for (const std::string &verb : registry_sub_keys(HKEY_CLASSES_ROOT, html.html_class() + "\\shell"))
    if (verb == names::context_verb) ++ours;
  EXPECT_EQ(ours, 1);
  // Nothing but the command's default value.
  EXPECT_FALSE(registry_has_value(HKEY_CLASSES_ROOT, html.verb_key(), ""));
}

TEST(register_context_menu, an_html_extension_without_a_class_gets_nothing) {
  forget_installation();
  const std::string verb = std::string("shell\\") + names::context_verb;
  bool had_extension = registry_has_key(HKEY_CLASSES_ROOT, ".html");
  registry_value_aside aside(HKEY_CLASSES_ROOT, ".html", "");  // puts the class back, if any
  ASSERT_TRUE(set_registry_text(HKEY_CLASSES_ROOT, ".html", "", ""));
  register_context_menu(krval("C:\\x\\kwop.exe"));
  EXPECT_FALSE(registry_has_key(HKEY_CLASSES_ROOT, verb));
  if (!had_extension) {
    delete_registry_tree(HKEY_CLASSES_ROOT, ".html");
    register_context_menu(krval("C:\\x\\kwop.exe"));
    EXPECT_FALSE(registry_has_key(HKEY_CLASSES_ROOT, ".html"));
    EXPECT_FALSE(registry_has_key(HKEY_CLASSES_ROOT, verb));
  }
}

}  // namespace
