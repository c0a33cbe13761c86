#include "app/main_window.h"

#include "app/about_box.h"
#include "app/module_file_name.h"
#include "winservices/center_on_screen.h"
#include "winservices/shell.h"
#include "forms/forms.h"
#include "fs/fs.h"
#include "product/product.h"
#include "page_files/make_toc_file.h"
#include "toc/toc_tree.h"
#include "ui/application.h"

TkrynWOP1 *krynWOP1 = nullptr;

namespace {

constexpr unsigned problem_style = MB_OK | MB_ICONEXCLAMATION;   // 48
constexpr unsigned success_style = MB_OK;                        // 0

// The job's own words for a page the parser would refuse at its end.
const char memory_error[] = "Memory error occured\r\n";

bool is_file(const krval &path) {
  krfile_node entry;
  krval copy(path);
  return stat_path(entry, copy) && !entry.is_directory;
}

// At or over the parser's limit: such a page is refused before a byte of it
// is read, instead of after reading all of it.
bool is_too_large(const krval &path) {
  krfile_node entry;
  krval copy(path);
  return stat_path(entry, copy) && !entry.is_directory &&
         entry.size.as_real() >= static_cast<double>(krhtml::kSizeLimit);
}

}  // namespace

// The shell's refusal is said, naming what could not be opened.
void TkrynWOP1::open_with_shell(const krval &target, const char *what) {
  krval verb("open");
  krval copy(target);
  if (shell_open(verb, copy)) return;
  krval text(what);
  text.append(target);
  Application.message_box(handle, text.c_str(), product_title, problem_style);
}

TkrynWOP1::TkrynWOP1() : TForm(krynWOP1_description()) {
  TabControl1 = component<TTabControl>("TabControl1");
  Panel1 = component<TPanel>("Panel1");
  GroupBox1 = component<TGroupBox>("GroupBox1");
  Edit1 = component<TEdit>("Edit1");
  Button1 = component<TButton>("Button1");
  GroupBox2 = component<TGroupBox>("GroupBox2");
  CheckBox1 = component<TCheckBox>("CheckBox1");
  Edit2 = component<TEdit>("Edit2");
  Button2 = component<TButton>("Button2");
  Button5 = component<TButton>("Button5");
  Button3 = component<TButton>("Button3");
  ProgressBar1 = component<TProgressBar>("ProgressBar1");
  Panel2 = component<TPanel>("Panel2");
  Button4 = component<TButton>("Button4");
  Viewresultfile1 = menu_item("Viewresultfile1");

  bind("TabControl1", [this] { TabControl1Change(); });
  bind("CheckBox1", [this] { CheckBox1Click(); });
  bind("Button1", [this] { Button1Click(); });
  bind("Button2", [this] { Button2Click(); });
  bind("Button3", [this] { Button3Click(); });
  bind("Button4", [this] { Button4Click(); });
  bind("Button5", [this] { Button5Click(); });
  bind("CreateorremakeTOC1", [this] { CreateorremakeTOC1Click(); });
  bind("Exit1", [this] { Exit1Click(); });
  bind("Viewresultfile1", [this] { Viewresultfile1Click(); });
  bind("SingleFile1", [this] { SingleFile1Click(); });
  bind("MultipleFiles1", [this] { MultipleFiles1Click(); });
  bind("Contents1", [this] { Contents1Click(); });
  bind("Pellory1", [this] { Pellory1Click(); });
  bind("About1", [this] { About1Click(); });
  bind("VendorSite2", [this] { VendorSite2Click(); });

  source_file = "";
  result_file = "";
  set_caption(product_title);

  // Help is looked for where the tool was started from, and where that
  // folder has none (the page's folder, when the context menu started it)
  // beside the program, where the installation puts it.
  get_current_directory(help_file);
  help_file.set_type(KR_TEXT);
  int32_t n = help_file.text_length();
  if (n > 0 && help_file.c_str()[n - 1] == '\\') help_file.set_length(n - 1);
  help_file.append("\\help.html");
  module_folder(installed_help_file);
  installed_help_file.set_type(KR_TEXT);
  installed_help_file.append("help.html");

  // The save dialog gives a name typed without an extension the first one
  // of the chosen filter (the default one where the filter has none): .html.
  static const char filter[] =
      "HTML Files (*.htm;*.html;*.shtml)\0*.html;*.htm;*.shtml\0All Files (*.*)\0*.*\0";
  file_dialog.filter = krval(filter, static_cast<int32_t>(sizeof filter));
  file_dialog.owner = handle;
  file_dialog.add_overwrite_prompt();
  file_dialog.default_ext = "html";

  set_size(Button3->left() + Button3->width() + 26, Button3->top() + Button3->height() + 115);
  center_on_screen(handle);
}

