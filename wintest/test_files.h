// Files and folders for the Windows tests: scratch folders, whole-file reads
// and writes, folder listings, and shortcut files made without the
// program's own services.
#pragma once
#include <string>
#include <vector>

// A new folder, unique to this process and call, inside base; its name holds
// blanks so that every path built on it does too. Removed with its contents
// when the scratch_folder goes.
class scratch_folder {
public:
  explicit scratch_folder(const std::string &base, const char *label = "quenby test");
  ~scratch_folder();
  scratch_folder(const scratch_folder &) = delete;
  scratch_folder &operator=(const scratch_folder &) = delete;
  const std::string &path() const { return path_; }   // with a trailing backslash
  std::string operator/(const std::string &name) const { return path_ + name; }

private:
  std::string path_;
};

std::string temp_folder();   // the system's, with a trailing backslash
bool make_folders(const std::string &path);   // with every missing parent
void remove_tree(const std::string &path);
// The folder emptied, or made with its parents.
bool make_empty_folder(const std::string &path);
bool file_exists(const std::string &path);
bool is_directory(const std::string &path);
bool read_bytes(const std::string &path, std::string &out);
bool write_bytes(const std::string &path, const std::string &bytes);
// The names in a folder, "." and ".." left out, sorted.
std::vector<std::string> folder_entries(const std::string &folder);

bool make_shell_link(const std::string &link, const std::string &target,
                     const std::string &working_dir = std::string());
