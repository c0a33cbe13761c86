// The program's entry point. One program file is both the TOC tool
// (kwop.exe) and its installer (setup.exe); under any other name it does
// nothing, so a renamed copy can never run by accident.
#include <windows.h>
#include <exception>
#include "app/about_box.h"
#include "app/command_line.h"
#include "app/main_window.h"
#include "app/module_file_name.h"
#include "app/run_mode.h"
#include "forms/resource_ids.h"
#include "product/product.h"
#include "regex/regex_binding.h"
#include "ui/application.h"
#include "ui/ui_exception.h"
#include "value/krarr.h"

#include "setup/setup_form.h"

namespace {

void create_forms(run_mode mode, const char *command_line) {
  if (mode == run_mode::setup) {
    Application.create_form(SetupForm);
    return;
  }
  Application.create_form(krynWOP1);
  krarr arguments;
  split_command_line(command_line, arguments);
  if (arguments.count() > 0) {
    // The context-menu command passes the clicked file first; the rest is ignored.
    krynWOP1->source_file = arguments.at(0);
    krynWOP1->source_file.set_type(KR_TEXT);
    krynWOP1->show_source_file();
  }
  Application.create_form(AboutBox);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR command_line, int) {
  krval path;
  module_file_name(path);
  run_mode mode = decide_run_mode(path);
  if (mode == run_mode::none) return 0;

  if (!load_regex_library()) {
    MessageBoxA(nullptr, "Can't load kr_px_regex.dll", "Fatal Error", MB_OK | MB_ICONSTOP);
    return 0;
  }

  try {
    Application.set_title(product_title);
    Application.icon_resource = QUENBY_ICON_RESOURCE;
    Application.initialize();
    create_forms(mode, command_line ? command_line : "");
    Application.run();
  } catch (const std::exception &e) {
    Application.show_exception(e);
  }
  Application.free_forms();

  release_regex_library();
  return 0;
}
