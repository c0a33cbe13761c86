#include "cli/cli_options.h"

#include <getopt.h>

const char quenby_toc_usage[] =
    "Usage: quenby-toc [OPTIONS] FILE...\n"
    "Create or remake the table of contents of each HTML FILE in place.\n"
    "\n"
    "  -o, --output DEST       write the result to DEST (one FILE only; \"-\" for\n"
    "                          standard output)\n"
    "  -c, --check             write nothing; exit 1 when a FILE would change\n"
    "      --diff              as --check, and print the changes as a unified diff\n"
    "  -R, --remove            take out the TOC and the anchors, ids and numbers\n"
    "                          it made\n"
    "  -s, --style NAME|FILE   html5 (default: a <nav> with nested lists), ol,\n"
    "                          details, classic (the window's page), or a style file\n"
    "      --levels FROM-TO    heading levels taken (default 1-6; \"2\" for one)\n"
    "      --anchors name|id   an <a name> inside each heading, or an id in its\n"
    "                          start tag (default: id, classic: name)\n"
    "      --names stamp|slug  new anchor names readable from the heading's text\n"
    "                          (default: slug), or from the stamp (classic)\n"
    "      --skip-class NAME   leave out headings of class NAME (repeatable)\n"
    "      --within SELECTOR   only headings inside the first element that matches:\n"
    "                          a tag name (main), #id or .class\n"
    "  -N, --number            number the headings and their entries: 1., 1.1., ...\n"
    "      --no-number         take such numbers out again\n"
    "      --index OUT.html    also make (or remake) OUT.html, a contents page that\n"
    "                          lists every FILE with its TOC entries (runs without\n"
    "                          --index leave such a page as it is)\n"
    "      --check-links       after the run, report links to names that their page\n"
    "                          does not have, to pages that do not exist, and names\n"
    "                          given twice; exit 1 if any\n"
    "      --stamp SECONDS     run stamp for new anchors (default: SOURCE_DATE_EPOCH\n"
    "                          when set, else now)\n"
    "  -r, --recursive         a FILE that is a folder stands for every .htm, .html\n"
    "                          and .shtml file below it\n"
    "      --include GLOB      only files below a folder that match GLOB\n"
    "                          (repeatable)\n"
    "      --exclude GLOB      leave out files and folders that match GLOB\n"
    "                          (repeatable)\n"
    "  -j, --jobs N            files processed at once (default: one per processor)\n"
    "      --max-size BYTES    refuse pages larger than BYTES (default 67108864,\n"
    "                          64 MiB; at most 1073741824)\n"
    "  -q, --quiet             no progress display and no summary\n"
    "  -h, --help              show this help and exit\n"
    "  -V, --version           show the version and exit\n"
    "  FILE \"-\"                read standard input, write standard output\n"
#ifdef _WIN32
    "  FILE may hold the wildcards * and ?; quote a GLOB so that it stays one\n"
#endif
    "\n"
    "The TOC goes where the page has a <!-- toc --> comment, else right after\n"
    "<body>, between <!--KRYN_HTML_TOC_START--> and <!--KRYN_HTML_TOC_END-->.\n"
    "Each setting comes from the first that has it: the page's TOC comment\n"
    "(<!-- toc levels=2-3 style=details anchors=id names=slug skip-class=notoc\n"
    "number=yes -->), the options above, the settings the page's TOC block\n"
    "records of the run that made it, the defaults. So a page is remade,\n"
    "checked and removed without options, and an option given once stays.\n"
    "Outside the classic style an entry is what a reader sees of its heading:\n"
    "images by their alt text, no buttons, templates or hidden text; a heading\n"
    "with nothing to see gets no entry, and headings in nav, aside, dialog or\n"
    "hidden elements, or of class notoc, are left out.\n"
    "Long options may be shortened to any prefix that names one option.\n"
    "Exit status: 0 nothing to report; 1 a FILE would change (--check, --diff)\n"
    "or --check-links found something; 2 trouble: bad usage, a bad style, or a\n"
    "FILE that could not be read, made or written; 128+N stopped by signal N\n"
    "(130 for Ctrl-C), its temporary files removed.\n";

const char quenby_toc_version[] = "quenby-toc (KRYN Quenby) 1.0\n";

bool parse_stamp(const std::string &text, int32_t &stamp) {
  if (text.empty() || text.size() > 10) return false;
  int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  if (value > 2147483647) return false;
  stamp = static_cast<int32_t>(value);
  return true;
}

