#include "cli/cli_options.h"

const char quenby_toc_usage[] =
    "Usage: quenby-toc [OPTIONS] FILE...\n"
    "Create or remake the table of contents of each HTML FILE in place.\n"
    "\n"
    "  -o, --output DEST       write the result to DEST (one FILE only)\n"
    "  -c, --check             write nothing; exit 1 when a FILE would change\n"
    "      --diff              as --check, and print the changes as a unified diff\n"
    "  -N, --number            number the headings and their entries: 1., 1.1., ...\n"
    "  -R, --remove            take out the TOC and the anchors, ids and numbers\n"
    "                          it made\n"
    "      --levels FROM-TO    heading levels taken (default 1-6; \"2\" for one)\n"
    "      --anchors name|id   an <a name> inside each heading (default), or an id\n"
    "                          in its start tag\n"
    "      --names stamp|slug  new anchor names from the stamp (default), or\n"
    "                          readable ones from the heading's text\n"
    "      --skip-class NAME   leave out headings of class NAME (repeatable)\n"
    "  -s, --style NAME|FILE   classic (default), html5, ol, details, or a style file\n"
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
    "      --include GLOB      only files below a folder that match GLOB (repeatable)\n"
    "      --exclude GLOB      leave out files and folders that match GLOB (repeatable)\n"
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
    "The comment may carry settings for its page, which the options above win\n"
    "over: <!-- toc levels=2-3 style=details anchors=id names=slug skip-class=notoc\n"
    "number=yes -->\n"
    "Exit status: 0 all done, 1 a FILE failed (or would change with --check or\n"
    "--diff), 2 bad usage or a bad style file, 128+N stopped by signal N (130 for\n"
    "Ctrl-C), its temporary files removed.\n";

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

// An option that takes a value: from "--name=value", from the rest of a short
// cluster ("-oDEST"), or from the next argument.
bool take_value(const std::vector<std::string> &args, size_t &i, const std::string &inline_value,
                bool has_inline, const std::string &option, std::string &value,
                std::string &error) {
  if (has_inline) {
    value = inline_value;
    return true;
  }
  if (i + 1 >= args.size()) {
    error = "option " + option + " needs a value";
    return false;
  }
  value = args[++i];
  return true;
}

bool set_stamp(const std::string &value, cli_options &options, std::string &error) {
  if (!parse_stamp(value, options.stamp)) {
    error = "--stamp needs whole seconds from 0 to 2147483647, not '" + value + "'";
    return false;
  }
  options.has_stamp = true;
  return true;
}

bool set_jobs(const std::string &value, cli_options &options, std::string &error) {
  int jobs = 0;
  for (char c : value) {
    if (c < '0' || c > '9' || jobs > 1000) {
      jobs = 0;
      break;
    }
    jobs = jobs * 10 + (c - '0');
  }
  if (jobs < 1 || jobs > 1024) {
    error = "--jobs needs a number of files from 1 to 1024, not '" + value + "'";
    return false;
  }
  options.jobs = jobs;
  return true;
}

bool set_max_size(const std::string &value, cli_options &options, std::string &error) {
  constexpr int64_t largest = 1073741824;
  int64_t size = value.empty() ? -1 : 0;
  for (char c : value) {
    if (c < '0' || c > '9' || size > largest) {
      size = -1;
      break;
    }
    size = size * 10 + (c - '0');
  }
  if (size < 1 || size > largest) {
    error = "--max-size needs a number of bytes from 1 to " + std::to_string(largest) + ", not '" + value + "'";
    return false;
  }
  options.max_size = static_cast<int32_t>(size);
  return true;
}

bool set_output(const std::string &value, cli_options &options, std::string &error) {
  if (value.empty()) {
    error = "--output needs a file name";
    return false;
  }
  options.output = value;
  options.has_output = true;
  return true;
}

// The options that choose how the TOC is made: also settings of a page.
bool is_choice(const std::string &name) {
  return name == "--levels" || name == "--anchors" || name == "--names" ||
         name == "--skip-class" || name == "--style";
}

bool set_choice(const std::string &key, const std::string &value, cli_options &options,
                std::string &error) {
  if (set_toc_choice(options.choices, key, value, error)) return true;
  error = "--" + key + ": " + error;
  return false;
}

}  // namespace

