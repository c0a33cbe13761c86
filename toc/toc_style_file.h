// Style files: a TOC style as KEY = VALUE lines, one field each, over the
// classic style. Text values stand in double quotes with \r, \n, \t, \" and
// \\; numbers and switches stand bare. Blank lines and lines starting with #
// are passed over.
#pragma once
#include <string>
#include "toc/toc_options.h"

// Where the engine gets a style file's text: it opens no file itself, so
// the caller that has files (page_files/style_files.h) reads them for it.
class style_file_reader {
public:
  virtual ~style_file_reader() = default;
  // The text of the file at path; false with "PATH: reason" in error.
  virtual bool read(const std::string &path, std::string &text, std::string &error) const = 0;
  // Whether style, a relative name, still lies within folder once links
  // are followed: a page may name style files below its own folder only.
  // True where either cannot be looked up (reading then names the file).
  virtual bool lies_within(const std::string &folder, const std::string &style) const = 0;
};

// A style from its text; name is what messages call it. False with
// "NAME:LINE: reason" (or "NAME: reason") in error; style and layout are
// then as they were.
bool read_style_text(const std::string &text, const std::string &name, toc_style &style,
                     toc_layout &layout, std::string &error);
