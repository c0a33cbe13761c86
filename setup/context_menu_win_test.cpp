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

// Under the class of ".html" and for every ".html" file, once each however
// often the installation runs.
TEST(register_context_menu, writes_the_verb_under_the_class_of_html_and_for_every_html_file_once) {
  forget_installation();
  html_class_scope html;
  register_context_menu(krval("C:\\Program Files\\KRYN\\WOP1\\kwop.exe"));
  register_context_menu(krval("C:\\Program Files\\KRYN\\WOP1\\kwop.exe"));
  for (const std::string &verb : {html.verb_key(), every_html_file_verb_key()}) {
    std::string command;
    ASSERT_TRUE(registry_text(HKEY_CLASSES_ROOT, verb + "\\command", "", command)) << verb;
    EXPECT_EQ(command, "\"C:\\Program Files\\KRYN\\WOP1\\kwop.exe\" \"%1\"");
    // Nothing but the command's default value.
    EXPECT_FALSE(registry_has_value(HKEY_CLASSES_ROOT, verb, "")) << verb;
    const std::string shell = verb.substr(0, verb.rfind('\\'));
    int ours = 0;
    for (const std::string &name : registry_sub_keys(HKEY_CLASSES_ROOT, shell))
      if (name == names::context_verb) ++ours;
    EXPECT_EQ(ours, 1) << shell;
  }
  forget_installation();
}

// A fresh system, or one whose browser owns ".html" through the user's
// choice: the class is missing, and the item still comes for every page.
TEST(register_context_menu, an_html_extension_without_a_class_gets_the_verb_for_every_html_file_only) {
  forget_installation();
  const std::string verb = std::string("shell\\") + names::context_verb;
  bool had_extension = registry_has_key(HKEY_CLASSES_ROOT, ".html");
  registry_value_aside aside(HKEY_CLASSES_ROOT, ".html", "");  // puts the class back, if any
  ASSERT_TRUE(set_registry_text(HKEY_CLASSES_ROOT, ".html", "", ""));
  register_context_menu(krval("C:\\x\\kwop.exe"));
  EXPECT_FALSE(registry_has_key(HKEY_CLASSES_ROOT, verb));
  EXPECT_TRUE(registry_has_key(HKEY_CLASSES_ROOT, every_html_file_verb_key() + "\\command"));
  if (!had_extension) {
    forget_installation();
    delete_registry_tree(HKEY_CLASSES_ROOT, ".html");
    register_context_menu(krval("C:\\x\\kwop.exe"));
    EXPECT_FALSE(registry_has_key(HKEY_CLASSES_ROOT, ".html"));
    EXPECT_FALSE(registry_has_key(HKEY_CLASSES_ROOT, verb));
    EXPECT_TRUE(registry_has_key(HKEY_CLASSES_ROOT, every_html_file_verb_key() + "\\command"));
  }
  forget_installation();
}

}  // namespace
