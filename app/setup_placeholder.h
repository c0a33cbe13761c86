// The setup wizard's window until the installer is part of the build: the
// wizard's form as described, on its welcome page, which only closes.
#pragma once
#include "ui/form.h"

class TSetupForm : public TForm {
public:
  TSetupForm();
};

extern TSetupForm *SetupForm;
