#include "toc/stale_temporaries.h"

#include <filesystem>
#include <map>
#include <set>
#include <system_error>

#include "toc/destination_file.h"

namespace fsys = std::filesystem;

namespace {

// The digits at text[at...] up to stop; false when there are none or
// something else stands between.
bool digits_up_to(const std::string &text, std::size_t at, char stop, std::size_t &end, unsigned long &value) {
  value = 0;
  end = at;
  while (end < text.size() && text[end] >= '0' && text[end] <= '9') {
    if (value > 429496729ul) return false;   // more than any process number
    value = value * 10 + static_cast<unsigned long>(text[end] - '0');
    ++end;
  }
  return end > at && end < text.size() && text[end] == stop;
}

}  // namespace

unsigned long temporary_process(const std::string &name, const std::string &page_name) {
  const std::string start = page_name + temporary_infix;
  if (name.compare(0, start.size(), start) != 0) return 0;
  std::size_t end;
  unsigned long process, attempt;
  if (!digits_up_to(name, start.size(), '-', end, process)) return 0;
  if (!digits_up_to(name, end + 1, '.', end, attempt)) return 0;
  return name.compare(end, std::string::npos, ".tmp") == 0 ? process : 0;
}

void remove_stale_temporaries(const std::vector<std::string> &pages) {
  // Folder -> the names of its pages, each by the file that is really
  // written (a link's target).
  std::map<fsys::path, std::set<std::string>> folders;
  for (const std::string &page : pages) {
    const fsys::path target(destination_target(krval(page.c_str())).str());
    folders[target.parent_path()].insert(target.filename().string());
  }
  for (const auto &[folder, names] : folders) {
    std::error_code ec;
    fsys::directory_iterator entry(folder.empty() ? fsys::path(".") : folder, ec), end;
    for (; !ec && entry != end; entry.increment(ec)) {
      const std::string name = entry->path().filename().string();
      const std::size_t infix = name.rfind(temporary_infix);
      if (infix == std::string::npos || names.count(name.substr(0, infix)) == 0) continue;
      const unsigned long process = temporary_process(name, name.substr(0, infix));
      const std::string page = (folder / name.substr(0, infix)).string();
      const std::string path = entry->path().string();
      if (process != 0 && left_by_ended_run(krval(path.c_str()), krval(page.c_str()), process)) {
        krval doomed(path.c_str());
        delete_file(doomed);
      }
    }
  }
}
