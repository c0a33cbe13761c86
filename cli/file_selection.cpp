#include "cli/file_selection.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <system_error>

#include "page_files/destination_file.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace fsys = std::filesystem;

namespace {

#ifdef _WIN32
// A name that the code page cannot spell is no name the program could open.
bool name_of(const fsys::path &path, std::string &name) {
  const std::wstring &wide = path.native();
  const int length = static_cast<int>(wide.size());
  BOOL lost = FALSE;
  // UTF-8 takes every name, and takes no question about lost characters.
  BOOL *asked = GetACP() == CP_UTF8 ? nullptr : &lost;
  const int n = WideCharToMultiByte(CP_ACP, 0, wide.data(), length, nullptr, 0, nullptr, asked);
  name.assign(static_cast<size_t>(n), '\0');
  if (n > 0) WideCharToMultiByte(CP_ACP, 0, wide.data(), length, &name[0], n, nullptr, asked);
  return !lost && (n > 0 || length == 0);
}
// What -r finds is shown as the system writes paths.
constexpr char separator = '\\';
#else
bool name_of(const fsys::path &path, std::string &name) {
  name = path.string();
  return true;
}
constexpr char separator = '/';
#endif

// One piece of a glob.
struct glob_token {
  enum kind_t { literal, one, set, star, any, folders } kind = literal;
  char c = 0;                 // literal
  bool negated = false;       // set
  std::string members;        // set: pairs of first and last byte of each range
};

glob_token token(glob_token::kind_t kind, char c = 0) {
  glob_token t;
  t.kind = kind;
  t.c = c;
  return t;
}

std::vector<glob_token> tokens_of(const std::string &glob) {
  std::vector<glob_token> tokens;
  const size_t n = glob.size();
  for (size_t i = 0; i < n; ++i) {
    const char c = glob[i];
    if (c == '\\' && i + 1 < n) {
      tokens.push_back(token(glob_token::literal, glob[++i]));
    } else if (c == '*') {
      if (i + 1 < n && glob[i + 1] == '*') {
        const bool starts_part = i == 0 || glob[i - 1] == '/';
        while (i + 1 < n && glob[i + 1] == '*') ++i;
        if (starts_part && i + 1 < n && glob[i + 1] == '/') {
          ++i;
          tokens.push_back(token(glob_token::folders));
        } else {
          tokens.push_back(token(glob_token::any));
        }
      } else {
        tokens.push_back(token(glob_token::star));
      }
    } else if (c == '?') {
      tokens.push_back(token(glob_token::one));
    } else if (c == '[') {
      glob_token set = token(glob_token::set);
      size_t j = i + 1;
      if (j < n && (glob[j] == '!' || glob[j] == '^')) {
        set.negated = true;
        ++j;
      }
      bool closed = false;
      for (bool first = true; j < n; first = false) {
        if (glob[j] == ']' && !first) {
          closed = true;
          break;
        }
        char from = glob[j];
        if (from == '\\' && j + 1 < n) from = glob[++j];
        char to = from;
        if (j + 2 < n && glob[j + 1] == '-' && glob[j + 2] != ']') {
          to = glob[j + 2];
          if (to == '\\' && j + 3 < n) to = glob[++j + 2];
          j += 2;
        }
        set.members += from;
        set.members += to;
        ++j;
      }
      if (closed) {
        tokens.push_back(set);
        i = j;
      } else {
        tokens.push_back(token(glob_token::literal, c));   // no set: a plain '['
      }
    } else {
      tokens.push_back(token(glob_token::literal, c));
    }
  }
  return tokens;
}

bool in_set(const glob_token &token, char c) {
  const unsigned char u = static_cast<unsigned char>(c);
  bool found = false;
  for (size_t k = 0; k + 1 < token.members.size() && !found; k += 2)
    found = static_cast<unsigned char>(token.members[k]) <= u &&
            u <= static_cast<unsigned char>(token.members[k + 1]);
  return found != token.negated;
}

bool is_page_name(const std::string &name) {
  std::string lower(name);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
  for (const char *ending : {".htm", ".html", ".shtml"}) {
    const size_t length = std::char_traits<char>::length(ending);
    if (lower.size() > length && lower.compare(lower.size() - length, length, ending) == 0) return true;
  }
  return false;
}

// index.htm, index.html or index.shtml: a folder's first page.
bool is_index_page(const std::string &name) {
  return is_page_name(name) && name.compare(0, 6, "index.") == 0 && name.find('.', 6) == std::string::npos;
}

// A glob without '/' is matched against the name alone, wherever it stands.
bool matches_any(const std::vector<std::string> &globs, const std::string &path, const std::string &name) {
  for (const std::string &glob : globs) {
    const bool by_name = glob.find('/') == std::string::npos;
    if (glob_matches(glob, by_name ? name : path)) return true;
  }
  return false;
}

struct pending_entry {
  std::string relative;   // below the folder given, '/' between parts
  bool is_folder;
};

// A path below the folder given as the program shows and opens it.
std::string shown_path(const std::string &prefix, const std::string &relative) {
  std::string path = prefix + relative;
  std::replace(path.begin() + static_cast<std::ptrdiff_t>(prefix.size()), path.end(), '/', separator);
  return path;
}

// What a folder's entry is to the walk.
struct found_entry {
  std::string name;
  bool is_folder = false;
  std::string problem;   // why it cannot be taken, for a page or what may be one
};

// The entries of one folder, those to walk or take, sorted by name, the
// folder's index page first (it opens the folder, as in a browser). A folder
// that cannot be read or entered, an entry that cannot be named, and a link
// to a page that leads nowhere are each a line in problems.
void list_folder(const std::string &prefix, const pending_entry &folder, const file_selection_rules &rules,
                 std::vector<pending_entry> &entries, std::vector<std::string> &problems) {
  const std::string shown = folder.relative.empty() ? prefix : shown_path(prefix, folder.relative + "/");
  const fsys::path at = system_path(shown);
  std::error_code ec;
  fsys::directory_iterator it(at, ec);
  std::vector<found_entry> found;
  std::string unknown;   // why entries could not be looked at, once for the folder
  for (; !ec && it != fsys::directory_iterator(); it.increment(ec)) {
    std::string name;
    const bool spelt = name_of(it->path().filename(), name);
    if (name.empty() || name[0] == '.') continue;   // hidden
    std::error_code type_error;
    const fsys::file_status own = it->symlink_status(type_error);
    if (type_error) {
      // Listed but not entered: what it holds cannot even be told apart.
      if (unknown.empty()) unknown = type_error.message();
      continue;
    }
    if (!spelt) {
      if (fsys::is_directory(own) || is_page_name(name))
        problems.push_back(shown + name + ": its name has characters the code page lacks");
      continue;
    }
    if (fsys::is_directory(own)) {
      found.push_back(found_entry{name, true, std::string()});
    } else if (is_page_name(name)) {
      // A link to a page is taken (its page gets the new text); a link to
      // a folder is not followed.
      const fsys::file_status target = fsys::is_symlink(own) ? it->status(type_error) : own;
      if (type_error)
        found.push_back(
            found_entry{name, false, shown + name + ": a link that leads to no page: " + type_error.message()});
      else if (fsys::is_regular_file(target))
        found.push_back(found_entry{name, false, std::string()});
    }
  }
  const std::string folder_shown = shown.substr(0, shown.size() - 1);
  if (ec) {
    problems.push_back(folder_shown + ": can't be read: " + ec.message());
    return;
  }
  if (!unknown.empty()) problems.push_back(folder_shown + ": can't be entered: " + unknown);
  std::sort(found.begin(), found.end(), [](const found_entry &a, const found_entry &b) {
    const bool a_index = !a.is_folder && is_index_page(a.name), b_index = !b.is_folder && is_index_page(b.name);
    return a_index != b_index ? a_index : a.name < b.name;
  });
  for (const found_entry &entry : found) {
    const std::string &name = entry.name;
    const bool is_folder = entry.is_folder;
    const std::string relative = folder.relative.empty() ? name : folder.relative + "/" + name;
    if (matches_any(rules.exclude, relative, name) ||
        (is_folder && matches_any(rules.exclude, relative + "/", name)))
      continue;
    if (!is_folder && !rules.include.empty() && !matches_any(rules.include, relative, name)) continue;
    if (!entry.problem.empty())
      problems.push_back(entry.problem);
    else
      entries.push_back(pending_entry{relative, is_folder});
  }
}

// Walks below root without recursion: the entries still to visit stand on a
// stack, the next one on top.
void walk_folder(const std::string &root, const file_selection_rules &rules,
                 std::vector<std::string> &files, std::vector<std::string> &problems) {
#ifdef _WIN32
  const bool ends_in_separator = root.back() == '/' || root.back() == '\\';
#else
  const bool ends_in_separator = root.back() == '/';
#endif
  const std::string prefix = ends_in_separator ? root : root + separator;
  std::vector<pending_entry> stack{pending_entry{std::string(), true}};
  std::vector<pending_entry> entries;
  while (!stack.empty()) {
    pending_entry next = std::move(stack.back());
    stack.pop_back();
    if (!next.is_folder) {
      files.push_back(shown_path(prefix, next.relative));
      continue;
    }
    entries.clear();
    list_folder(prefix, next, rules, entries, problems);
    stack.insert(stack.end(), std::make_move_iterator(entries.rbegin()),
                 std::make_move_iterator(entries.rend()));
  }
}

#ifdef _WIN32
// The command prompt hands wildcards over as typed; a Windows program
// expands them itself. A FILE that holds * or ? in its last part stands for
// the names of its folder that match, in the byte order of the names; one
// that matches nothing stays as typed, for the run to name.
void expand_wildcards(const std::string &file, std::vector<std::string> &files) {
  const size_t last_part = file.find_last_of("\\/:") + 1;
  if (file.find_first_of("*?", last_part) == std::string::npos) {
    files.push_back(file);
    return;
  }
  std::vector<std::string> matches;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(system_path(file).c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      std::string name;
      if (name_of(fsys::path(found.cFileName), name) && name != "." && name != "..")
        matches.push_back(file.substr(0, last_part) + name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  if (matches.empty()) matches.push_back(file);
  std::sort(matches.begin(), matches.end());
  files.insert(files.end(), matches.begin(), matches.end());
}
#else
// The shell has expanded them.
void expand_wildcards(const std::string &file, std::vector<std::string> &files) { files.push_back(file); }
#endif

}  // namespace

#ifdef _WIN32
fsys::path system_path(const std::string &name) {
  const int n = MultiByteToWideChar(CP_ACP, 0, name.data(), static_cast<int>(name.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, name.data(), static_cast<int>(name.size()), &wide[0], n);
  return fsys::path(wide);
}
#else
fsys::path system_path(const std::string &name) { return fsys::path(name); }
#endif

bool glob_matches(const std::string &glob, const std::string &path) {
  const std::vector<glob_token> tokens = tokens_of(glob);
  const size_t n = path.size();
  // after[j]: whether the tokens after the current one match path from j.
  std::vector<char> after(n + 1, 0), here(n + 1, 0);
  after[n] = 1;
  for (size_t t = tokens.size(); t-- > 0;) {
    const glob_token &token = tokens[t];
    bool folder_end_ahead = false;   // some '/' at or after j ends folders the rest matches after
    for (size_t j = n + 1; j-- > 0;) {
      const bool more = j < n;
      const char c = more ? path[j] : '\0';
      switch (token.kind) {
        case glob_token::literal: here[j] = more && c == token.c && after[j + 1]; break;
        case glob_token::one: here[j] = more && c != '/' && after[j + 1]; break;
        case glob_token::set: here[j] = more && c != '/' && in_set(token, c) && after[j + 1]; break;
        case glob_token::star: here[j] = after[j] || (more && c != '/' && here[j + 1]); break;
        case glob_token::any: here[j] = after[j] || (more && here[j + 1]); break;
        case glob_token::folders:
          folder_end_ahead = folder_end_ahead || (more && c == '/' && after[j + 1]);
          here[j] = after[j] || folder_end_ahead;
          break;
      }
    }
    after.swap(here);
  }
  return after[0] != 0;
}

void select_files(const std::vector<std::string> &given, const file_selection_rules &rules,
                  std::vector<std::string> &files, std::vector<std::string> &problems) {
  std::vector<std::string> expanded;
  for (const std::string &file : given) expand_wildcards(file, expanded);
  for (const std::string &file : expanded) {
    std::error_code ec;
    if (rules.recursive && file != "-" && !file.empty() && fsys::is_directory(system_path(file), ec))
      walk_folder(file, rules, files, problems);
    else
      files.push_back(file);
  }
}

std::vector<std::string> each_file_once(const std::vector<std::string> &files) {
  std::set<std::string> seen;
  std::vector<std::string> once;
  for (const std::string &file : files) {
    // Standard input and a file that cannot be looked up (the job will say
    // why) go by their names.
    std::string identity = file == "-" ? std::string() : file_identity(krval(file.c_str()));
    if (identity.empty()) identity = "name:" + file;
    if (seen.insert(identity).second) once.push_back(file);
  }
  return once;
}
