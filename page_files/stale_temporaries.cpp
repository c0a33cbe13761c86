#include "page_files/stale_temporaries.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <system_error>

#include "page_files/destination_file.h"

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

// The complete copies of pages in one folder that ended runs left: their
// paths by page path, oldest first.
struct left_copy {
  std::string path;
  fsys::file_time_type written;
};

// Finishes the copies left for page, oldest first, so the newest text
// stands last; a copy that cannot be finished stays, and so do the newer
// ones. False with the copy's name in problem.
bool finish_copies(const std::string &page, std::vector<left_copy> copies, std::string &problem) {
  std::sort(copies.begin(), copies.end(),
            [](const left_copy &a, const left_copy &b) { return a.written < b.written; });
  for (const left_copy &copy : copies) {
    if (finish_copy(krval(copy.path.c_str()), krval(page.c_str())) != replace_outcome::replaced) {
      const std::string why = last_system_error();
      problem = page + ": a run that was stopped left its complete new text in " + copy.path +
                ", which could not be written into it" + (why.empty() ? "" : ": " + why);
      return false;
    }
  }
  return true;
}

// Goes through a folder's entries, calling stale(path) for each temporary
// of an ended run made for a page named as wanted(name) says, and gathering
// complete copies by their page's path.
template <typename wanted_t, typename stale_t>
void scan_folder(const fsys::path &folder, wanted_t wanted, stale_t stale,
                 std::map<std::string, std::vector<left_copy>> &copies, bool this_process_too = false) {
  std::error_code ec;
  fsys::directory_iterator entry(folder.empty() ? fsys::path(".") : folder, ec), end;
  for (; !ec && entry != end; entry.increment(ec)) {
    const std::string name = entry->path().filename().string();
    const std::size_t infix = name.rfind(temporary_infix);
    if (infix == std::string::npos || !wanted(name.substr(0, infix))) continue;
    bool complete = false;
    const unsigned long process = temporary_process(name, name.substr(0, infix), &complete);
    const std::string page = (folder / name.substr(0, infix)).string();
    const std::string path = entry->path().string();
    if (process == 0 || !left_by_ended_run(krval(path.c_str()), krval(page.c_str()), process, this_process_too))
      continue;
    if (complete) {
      std::error_code time_error;
      copies[page].push_back(left_copy{path, fsys::last_write_time(entry->path(), time_error)});
    } else {
      stale(path);
    }
  }
}

}  // namespace

unsigned long temporary_process(const std::string &name, const std::string &page_name, bool *complete) {
  const std::string start = page_name + temporary_infix;
  if (name.compare(0, start.size(), start) != 0) return 0;
  std::size_t end;
  unsigned long process, attempt;
  if (!digits_up_to(name, start.size(), '-', end, process)) return 0;
  if (!digits_up_to(name, end + 1, '.', end, attempt)) return 0;
  const bool is_complete = name.compare(end, std::string::npos, complete_copy_suffix) == 0;
  if (complete) *complete = is_complete;
  return is_complete || name.compare(end, std::string::npos, ".tmp") == 0 ? process : 0;
}

std::set<std::string> remove_stale_temporaries(const std::vector<std::string> &pages,
                                               std::vector<std::string> &problems) {
  // Folder -> the names of its pages, each by the file that is really
  // written (a link's target); and each such file's pages as given.
  std::map<fsys::path, std::set<std::string>> folders;
  std::map<std::string, std::vector<std::string>> given;
  for (const std::string &page : pages) {
    const fsys::path target(destination_target(krval(page.c_str())).str());
    folders[target.parent_path()].insert(target.filename().string());
    given[(target.parent_path() / target.filename()).string()].push_back(page);
  }
  std::set<std::string> refused;
  for (const auto &[folder, names] : folders) {
    std::map<std::string, std::vector<left_copy>> copies;
    // A structured binding cannot be captured before C++20 (clang refuses it).
    const std::set<std::string> &wanted = names;
    scan_folder(folder, [&wanted](const std::string &name) { return wanted.count(name) != 0; },
                [](const std::string &path) {
      krval doomed(path.c_str());
      delete_file(doomed);
    }, copies);
    for (const auto &[page, left] : copies) {
      std::string problem;
      if (finish_copies(page, left, problem)) continue;
      problems.push_back(problem);
      for (const std::string &name : given[page]) refused.insert(name);
    }
  }
  return refused;
}

bool finish_interrupted_copies(const krval &target, krval &message) {
  // The copy is named for the name the stopped run wrote through: any name
  // of the file in its folder. A copy of this process is one an earlier job
  // kept (no two jobs of a process work on one file at once).
  const fsys::path page(target.str());
  const std::string identity = file_identity(target);
  const fsys::path folder = page.parent_path();
  std::map<std::string, std::vector<left_copy>> copies;
  scan_folder(folder,
              [&](const std::string &name) {
                return file_identity(krval((folder / name).string().c_str())) == identity;
              },
              [](const std::string &) {}, copies, true);
  for (const auto &[path, left] : copies) {
    std::string problem;
    if (!finish_copies(path, left, problem)) {
      message = ("Can't write file: " + problem + "\r\n").c_str();
      return false;
    }
  }
  return true;
}
