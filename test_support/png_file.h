// Writes a picture of 24-bit pixels as a PNG file, for the screenshots the
// GUI tests leave in the build folder. Uncompressed (stored) deflate blocks:
// the files are larger than they could be, but the writer stays small.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// rgb holds width * height pixels, three bytes each, top row first.
bool write_png_file(const std::string &path, int width, int height, const std::vector<uint8_t> &rgb);
