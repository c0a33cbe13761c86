#include "app/setup_placeholder.h"

#include <string>
#include "app/center_on_screen.h"
#include "app/main_window.h"
#include "forms/forms.h"

TSetupForm *SetupForm = nullptr;

TSetupForm::TSetupForm() : TForm(SetupForm_description()) {
  set_caption(application_title);
  component<TLabel>("Label1")->set_text((std::string("KRYN ") + application_title + " ").c_str());
  component<TLabel>("Label2")->set_text((std::string("Welcome to ") + application_title + " setup.").c_str());
  component<TButton>("Button3")->set_visible(false);
  bind("Button1", [this] { close(); });
  center_on_screen(handle);
}
