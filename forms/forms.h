// The descriptions of the program's three windows.
#pragma once
#include "ui/form_description.h"

const form_description &krynWOP1_description();   // the main window
const form_description &AboutBox_description();   // the about box
const form_description &SetupForm_description();  // the setup wizard