bool parse_cli_options(const std::vector<std::string> &args, cli_options &options,
                       std::string &error) {
  options = cli_options();
  bool only_files = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string &arg = args[i];
    if (only_files || arg == "-" || arg.empty() || arg[0] != '-') {
      options.files.push_back(arg);
      continue;
    }
    if (arg == "--") {
      only_files = true;
      continue;
    }
    if (arg.compare(0, 2, "--") == 0) {
      size_t eq = arg.find('=');
      std::string name = arg.substr(0, eq);
      bool has_inline = eq != std::string::npos;
      std::string inline_value = has_inline ? arg.substr(eq + 1) : std::string();
      std::string value;
      if (name == "--output") {
        if (!take_value(args, i, inline_value, has_inline, name, value, error) ||
            !set_output(value, options, error))
          return false;
      } else if (name == "--stamp") {
        if (!take_value(args, i, inline_value, has_inline, name, value, error) ||
            !set_stamp(value, options, error))
          return false;
      } else if (name == "--jobs") {
        if (!take_value(args, i, inline_value, has_inline, name, value, error) ||
            !set_jobs(value, options, error))
          return false;
      } else if (name == "--max-size") {
        if (!take_value(args, i, inline_value, has_inline, name, value, error) ||
            !set_max_size(value, options, error))
          return false;
      } else if (name == "--include" || name == "--exclude") {
        if (!take_value(args, i, inline_value, has_inline, name, value, error)) return false;
        (name == "--include" ? options.include : options.exclude).push_back(value);
      } else if (name == "--index") {
        if (!take_value(args, i, inline_value, has_inline, name, value, error)) return false;
        if (value.empty() || value == "-") {
          error = "--index needs a file name";
          return false;
        }
        options.index = value;
      } else if (is_choice(name)) {
        if (!take_value(args, i, inline_value, has_inline, name, value, error) ||
            !set_choice(name.substr(2), value, options, error))
          return false;
      } else if (has_inline) {
        error = "option " + name + " takes no value";
        return false;
      } else if (name == "--check") {
        options.check = true;
      } else if (name == "--diff") {
        options.diff = true;
      } else if (name == "--remove") {
        options.remove = true;
      } else if (name == "--number") {
        set_toc_choice(options.choices, "number", "yes", error);
      } else if (name == "--check-links") {
        options.check_links = true;
      } else if (name == "--quiet") {
        options.quiet = true;
      } else if (name == "--recursive") {
        options.recursive = true;
      } else if (name == "--help") {
        options.help = true;
      } else if (name == "--version") {
        options.version = true;
      } else {
        error = "unknown option " + name;
        return false;
      }
      continue;
    }
    // A cluster of short options: -cq, -o DEST, -oDEST.
    for (size_t k = 1; k < arg.size(); ++k) {
      char c = arg[k];
      if (c == 'c') {
        options.check = true;
      } else if (c == 'q') {
        options.quiet = true;
      } else if (c == 'R') {
        options.remove = true;
      } else if (c == 'N') {
        set_toc_choice(options.choices, "number", "yes", error);
      } else if (c == 'r') {
        options.recursive = true;
      } else if (c == 'j') {
        std::string rest = arg.substr(k + 1);
        std::string value;
        if (!take_value(args, i, rest, !rest.empty(), "-j", value, error) ||
            !set_jobs(value, options, error))
          return false;
        break;
      } else if (c == 'h') {
        options.help = true;
      } else if (c == 'V') {
        options.version = true;
      } else if (c == 's') {
        std::string rest = arg.substr(k + 1);
        std::string value;
        if (!take_value(args, i, rest, !rest.empty(), "-s", value, error) ||
            !set_choice("style", value, options, error))
          return false;
        break;
      } else if (c == 'o') {
        std::string rest = arg.substr(k + 1);
        std::string value;
        if (!take_value(args, i, rest, !rest.empty(), "-o", value, error) ||
            !set_output(value, options, error))
          return false;
        break;
      } else {
        error = std::string("unknown option -") + c;
        return false;
      }
    }
  }
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
  if (options.remove && options.choices.has_number && options.choices.number) {
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
