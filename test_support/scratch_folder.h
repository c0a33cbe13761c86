// A scratch folder that a test leaves nothing of, and whole files read and
// written around the code under test, for every suite that works on files.
#pragma once
#include <cstdio>
#include <filesystem>
#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace test_support {

class scratch_folder {
public:
  scratch_folder() {
    std::random_device random;
    path_ = std::filesystem::temp_directory_path() /
            ("quenby-test-" + std::to_string(random()) + std::to_string(random()));
    std::filesystem::create_directories(path_);
  }
  ~scratch_folder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  scratch_folder(const scratch_folder &) = delete;
  scratch_folder &operator=(const scratch_folder &) = delete;

  const std::filesystem::path &path() const { return path_; }
  std::string file(const std::string &name) const { return (path_ / name).string(); }
  // The names of the files in the folder, sorted.
  std::string listing() const {
    std::string names;
    std::vector<std::string> all;
    for (const auto &entry : std::filesystem::directory_iterator(path_))
      all.push_back(entry.path().filename().string());
    std::sort(all.begin(), all.end());
    for (const std::string &n : all) names += n + " ";
    return names;
  }

private:
  std::filesystem::path path_;
};

inline bool write_file(const std::string &path, const std::string &bytes) {
  std::FILE *f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

inline std::string read_file(const std::string &path) {
  std::string bytes;
  std::FILE *f = std::fopen(path.c_str(), "rb");
  if (!f) return "<missing>";
  char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
  std::fclose(f);
  return bytes;
}

}  // namespace test_support
