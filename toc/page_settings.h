// Settings of the TOC as layers: what the page's TOC comment says
// (<!-- toc levels=2-3 style=details -->), what the command line says, what
// the page's block records of the run that made it, and the defaults. Each
// setting is taken from the first layer that has it. Keys are the long
// option names of quenby-toc.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>
#include "toc/toc_options.h"
#include "toc/toc_style_file.h"

struct toc_levels {
  int32_t from = 1, to = 6;
  bool operator==(const toc_levels &other) const { return from == other.from && to == other.to; }
};

// One layer: a setting that is absent leaves it to the layers below.
struct toc_choices {
  std::optional<std::string> style;   // a predefined style's name or a style file
  std::optional<toc_levels> levels;
  std::optional<toc_anchor_mode> anchors;
  std::optional<toc_naming> names;
  std::optional<std::vector<std::string>> skip_classes;
  std::optional<bool> number;
  std::optional<std::string> within;  // an element selector ("main", "#id", ".class")

  bool any() const;
  bool operator==(const toc_choices &other) const;
};

// Where a layer comes from, which its errors name.
enum class settings_origin : uint8_t { page_comment, command_line, record, defaults };

struct settings_layer {
  const toc_choices *choices;
  settings_origin origin;
};

// The settings of a page, and the layer its style came from (a style file
// named by the page is looked for beside it, and its errors name the line).
struct merged_settings {
  toc_choices choices;   // every setting the layers or the defaults have
  settings_origin style_origin = settings_origin::defaults;
};

// Each setting from the first of layers (in order of priority) that has
// it, else from defaults.
merged_settings merge_settings(const std::vector<settings_layer> &layers, const toc_choices &defaults);

// The window's defaults (classic) and the command line's (html5).
const toc_choices &window_defaults();
const toc_choices &command_line_defaults();

// One choice by its key ("levels", "style", "anchors", "names",
// "skip-class", "number" with yes or no, "within"); false with the reason in
// error. A skip class adds to those chosen before.
bool set_toc_choice(toc_choices &choices, const std::string &key, const std::string &value,
                    std::string &error);

// The settings of a TOC comment (as toc_comment.h reads it) into choices;
// none for a plain comment or one that is no TOC comment. False with the
// reason in error and, in line, the number of line ends in the comment
// before the setting that is wrong: one that is not KEY=VALUE, an unknown
// key, a bad value, or a key given twice (skip-class adds instead).
bool read_comment_settings(const char *comment, int32_t length, toc_choices &choices,
                           std::string &error, int32_t &line);

// Options from merged settings: the style (a predefined one, else a style
// file read through style_files, whose relative name counts from
// style_folder when that is not empty; without a reader, a style file
// cannot be read), with the levels, anchors, names and skipped classes, where given,
// over the style's preferences. A heading's own id names its anchor except
// in the window's form (classic, nothing else), where the block keeps the
// window's comment; elsewhere the block records the settings. False with
// the reason in error (a style file's errors name the file and line). The
// stamp is left as it was.
bool resolve_toc_options(const toc_choices &settings, const std::string &style_folder,
                         const style_file_reader *style_files, toc_options &options,
                         std::string &error);
// The same over options whose style is read already: all but the style.
void apply_settings(const toc_choices &settings, toc_options &options);

// The record of a block's comment: "quenby-toc (" KEY=VALUE words ")".
std::string record_text(const toc_choices &settings);
// The settings of the record in a block's comment, where it holds one; false
// where it holds none, or one that cannot be read.
bool read_record(const char *comment, int32_t length, toc_choices &settings);