void TkrynWOP1::show_source_file() {
  if (!source_file.empty()) Edit1->set_text(source_file);
}

// The job reports after every chunk it reads, hundreds of times on a large
// page: the window is brought up to date only when the bar moves, and then
// only where it needs it, so that the work is not held up by painting.
void TkrynWOP1::show_progress(int32_t percent, void *context) {
  auto *window = static_cast<TkrynWOP1 *>(context);
  if (percent == window->shown_percent) return;
  window->shown_percent = percent;
  window->ProgressBar1->set_position(percent);
  window->update_now();
}

void TkrynWOP1::show_single_file_page() {
  Panel1->set_visible(true);
  Panel2->set_visible(false);
}

void TkrynWOP1::show_advanced_page() {
  Panel1->set_visible(false);
  Panel2->set_visible(true);
}

void TkrynWOP1::TabControl1Change() {
  switch (TabControl1->tab_index()) {
  case 0: show_single_file_page(); break;
  case 1: show_advanced_page(); break;
  default: break;
  }
}

void TkrynWOP1::SingleFile1Click() {
  show_single_file_page();
  TabControl1->set_tab_index(0);
}

void TkrynWOP1::MultipleFiles1Click() {
  show_advanced_page();
  TabControl1->set_tab_index(1);
}

void TkrynWOP1::CheckBox1Click() {
  bool own_destination = !CheckBox1->checked();
  Edit2->set_enabled(own_destination);
  Button2->set_enabled(own_destination);
}

void TkrynWOP1::Button1Click() {
  if (file_dialog.execute_open()) Edit1->set_text(file_dialog.file_name);
}

void TkrynWOP1::Button2Click() {
  if (file_dialog.execute_save()) Edit2->set_text(file_dialog.file_name);
}

void TkrynWOP1::Button3Click() { CreateorremakeTOC1Click(); }

void TkrynWOP1::CreateorremakeTOC1Click() {
  source_file = Edit1->text();
  if (source_file.empty()) {
    Application.message_box(handle, "Source file must be specified", product_title, problem_style);
    return;
  }
  if (CheckBox1->checked()) {
    result_file = source_file;
  } else {
    result_file = Edit2->text();
    if (result_file.empty()) {
      Application.message_box(handle, "Destination file must be specified", product_title,
                              problem_style);
      return;
    }
  }

  if (is_too_large(source_file)) {
    Application.message_box(handle, memory_error, product_title, problem_style);
    return;
  }

  toc_tree tree;
  toc_node *last_entry = nullptr;
  toc_node *first_entry = nullptr;
  krval message("");
  shown_percent = -1;
  ProgressBar1->set_position(0);
  ProgressBar1->set_visible(true);
  int32_t result = make_toc_file(source_file, result_file, 1, default_style, tree, last_entry,
                                 first_entry, message, show_progress, this);
  ProgressBar1->set_visible(false);
  if (result != 0) {
    Application.message_box(handle, message.c_str(), product_title, problem_style);
    return;
  }
  written_file = result_file;
  Viewresultfile1->set_enabled(true);
  Button5->set_enabled(true);
  Application.message_box(handle, "HTML TOC is created", product_title, success_style);
}

// The file the last successful run wrote, not the destination of a later
// run that failed.
void TkrynWOP1::Viewresultfile1Click() {
  if (!written_file.empty()) open_with_shell(written_file, "Can't open result file: ");
}
void TkrynWOP1::Button5Click() { Viewresultfile1Click(); }

void TkrynWOP1::Contents1Click() {
  open_with_shell(is_file(help_file) ? help_file : installed_help_file, "Can't open help file: ");
}

void TkrynWOP1::open_pellory_page() {
  open_with_shell(krval((std::string(kryn_web_address) + "/pellory/?r=wop").c_str()),
                  "Can't open web page: ");
}

void TkrynWOP1::Pellory1Click() { open_pellory_page(); }
void TkrynWOP1::Button4Click() { open_pellory_page(); }

void TkrynWOP1::VendorSite2Click() {
  open_with_shell(krval((std::string(kryn_web_address) + "?r=wop").c_str()), "Can't open web page: ");
}

void TkrynWOP1::About1Click() { AboutBox->show_modal(); }

void TkrynWOP1::Exit1Click() { close(); }