namespace {

using option_setter = bool (*)(cli_options &options, const std::string &value, std::string &error);

// One option of the command line: its long name, its letter (0 for none),
// whether it takes a value, and what it sets.
struct option_entry {
  const char *name;
  char letter;
  bool takes_value;
  option_setter set;
};

template <bool cli_options::*flag>
bool set_flag(cli_options &options, const std::string &, std::string &) {
  options.*flag = true;
  return true;
}

bool set_number(cli_options &options, const std::string &, std::string &error) {
  return set_toc_choice(options.choices, "number", "yes", error);
}

// Numbering stays on in a page whose block records it, until turned off.
bool set_no_number(cli_options &options, const std::string &, std::string &error) {
  return set_toc_choice(options.choices, "number", "no", error);
}

// The options that choose how the TOC is made are also settings of a page,
// read by the same code under the same names.
template <const char *key>
bool set_choice(cli_options &options, const std::string &value, std::string &error) {
  if (set_toc_choice(options.choices, key, value, error)) return true;
  error = std::string("--") + key + ": " + error;
  return false;
}
constexpr char levels_key[] = "levels", anchors_key[] = "anchors", names_key[] = "names",
               skip_class_key[] = "skip-class", style_key[] = "style",
               within_key[] = "within";

// A whole number from 1 to largest, or -1.
int64_t count_from(const std::string &value, int64_t largest) {
  int64_t count = value.empty() ? -1 : 0;
  for (char c : value) {
    if (c < '0' || c > '9' || count > largest) return -1;
    count = count * 10 + (c - '0');
  }
  return count >= 1 && count <= largest ? count : -1;
}

bool set_jobs(cli_options &options, const std::string &value, std::string &error) {
  const int64_t jobs = count_from(value, 1024);
  if (jobs < 0) {
    error = "--jobs needs a number of files from 1 to 1024, not '" + value + "'";
    return false;
  }
  options.jobs = static_cast<int>(jobs);
  return true;
}

bool set_max_size(cli_options &options, const std::string &value, std::string &error) {
  constexpr int64_t largest = 1073741824;
  const int64_t size = count_from(value, largest);
  if (size < 0) {
    error = "--max-size needs a number of bytes from 1 to " + std::to_string(largest) + ", not '" + value + "'";
    return false;
  }
  options.max_size = static_cast<int32_t>(size);
  return true;
}

bool set_stamp(cli_options &options, const std::string &value, std::string &error) {
  if (!parse_stamp(value, options.stamp)) {
    error = "--stamp needs whole seconds from 0 to 2147483647, not '" + value + "'";
    return false;
  }
  options.has_stamp = true;
  return true;
}

bool set_output(cli_options &options, const std::string &value, std::string &error) {
  if (value.empty()) {
    error = "--output needs a file name (\"-\" for standard output)";
    return false;
  }
  options.output = value;
  options.has_output = true;
  return true;
}

bool set_index(cli_options &options, const std::string &value, std::string &error) {
  if (value.empty() || value == "-") {
    error = "--index needs a file name";
    return false;
  }
  options.index = value;
  return true;
}

bool add_include(cli_options &options, const std::string &value, std::string &) {
  options.include.push_back(value);
  return true;
}

bool add_exclude(cli_options &options, const std::string &value, std::string &) {
  options.exclude.push_back(value);
  return true;
}

const option_entry option_table[] = {
    {"output", 'o', true, set_output},
    {"check", 'c', false, set_flag<&cli_options::check>},
    {"diff", 0, false, set_flag<&cli_options::diff>},
    {"number", 'N', false, set_number},
    {"no-number", 0, false, set_no_number},
    {"remove", 'R', false, set_flag<&cli_options::remove>},
    {"levels", 0, true, set_choice<levels_key>},
    {"anchors", 0, true, set_choice<anchors_key>},
    {"names", 0, true, set_choice<names_key>},
    {"skip-class", 0, true, set_choice<skip_class_key>},
    {"style", 's', true, set_choice<style_key>},
    {"within", 0, true, set_choice<within_key>},
    {"index", 0, true, set_index},
    {"check-links", 0, false, set_flag<&cli_options::check_links>},
    {"stamp", 0, true, set_stamp},
    {"recursive", 'r', false, set_flag<&cli_options::recursive>},
    {"include", 0, true, add_include},
    {"exclude", 0, true, add_exclude},
    {"jobs", 'j', true, set_jobs},
    {"max-size", 0, true, set_max_size},
    {"quiet", 'q', false, set_flag<&cli_options::quiet>},
    {"help", 'h', false, set_flag<&cli_options::help>},
    {"version", 'V', false, set_flag<&cli_options::version>},
};
constexpr int option_count = sizeof option_table / sizeof option_table[0];
// getopt_long reports a long option by its entry's number above this, so
// that options without a letter have a code of their own.
constexpr int long_code = 256;

const option_entry *entry_of_letter(int letter) {
  if (letter == 0) return nullptr;
  for (const option_entry &entry : option_table)
    if (entry.letter == letter) return &entry;
  return nullptr;
}

const option_entry *entry_of_code(int code) {
  if (code >= long_code && code < long_code + option_count) return &option_table[code - long_code];
  return entry_of_letter(code);
}

// What getopt_long refused, said as one line. It tells which option it was
// (a letter, a long option's code, or 0 for a long name it does not know)
// and leaves a long option's argument just before optind.
std::string refusal(char *const *argv, int option) {
  const option_entry *entry = entry_of_code(option);
  if (option != 0 && option < long_code) {
    const std::string shown = std::string("-") + static_cast<char>(option);
    if (entry && entry->takes_value) return "option '" + shown + "' needs a value";
    return "unknown option '" + shown + "'";
  }
  const std::string argument = argv[optind - 1];
  const std::string name = argument.substr(2, argument.find('=') - 2);
  if (entry) {
    if (entry->takes_value) return "option '--" + std::string(entry->name) + "' needs a value";
    return "option '--" + std::string(entry->name) + "' takes no value";
  }
  std::string candidates;
  int matches = 0;
  for (const option_entry &candidate : option_table)
    if (std::string(candidate.name).compare(0, name.size(), name) == 0) {
      candidates += std::string(matches++ ? ", " : "") + "--" + candidate.name;
    }
  if (matches > 1) return "option '--" + name + "' is ambiguous: " + candidates;
  return "unknown option '" + argument + "'";
}

// The options as given, each set from its table entry.
bool read_options(const std::vector<std::string> &args, cli_options &options, std::string &error) {
  std::string letters = ":";   // a missing value is told apart from an unknown letter
  std::vector<option> long_options;
  for (int i = 0; i < option_count; ++i) {
    const option_entry &entry = option_table[i];
    if (entry.letter) letters += std::string(1, entry.letter) + (entry.takes_value ? ":" : "");
    long_options.push_back({entry.name, entry.takes_value ? required_argument : no_argument, nullptr,
                            long_code + i});
  }
  long_options.push_back({nullptr, 0, nullptr, 0});

  // getopt_long takes the arguments as argv, which it reorders.
  std::vector<std::string> words = args;
  words.insert(words.begin(), "quenby-toc");
  std::vector<char *> argv;
  for (std::string &word : words) argv.push_back(&word[0]);
  argv.push_back(nullptr);
  const int argc = static_cast<int>(argv.size() - 1);

  optind = 0;   // from the start, all of its state anew
  opterr = 0;   // its messages would go to stderr, not to our stream
  int code;
  while ((code = getopt_long(argc, argv.data(), letters.c_str(), long_options.data(), nullptr)) != -1) {
    if (code == '?' || code == ':') {
      error = refusal(argv.data(), optopt);
      return false;
    }
    const option_entry *entry = entry_of_code(code);
    if (!entry->set(options, optarg ? optarg : "", error)) return false;
  }
  options.files.assign(argv.begin() + optind, argv.end() - 1);
  return true;
}

// The options together: what each one alone could not tell.
bool validate_options(const cli_options &options, std::string &error) {
  if (options.help || options.version) return true;
  if (options.files.empty()) {
    error = "no FILE given";
    return false;
  }
  if (options.has_output && options.files.size() != 1) {
    error = "--output takes exactly one FILE";
    return false;
  }
  if (options.has_output && options.recursive) {
    error = "--output takes exactly one FILE, so it takes no --recursive";
    return false;
  }
  if (!options.recursive && !(options.include.empty() && options.exclude.empty())) {
    error = "--include and --exclude choose files below a folder: they need --recursive";
    return false;
  }
  if (options.remove && options.choices.number.value_or(false)) {
    error = "--remove takes the numbers out, so it takes no --number";
    return false;
  }
  if (!options.index.empty() && options.remove) {
    error = "--remove takes the TOCs out, so it takes no --index";
    return false;
  }
  if (!options.index.empty())
    for (const std::string &file : options.files)
      if (file == "-") {
        error = "--index lists files, not standard input";
        return false;
      }
  if (options.has_output && (options.check || options.diff)) {
    error = std::string(options.diff ? "--diff" : "--check") + " writes nothing, so it takes no --output";
    return false;
  }
  return true;
}

}  // namespace

bool parse_cli_options(const std::vector<std::string> &args, cli_options &options,
                       std::string &error) {
  options = cli_options();
  return read_options(args, options, error) && validate_options(options, error);
}
