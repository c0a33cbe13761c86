// The command line of quenby-toc, read into what the run needs.
#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "toc/page_settings.h"

struct cli_options {
  std::vector<std::string> files;
  std::string output;          // -o DEST; empty: each FILE in place
  bool has_output = false;
  bool writes_standard_output() const { return has_output && output == "-"; }   // -o -
  bool check = false;
  bool diff = false;           // as check, and print what would change
  bool remove = false;         // take out what the tool inserted
  std::string index;           // --index OUT: the contents page across the FILEs
  bool check_links = false;    // report links to names no page has, and names given twice
  toc_choices choices;         // --levels, --anchors, --names, --skip-class, --style, --number
  bool quiet = false;
  bool recursive = false;      // -r: a FILE that is a folder stands for its pages
  std::vector<std::string> include, exclude;   // globs below such a folder
  int jobs = 0;                // -j N; 0: one per processor
  // --max-size BYTES: larger pages are refused. Far above the window's
  // limit: a page a run has grown must be readable by the next run.
  int32_t max_size = 67108864;
  bool help = false;
  bool version = false;
  bool has_stamp = false;
  int32_t stamp = 0;
};

// False with the reason in error when the command line is not usable.
bool parse_cli_options(const std::vector<std::string> &args, cli_options &options,
                       std::string &error);

// A stamp as given on the command line or in SOURCE_DATE_EPOCH: decimal
// seconds from 0 to 2147483647.
bool parse_stamp(const std::string &text, int32_t &stamp);

extern const char quenby_toc_usage[];
extern const char quenby_toc_version[];
