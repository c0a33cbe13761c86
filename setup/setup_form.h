// TSetupForm: the setup wizard, the program's only window in setup mode. One
// form with a header, a button bar and five pages (Welcome, Licence,
// Destination, Ready, Progress) of which one is shown at a time. Construction
// checks that the tool is not running and that the distribution is complete;
// "Start installation" runs the whole installation inside its handler.
#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "ui/form.h"
#include "value/krarr.h"
#include "value/krval.h"

class TSetupForm : public TForm {
public:
  TSetupForm();

  // The header and the button bar.
  TPanel *Panel2;
  TImage *Image1;
  TLabel *Label1;
  TPanel *Panel1;
  TButton *Button1;   // "Cancel", "Don't Accept" or "Finish"
  TButton *Button2;   // "Next >", "Accept" or "Start installation"
  TButton *Button3;   // "< Back"
  // Page 0, Welcome.
  TPanel *Panel3;
  TLabel *Label2;
  TLabel *Label3;
  // Page 1, Licence.
  TPanel *Panel4;
  TMemo *Memo1;
  // Page 2, Destination.
  TPanel *Panel5;
  TLabel *Label13;    // the shortened installation folder
  TButton *Button4;   // "Browse ..."
  TLabel *Label7;     // the required size
  TLabel *Label8;     // the previous-version notice
  TCheckBox *CheckBox1;   // desktop shortcut
  TCheckBox *CheckBox2;   // context-menu command
  // Page 3, Ready.
  TPanel *Panel7;
  TLabel *Label15;
  TLabel *Label16;
  TLabel *Label17;
  // Page 4, Progress, then the finish state.
  TPanel *Panel6;
  TProgressBar *ProgressBar1;
  TLabel *Label10;
  TLabel *Label12;

  int32_t page_index = 0;
  krarr dist_files;       // the distribution's files, in copy order
  krarr dist_folders;     // sub-folders copied whole; none in this distribution
  krval required_bytes;   // the distribution's size, measured at construction
  bool setup_aborted = false;
  krval install_dir;      // empty until the Destination page is first shown
  krval browse_start_dir;
  // Every figure report_progress has shown during the latest run, in order.
  std::vector<int32_t> progress_history;

  void Button1Click();
  void Button2Click();
  void Button3Click();
  void Button4Click();
  void FormShow();

  // The entry action of page page_index, then its display.
  void show_page();
  // The Progress page's work; false when it stopped (the Ready page is back).
  bool run_installation();
  void report_progress(int32_t progress_counter);
  void fail_installation(const char *message);

  // What Browse does with the folder the user chose.
  void choose_install_dir(const krval &chosen_folder);

protected:
  LRESULT handle_message(UINT message, WPARAM w, LPARAM l) override;

private:
  void find_components();
  bool find_distribution(std::string &missing);
  bool measure_distribution(std::string &missing, int &found);
  // Page entry actions; false when the page must not be shown.
  bool enter_licence_page();
  bool enter_destination_page();
  void enter_ready_page();
  void display_page();
  void show_only_panel(TPanel *panel);
  int say(const char *text, unsigned style);
  void show_install_dir();
  // run_installation's stages; each false after it has reported a failure.
  bool check_free_space();
  bool make_install_folder(krval &drive_root);
  bool record_install_folder();
  bool copy_file_into(krval &source, const krval &destination, int32_t &progress_counter);
  bool copy_distribution(const krval &folder, int32_t &progress_counter);
  bool make_start_menu(const krval &folder, krval &start_menu_dir);
  void make_desktop_link(const krval &folder);
  void make_uninstall_entry(const krval &folder);
};

extern TSetupForm *SetupForm;
