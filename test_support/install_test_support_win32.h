// What the installer's and the uninstaller's tests share: no installation
// before or after a test, an HTML file class to register the verb in, and a
// stand-in for the running tool.
#pragma once
#include <windows.h>
#include <string>

// Removes every registry entry an installation makes (the record, the uninstall
// entry, both context-menu verbs) and its shortcuts in the Start-menu and desktop
// folders, whoever made them: each test starts and ends with no installation.
void forget_installation();

// The key of the context-menu verb for every ".html" file, whichever program
// owns the type; its command key is this and "\\command".
std::string every_html_file_verb_key();

// Makes sure ".html" names a file class for the length of a test, and puts
// back what was there before.
class html_class_scope {
public:
  html_class_scope();
  ~html_class_scope();
  html_class_scope(const html_class_scope &) = delete;
  html_class_scope &operator=(const html_class_scope &) = delete;
  const std::string &html_class() const { return class_name; }
  std::string verb_key() const;      // the class's key of our verb
  std::string command_key() const;   // and its command key

private:
  std::string class_name;
  bool made_extension = false;
  bool made_class = false;
};

// A top-level window of the tool's main window class, which tells the
// installer and the uninstaller that the tool is running.
class fake_running_tool {
public:
  fake_running_tool();
  ~fake_running_tool();
  fake_running_tool(const fake_running_tool &) = delete;
  fake_running_tool &operator=(const fake_running_tool &) = delete;

private:
  HWND window = nullptr;
};
