// A scratch folder that a test leaves nothing of, and whole files read and
// written around the code under test, for every suite that works on files:
// the portable tests and the Windows tests alike.
#pragma once
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>
#include "fs/fs.h"

namespace test_support {

// The names in a folder, sorted; none when it cannot be read.
inline std::vector<std::string> folder_entries(const std::filesystem::path &folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (std::filesystem::directory_iterator entry(folder, ec), end; !ec && entry != end;
       entry.increment(ec))
    names.push_back(entry->path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// A new folder of its own in the system's temporary folder, removed with its
// contents when the scratch_folder goes. Its name begins with the label,
// which may hold blanks, so that every path built on it does too.
class scratch_folder {
public:
  explicit scratch_folder(const std::string &label = "quenby-test") {
    std::random_device random;
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
      std::filesystem::path candidate =
          base / (label + "-" + std::to_string(random()) + std::to_string(random()));
      std::error_code ec;
      if (std::filesystem::create_directory(candidate, ec)) path_ = candidate;
    }
    if (path_.empty()) throw std::runtime_error("no scratch folder in " + base.string());
    folder_ = path_.string() + static_cast<char>(std::filesystem::path::preferred_separator);
  }
  // Whatever a test left read-only, or without access, goes too: Windows
  // deletes no read-only file, POSIX empties no folder it cannot enter.
  ~scratch_folder() {
    namespace fs = std::filesystem;
    std::error_code ec;
    for (fs::recursive_directory_iterator entry(path_, ec), end; !ec && entry != end;
         entry.increment(ec)) {
      std::error_code ignored;
      if (!entry->is_symlink(ignored))
        fs::permissions(entry->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    }
    fs::remove_all(path_, ec);
  }
  scratch_folder(const scratch_folder &) = delete;
  scratch_folder &operator=(const scratch_folder &) = delete;

  const std::filesystem::path &path() const { return path_; }
  // The folder as text, ending in the system's separator.
  const std::string &folder() const { return folder_; }
  // A file or folder inside, by a name that may hold further separators.
  std::string file(const std::string &name) const { return folder_ + name; }
  // The names of the files in the folder, sorted, each followed by a blank.
  std::string listing() const {
    std::string names;
    for (const std::string &name : folder_entries(path_)) names += name + " ";
    return names;
  }

private:
  std::filesystem::path path_;
  std::string folder_;
};

inline bool write_file(const std::string &path, const std::string &bytes) {
  std::FILE *f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

// False when the file cannot be opened or read to its end.
inline bool read_bytes(const std::string &path, std::string &bytes) { return read_file_bytes(path, bytes); }

// The file's bytes, or "<missing>" where there is no file to read.
inline std::string read_file(const std::string &path) {
  std::string bytes;
  return read_bytes(path, bytes) ? bytes : "<missing>";
}

}  // namespace test_support
