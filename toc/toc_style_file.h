// Style files: a TOC style as KEY = VALUE lines, one field each, over the
// classic style. Text values stand in double quotes with \r, \n, \t, \" and
// \\; numbers and switches stand bare. Blank lines and lines starting with #
// are passed over.
#pragma once
#include <string>
#include "toc/toc_options.h"

// False with "FILE:LINE: reason" (or "FILE: reason") in error; style and
// layout are then as they were.
bool read_style_file(const std::string &path, toc_style &style, toc_layout &layout,
                     std::string &error);

// The same from text already read; name is what messages call it.
bool read_style_text(const std::string &text, const std::string &name, toc_style &style,
                     toc_layout &layout, std::string &error);
