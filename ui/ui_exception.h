// The windowing layer's exception: thrown only where a window cannot be made
// at all, and shown by the application's standard exception display.
#pragma once
#include <exception>
#include <string>

class ui_exception : public std::exception {
public:
  explicit ui_exception(std::string text) : message(std::move(text)) {}
  const char *what() const noexcept override { return message.c_str(); }

private:
  std::string message;
};
