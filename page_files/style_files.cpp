#include "page_files/style_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

// A style is a few lines: a hostile or mistaken file must not make the run
// read without end.
constexpr size_t style_file_limit = 65536;

}  // namespace

// Opened without waiting (a FIFO or a device would hold the run until
// something writes to it) and taken only when it is a regular file.
bool disk_style_files::read(const std::string &path, std::string &text, std::string &error) const {
#ifdef _WIN32
  const int descriptor = ::_open(path.c_str(), _O_RDONLY | _O_BINARY);
#else
  const int descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
#endif
  if (descriptor < 0) {
    error = path + ": can't read the style file: " + std::strerror(errno);
    return false;
  }
  struct stat info;
  std::string why;
  text.clear();
  if (::fstat(descriptor, &info) != 0) {
    why = std::strerror(errno);
  } else if (!S_ISREG(info.st_mode)) {
    why = S_ISDIR(info.st_mode) ? "a folder, not a file" : "not a regular file";
  } else if (static_cast<unsigned long long>(info.st_size) > style_file_limit) {
    why = "larger than " + std::to_string(style_file_limit) + " bytes";
  } else {
    // Read to the limit and one byte past it: the file may grow meanwhile.
    char buffer[4096];
    for (;;) {
      const auto n = ::read(descriptor, buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        why = std::strerror(errno);
        break;
      }
      if (n == 0) break;
      text.append(buffer, static_cast<size_t>(n));
      if (text.size() > style_file_limit) {
        why = "larger than " + std::to_string(style_file_limit) + " bytes";
        break;
      }
    }
  }
  ::close(descriptor);
  if (!why.empty()) {
    error = path + ": can't read the style file: " + why;
    return false;
  }
  return true;
}

// A link in the page's folder may still lead out of it: where the folder
// and the style file both resolve, the file's real place must lie below the
// folder's. A file that does not resolve is left to reading, which names it.
bool disk_style_files::lies_within(const std::string &folder, const std::string &style) const {
  namespace fs = std::filesystem;
  const fs::path base = folder.empty() ? fs::path(".") : fs::path(folder);
  std::error_code error;
  const fs::path real_folder = fs::canonical(base, error);
  if (error) return true;
  const fs::path real_style = fs::canonical(base / style, error);
  if (error) return true;
  auto at = real_style.begin();
  for (const fs::path &part : real_folder) {
    if (part.empty()) continue;   // a trailing separator
    if (at == real_style.end() || *at != part) return false;
    ++at;
  }
  return true;
}

bool read_style_file(const std::string &path, toc_style &style, toc_layout &layout,
                     std::string &error) {
  std::string text;
  return disk_style_files().read(path, text, error) && read_style_text(text, path, style, layout, error);
}
