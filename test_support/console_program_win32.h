// A console program run to its end with what it writes caught, for the tests
// of quenby-toc.exe as a user starts it from a command prompt. The command
// line and folder are wide, so that names beyond the code page reach it as
// the system's shell would hand them over.
#pragma once
#include <windows.h>
#include <string>

struct console_run {
  bool started = false;
  DWORD exit_code = 0;
  std::string output;   // standard output and standard error, as written
};

// Runs the whole command line (program first, quoted by the caller) in the
// folder and waits up to the time; a program still running then is killed
// and reported with exit code 99.
console_run run_console_program(const std::wstring &command_line, const std::wstring &folder,
                                DWORD milliseconds = 60000);

// UTF-8 text as the system's wide text, and back.
std::wstring wide(const std::string &utf8);
std::string utf8(const std::wstring &text);
