#include "setup/setup_form.h"

#include <string>
#include "winservices/center_on_screen.h"
#include "winservices/file_dialogs.h"
#include "forms/forms.h"
#include "fs/fs.h"
#include "product/installation_names.h"
#include "product/product.h"
#include "setup/installer_paths.h"
#include "ui/application.h"

namespace names = installation;

TSetupForm *SetupForm = nullptr;

namespace {

const char running_message[] = "Before installation you need to close running\r\n";
const char incomplete_message[] = "The distribution is incomplete: ";
const char licence_failure_message[] = "File error";
const char registry_read_message[] =
    "Setup can't read system registry.The probable reason is either you don't have enough "
    "rights or registry is corrupt.";
const char previous_version_notice[] =
    "Previous version of software is detected. It is highly recommended that you install "
    "current version to the same directory.";

const char *const distribution[] = {"setup.exe",  "kr_px_regex.dll", "remove.exe", "readme.txt",
                                    "help.html",  "license.txt",     "htmltoc.gif"};

std::string title_plus(const char *text) { return std::string(product_title) + text; }

// A file in a folder, whether or not the folder's name ends in a backslash.
std::string in_folder(const krval &folder, const std::string &name) {
  std::string path = folder.str();
  if (!path.empty() && path.back() != '\\') path += '\\';
  return path + name;
}

// The folder that holds the running program, with its trailing backslash.
krval program_folder() {
  char buffer[MAX_PATH * 4];
  DWORD n = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
  std::string path = n > 0 && n < sizeof buffer ? std::string(buffer, n) : std::string();
  return krval(path.substr(0, path.find_last_of('\\') + 1).c_str());
}

}  // namespace

TSetupForm::TSetupForm() : TForm(SetupForm_description()) {
  find_components();
  if (is_program_running()) {
    say((std::string(running_message) + product_title).c_str(), MB_OK | MB_ICONSTOP);
    setup_aborted = true;
    return;
  }

  for (const char *name : distribution) dist_files.add_copy(krval(name));
  page_index = 0;
  required_bytes = krval(0);
  setup_aborted = false;
  install_dir = krval("");
  browse_start_dir = krval("");

  set_caption(product_title);
  Label1->set_text((std::string(product_maker_brand) + " " + title_plus(" ")).c_str());
  Label2->set_text(("Welcome to " + title_plus(" setup.")).c_str());
  Label8->set_text("");

  std::string missing;
  if (!find_distribution(missing)) {
    say((incomplete_message + missing + " is missing.\nTerminating.").c_str(), MB_OK | MB_ICONSTOP);
    setup_aborted = true;
    return;
  }

  krval kilobytes = required_kilobytes(required_bytes);
  krval shown;
  format_number(shown, krval(kilobytes.c_str()));
  Label7->set_text(("The program requires " + shown.str() + " Kb of the disk space.").c_str());
  Label12->set_text(title_plus(" setup is complete.").c_str());

  set_size(Button1->left() + Button1->width() + 41,
           Panel2->height() + Label3->top() + Label3->height() + Panel1->height() + 45);
  show_page();
  center_on_screen(handle);
}

void TSetupForm::find_components() {
  Panel2 = component<TPanel>("Panel2");
  Image1 = component<TImage>("Image1");
  Label1 = component<TLabel>("Label1");
  Panel1 = component<TPanel>("Panel1");
  Button1 = component<TButton>("Button1");
  Button2 = component<TButton>("Button2");
  Button3 = component<TButton>("Button3");
  Panel3 = component<TPanel>("Panel3");
  Label2 = component<TLabel>("Label2");
  Label3 = component<TLabel>("Label3");
  Panel4 = component<TPanel>("Panel4");
  Memo1 = component<TMemo>("Memo1");
  Panel5 = component<TPanel>("Panel5");
  Label13 = component<TLabel>("Label13");
  Button4 = component<TButton>("Button4");
  Label7 = component<TLabel>("Label7");
  Label8 = component<TLabel>("Label8");
  CheckBox1 = component<TCheckBox>("CheckBox1");
  CheckBox2 = component<TCheckBox>("CheckBox2");
  Panel7 = component<TPanel>("Panel7");
  Label15 = component<TLabel>("Label15");
  Label16 = component<TLabel>("Label16");
  Label17 = component<TLabel>("Label17");
  Panel6 = component<TPanel>("Panel6");
  ProgressBar1 = component<TProgressBar>("ProgressBar1");
  Label10 = component<TLabel>("Label10");
  Label12 = component<TLabel>("Label12");
  bind("Button1", [this] { Button1Click(); });
  bind("Button2", [this] { Button2Click(); });
  bind("Button3", [this] { Button3Click(); });
  bind("Button4", [this] { Button4Click(); });
}

// The distribution is looked for in the current folder, where a user who
// opens its folder starts setup.exe, and else beside setup.exe, started by
// its full path from another folder (as the Run box does); found there, that
// folder becomes the current one, from which every later step reads. Where
// neither holds all of it, missing names the first file missing from the
// one that holds more.
bool TSetupForm::find_distribution(std::string &missing) {
  krval here;
  get_current_directory(here);
  std::string missing_here, missing_beside;
  int found_here = 0, found_beside = 0;
  if (measure_distribution(missing_here, found_here)) return true;
  krval beside = program_folder();
  krval folder(beside);
  if (!beside.empty() && set_current_directory(folder)) {
    required_bytes = krval(0);
    if (measure_distribution(missing_beside, found_beside)) return true;
    krval back(here);
    set_current_directory(back);
  }
  missing = found_beside > found_here ? in_folder(beside, missing_beside) : in_folder(here, missing_here);
  return false;
}

