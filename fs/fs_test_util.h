// Shared by the file-layer tests: a scratch folder per test, and small file
// helpers that go around the layer under test (through std::filesystem and
// iostreams) so that they check it rather than repeat it.
#pragma once
#include <gtest/gtest.h>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include "fs/fs.h"
#include "fs/fs_test_hooks.h"
#include "test_support/scratch_folder.h"

namespace fs_testing {

namespace stdfs = std::filesystem;

inline std::string read_back(const stdfs::path &file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void write_file(const stdfs::path &file, const std::string &bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << bytes;
}

// Handles or descriptors the process holds now (defined per system).
int open_handle_count();

// A fresh folder under the system's temporary folder, removed afterwards; the
// current directory is restored too, since listings move it.
class scratch_test : public ::testing::Test {
protected:
  void SetUp() override {
    start_directory = stdfs::current_path();
    scratch = std::make_unique<test_support::scratch_folder>();
    folder = scratch->path();
  }
  void TearDown() override {
    fs_restore_hooks();
    stdfs::current_path(start_directory);
    scratch.reset();
  }
  // The path of a name in the scratch folder, as a Value.
  krval at(const std::string &name) const { return krval((folder / name).string().c_str()); }
  stdfs::path file(const std::string &name) const { return folder / name; }

  stdfs::path start_directory;
  std::unique_ptr<test_support::scratch_folder> scratch;
  stdfs::path folder;
};

}  // namespace fs_testing
