// A whole file's bytes, as they stand on the disk.
#pragma once
#include <string>

// False (errno says why) when the file cannot be opened or read.
bool read_file_bytes(const std::string &path, std::string &bytes);
