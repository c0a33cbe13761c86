// The descriptions of the program's three windows.
#pragma once
#include "ui/form_description.h"

const form_description &krynWOP1_description();   // the main window
const form_description &AboutBox_description();   // the about box
const form_description &SetupForm_description();  // the setup wizard

// The texts of the about box, also shown elsewhere.
extern const char product_name[];       // "Quenby"
extern const char product_version[];    // "Version 1.0"
extern const char product_copyright[];
