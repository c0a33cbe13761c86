// TApplication: the program's forms and its message loop. The first form
// created is the main form; closing it ends the loop.
#pragma once
#include <windows.h>
#include <exception>
#include <vector>
#include "value/krval.h"

// What the application knows of each of its forms: the window, its
// shortcuts, and how to show it. The forms themselves (TForm) sit on this.
class application_form {
public:
  virtual ~application_form() = default;
  virtual void show() = 0;

  HWND handle = nullptr;
  HACCEL accelerators = nullptr;
};

class TApplication {
public:
  krval title;
  application_form *main_form = nullptr;
  int icon_resource = 0;          // the forms' window icon; 0: the system's
  std::vector<application_form *> forms;   // owned, in creation order

  void set_title(const char *text) { title = text; }
  // Registers the common controls and the layer's own window classes.
  void initialize();
  template <class T> void create_form(T *&reference) {
    T *form = new T();
    reference = form;
    adopt(form);
  }
  // Runs until the main form has closed.
  void run();
  // One message through the accelerators and keyboard navigation of its form.
  void dispatch(MSG &message);
  // The standard display of an exception: its text, the title, a stop icon.
  void show_exception(const std::exception &e);
  int message_box(HWND owner, const char *text, const char *caption, unsigned style);
  // Destroys every form, the last created first.
  void free_forms();
  application_form *form_of(HWND window) const;
  HINSTANCE instance() const;

private:
  void adopt(application_form *form);
};

extern TApplication Application;
