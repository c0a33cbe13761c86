#include "app/about_box.h"

#include "forms/forms.h"
#include "product/product.h"

TAboutBox *AboutBox = nullptr;

TAboutBox::TAboutBox() : TForm(AboutBox_description()) {
  Panel1 = component<TPanel>("Panel1");
  ProgramIcon = component<TImage>("ProgramIcon");
  ProductName = component<TLabel>("ProductName");
  Version = component<TLabel>("Version");
  Copyright = component<TLabel>("Copyright");
  OKButton = component<TButton>("OKButton");
  Comments = component<TLabel>("Comments");
  FormCreate();
}

void TAboutBox::FormCreate() {
  ProductName->set_text(product_name);
  Version->set_text(product_version);
  Copyright->set_text(product_copyright);
}