// Whether every file of the distribution stands in the current folder, how
// many do, and the first that does not; the sum of their sizes is what the
// installation needs on the destination drive.
bool TSetupForm::measure_distribution(std::string &missing, int &found) {
  krval name;
  dist_files.reset_cursor();
  while (dist_files.next(name)) {
    krfile_node entry;
    krval path(name);
    if (!stat_path(entry, path)) {
      if (missing.empty()) missing = name.str();
      continue;
    }
    required_bytes.add(entry.size);
    ++found;
  }
  if (!missing.empty()) return false;
  dist_folders.reset_cursor();
  while (dist_folders.next(name)) {
    krfile_tree listing;
    krval folder(name);
    if (!list_directory(folder, listing, nullptr, 1, krval("*.*"))) {
      missing = name.str();
      return false;
    }
    for (krfile_node *entry = listing.first; entry; entry = entry->next)
      if (!entry->is_directory) required_bytes.add(entry->size);
    krval up("..");
    set_current_directory(up);
  }
  return true;
}

int TSetupForm::say(const char *text, unsigned style) {
  return Application.message_box(handle, text, product_title, style);
}

void TSetupForm::Button1Click() { close(); }

void TSetupForm::Button2Click() {
  ++page_index;
  show_page();
}

void TSetupForm::Button3Click() {
  --page_index;
  show_page();
}

void TSetupForm::Button4Click() {
  win_dir_open_dialog dialog;
  dialog.owner = handle;
  dialog.title = krval(title_plus("\r\nSelect an installation folder").c_str());
  dialog.initial_folder = browse_start_dir;
  if (dialog.execute()) choose_install_dir(dialog.folder);
}

void TSetupForm::choose_install_dir(const krval &chosen_folder) {
  install_dir = install_dir_in(chosen_folder);
  show_install_dir();
}

void TSetupForm::show_install_dir() {
  browse_start_dir = install_dir;
  existing_path_prefix(browse_start_dir);
  krval shown(install_dir);
  shorten_path(shown, 60);
  Label13->set_text(shown.c_str());
}

void TSetupForm::FormShow() {
  if (setup_aborted) close();
}

LRESULT TSetupForm::handle_message(UINT message, WPARAM w, LPARAM l) {
  if (message == WM_SHOWWINDOW && w) FormShow();
  return TForm::handle_message(message, w, l);
}

void TSetupForm::show_page() {
  switch (page_index) {
  case 1:
    if (!enter_licence_page()) return;
    break;
  case 2:
    if (!enter_destination_page()) return;
    break;
  case 3:
    enter_ready_page();
    break;
  case 4:
    if (!run_installation()) return;
    break;
  default:
    break;
  }
  display_page();
}

bool TSetupForm::enter_licence_page() {
  krval name("license.txt");
  krval text("");
  if (!read_whole_file(name, text)) {
    say(licence_failure_message, MB_OK | MB_ICONSTOP);
    close();
    return false;
  }
  Memo1->set_text(text.c_str());
  return true;
}

bool TSetupForm::enter_destination_page() {
  if (!install_dir.empty()) return true;
  if (read_previous_install_dir(install_dir)) {
    Label8->set_text(previous_version_notice);
  } else {
    if (!get_program_files_dir(install_dir)) {
      say(registry_read_message, MB_OK | MB_ICONSTOP);
      close();
      return false;
    }
    install_dir.append("\\KRYN\\WOP1");
  }
  show_install_dir();
  return true;
}

void TSetupForm::enter_ready_page() {
  Label15->set_text(Label13->text().c_str());
  Label16->set_text(CheckBox1->checked() ? "Yes, create a desktop icon."
                                         : "No, do not create a desktop icon.");
  Label17->set_text(CheckBox2->checked()
                        ? "Yes, add explorer shell extension [context menu item]."
                        : "No, do not add explorer shell extension [context menu item].");
}

void TSetupForm::show_only_panel(TPanel *panel) {
  for (TPanel *page : {Panel3, Panel4, Panel5, Panel7, Panel6})
    if (page != panel) page->set_visible(false);
  panel->set_visible(true);
}

void TSetupForm::display_page() {
  switch (page_index) {
  case 0:
    show_only_panel(Panel3);
    Button1->set_text("Cancel");
    Button2->set_text("Next >");
    Button1->set_visible(true);
    Button2->set_visible(true);
    Button3->set_visible(false);
    break;
  case 1:
    show_only_panel(Panel4);
    Button1->set_text("Don't Accept");
    Button2->set_text("Accept");
    Button1->set_visible(true);
    Button2->set_visible(true);
    Button3->set_visible(true);
    break;
  case 2:
    show_only_panel(Panel5);
    Button1->set_text("Cancel");
    Button2->set_text("Next >");
    Button1->set_visible(true);
    Button2->set_visible(true);
    Button3->set_visible(true);
    CheckBox2->set_visible(true);
    break;
  case 3:
    show_only_panel(Panel7);
    Button1->set_text("Cancel");
    Button2->set_text("Start installation");
    Button1->set_visible(true);
    Button2->set_visible(true);
    Button3->set_visible(true);
    Label17->set_visible(true);
    break;
  case 4:
    show_only_panel(Panel6);
    Button1->set_text("Finish");
    Button1->set_visible(true);
    Button2->set_visible(false);
    Button3->set_visible(false);
    Label12->set_visible(true);
    Button1->set_focus();
    break;
  default:
    break;
  }
}
