// TAboutBox: the product's name, version and copyright, shown modally.
#pragma once
#include "ui/form.h"

class TAboutBox : public TForm {
public:
  TAboutBox();

  TPanel *Panel1;
  TImage *ProgramIcon;
  TLabel *ProductName;
  TLabel *Version;
  TLabel *Copyright;
  TButton *OKButton;
  TLabel *Comments;

  void FormCreate();
};

extern TAboutBox *AboutBox;
