// TkrynWOP1: the TOC tool's main window. The user names a source and a
// destination (or keeps "Same as source") and runs the file job; the window
// shows its progress and tells the outcome.
#pragma once
#include <cstdint>
#include "winservices/file_dialogs.h"
#include "toc/toc_style.h"
#include "ui/form.h"
#include "value/krval.h"

class TkrynWOP1 : public TForm {
public:
  TkrynWOP1();

  TTabControl *TabControl1;
  TPanel *Panel1;
  TGroupBox *GroupBox1;
  TEdit *Edit1;
  TButton *Button1;
  TGroupBox *GroupBox2;
  TCheckBox *CheckBox1;
  TEdit *Edit2;
  TButton *Button2;
  TButton *Button5;
  TButton *Button3;
  TProgressBar *ProgressBar1;
  TPanel *Panel2;
  TButton *Button4;
  TMenuItem *Viewresultfile1;

  win_open_save_dialog file_dialog;
  toc_style default_style;
  krval help_file;
  krval result_file;
  krval source_file;
  krval installed_help_file;   // help beside the program, where the start folder has none
  krval written_file;          // what the last successful run wrote; "View result file" opens it
  int32_t shown_percent = -1;  // what the bar shows during a run

  // Puts source_file into the source field unless it is empty.
  void show_source_file();
  // The file job's progress report; context is the window.
  static void show_progress(int32_t percent, void *context);

  void show_single_file_page();
  void show_advanced_page();
  void open_pellory_page();
  // Hands the target to the shell; where it refuses, says so after what.
  void open_with_shell(const krval &target, const char *what);

  void TabControl1Change();
  void SingleFile1Click();
  void MultipleFiles1Click();
  void CheckBox1Click();
  void Button1Click();
  void Button2Click();
  void Button3Click();
  void Button4Click();
  void Button5Click();
  void CreateorremakeTOC1Click();
  void Viewresultfile1Click();
  void Contents1Click();
  void Pellory1Click();
  void VendorSite2Click();
  void About1Click();
  void Exit1Click();
};

extern TkrynWOP1 *krynWOP1;
