// What a user chose for the TOC, on the command line or in a page's TOC
// comment (<!-- toc levels=2-3 style=details -->), and the options a run
// takes from it. Keys are the long option names of quenby-toc.
#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "toc/toc_options.h"
#include "toc/toc_style_file.h"

struct toc_choices {
  bool has_levels = false;
  int32_t levels_from = 1, levels_to = 6;
  std::string style;                // a predefined style's name or a style file; empty: not chosen
  bool has_anchors = false;
  toc_anchor_mode anchors = toc_anchor_mode::name;
  bool has_names = false;
  toc_naming names = toc_naming::stamp;
  bool has_skip_classes = false;
  std::vector<std::string> skip_classes;
  bool has_number = false;
  bool number = false;

  bool any() const;
  // Takes under's choice wherever this has none: the command line's
  // choices win over a page's.
  void fill_from(const toc_choices &under);
};

// One choice by its key ("levels", "style", "anchors", "names",
// "skip-class", "number" with yes or no); false with the reason in error. A skip class adds to those
// chosen before.
bool set_toc_choice(toc_choices &choices, const std::string &key, const std::string &value,
                    std::string &error);

// The settings of a TOC comment (as toc_comment.h reads it) into choices;
// none for a plain comment or one that is no TOC comment. False with the
// reason in error and, in line, the number of line ends in the comment
// before the setting that is wrong: one that is not KEY=VALUE, an unknown
// key, a bad value, or a key given twice (skip-class adds instead).
bool read_comment_settings(const char *comment, int32_t length, toc_choices &choices,
                           std::string &error, int32_t &line);

// Options from choices: the chosen style (a predefined one, else a style
// file read through style_files, whose relative name counts from
// style_folder when that is not empty), with the levels, anchors, names and
// skipped classes chosen. A style that prefers id anchors gets them unless
// anchors were chosen. False with the reason in error (a style file's errors
// name the file and line; without a reader, a style file cannot be read).
// The stamp is left as it was.
bool resolve_toc_options(const toc_choices &choices, const std::string &style_folder,
                         const style_file_reader *style_files, toc_options &options,
                         std::string &error);
