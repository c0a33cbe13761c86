// full_path: a path made absolute and normal without asking the disk, so that
// two spellings of one file compare equal. Never throws: a path the system
// cannot make absolute stays as given.
#pragma once
#include <filesystem>
#include <system_error>

inline std::filesystem::path full_path(const std::filesystem::path &path) {
  std::error_code ec;
  std::filesystem::path absolute = std::filesystem::absolute(path, ec);
  return (ec ? path : absolute).lexically_normal();
}
