// page_files/ is the file side of a run, above the engine (toc/, which works
// on bytes alone): it reads pages, replaces them safely and keeps stale
// temporaries and batches of destinations in hand.
//
// Style files on the disk, read for the engine (which opens no file): the
// reader a run gives the engine for the style files its pages name, and
// the same read whole into a style.
#pragma once
#include <string>
#include "toc/toc_options.h"
#include "toc/toc_style_file.h"

class disk_style_files : public style_file_reader {
public:
  bool read(const std::string &path, std::string &text, std::string &error) const override;
  bool lies_within(const std::string &folder, const std::string &style) const override;
};

// False with "FILE:LINE: reason" (or "FILE: reason") in error; style and
// layout are then as they were.
bool read_style_file(const std::string &path, toc_style &style, toc_layout &layout,
                     std::string &error);
