#include "cli/quenby_toc.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>
#include "cli/cli_options.h"
#include "html/regex_binding.h"
#include "toc/make_toc_file.h"
#include "toc/run_stamp.h"
#include "value/krval.h"

namespace fsys = std::filesystem;

namespace {

const char program[] = "quenby-toc";

void say(cli_io &io, const std::string &line) {
  std::fprintf(io.err, "%s: %s\n", program, line.c_str());
}

// The job's messages end in a line end meant for a message box.
std::string without_line_end(const krval &message) {
  std::string text = message.str();
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

// A scratch file in the system's temporary folder, removed when it goes.
class scratch_file {
public:
  explicit scratch_file(const char *what) {
    std::error_code ec;
    fsys::path folder = fsys::temp_directory_path(ec);
    if (ec) folder = ".";
    std::random_device random;
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
      fsys::path candidate =
          folder / (std::string("quenby-toc-") + std::to_string(random()) + "-" + what);
      if (!fsys::exists(candidate, ec)) path_ = candidate.string();
    }
  }
  ~scratch_file() {
    if (!path_.empty()) std::remove(path_.c_str());
  }
  scratch_file(const scratch_file &) = delete;
  scratch_file &operator=(const scratch_file &) = delete;
  const std::string &path() const { return path_; }
  bool usable() const { return !path_.empty(); }

private:
  std::string path_;
};

bool read_file_bytes(const std::string &path, std::string &bytes) {
  std::FILE *f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  bytes.clear();
  char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
  bool ok = !std::ferror(f);
  std::fclose(f);
  return ok;
}

bool write_file_bytes(const std::string &path, const std::string &bytes) {
  std::FILE *f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = std::fclose(f) == 0 && ok;
  return ok;
}

// Reads the whole input stream, stopping once it reaches the size the engine
// refuses: the rest would never be used.
enum class input_read { ok, too_large, failed };
input_read read_stream(std::FILE *in, std::string &bytes) {
  bytes.clear();
  char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0) {
    bytes.append(buffer, n);
    if (bytes.size() >= static_cast<size_t>(toc_source_size_limit)) return input_read::too_large;
  }
  return std::ferror(in) ? input_read::failed : input_read::ok;
}

std::string size_limit_text() {
  return "files of " + std::to_string(toc_source_size_limit) + " bytes or more are refused";
}

struct progress_display {
  cli_io *io;
  const std::string *name;
  int32_t shown = -1;
};

void show_progress(int32_t percent, void *context) {
  auto *display = static_cast<progress_display *>(context);
  if (percent == display->shown) return;
  display->shown = percent;
  std::fprintf(display->io->err, "\r%s: %3d%%", display->name->c_str(), percent);
  std::fflush(display->io->err);
}

// Runs the window's own job from source to destination.
bool run_job(const std::string &source, const std::string &destination, const std::string &name,
             const cli_options &options, cli_io &io) {
  toc_style style;
  toc_tree tree;
  toc_node *last_entry = nullptr;
  toc_node *first_entry = nullptr;
  krval message("");
  progress_display display{&io, &name};
  bool show = io.err_is_terminal && !options.quiet;
  int32_t result = make_toc_file(krval(source.c_str()), krval(destination.c_str()), 1, style,
                                 tree, last_entry, first_entry, message,
                                 show ? show_progress : nullptr, &display);
  if (show && display.shown >= 0) std::fputc('\n', io.err);
  if (result != 0) {
    say(io, without_line_end(message));
    return false;
  }
  return true;
}

// One clear line for a FILE that cannot be a source, before anything is read.
bool usable_source(const std::string &file, cli_io &io) {
  std::error_code ec;
  fsys::file_status status = fsys::status(file, ec);
  if (ec || !fsys::exists(status)) {
    say(io, file + ": no such file");
    return false;
  }
  if (fsys::is_directory(status)) {
    say(io, file + ": is a directory, not an HTML file");
    return false;
  }
  if (!fsys::is_regular_file(status)) {
    say(io, file + ": not a regular file");
    return false;
  }
  uintmax_t size = fsys::file_size(file, ec);
  if (!ec && size >= static_cast<uintmax_t>(toc_source_size_limit)) {
    say(io, file + ": too large (" + std::to_string(size) + " bytes); " + size_limit_text());
    return false;
  }
  std::FILE *f = std::fopen(file.c_str(), "rb");
  if (!f) {
    say(io, file + ": can't be read: " + std::strerror(errno));
    return false;
  }
  std::fclose(f);
  return true;
}

// FILE "-": the input goes through scratch files, since the job works on
// files; the result goes to standard output or to DEST.
int process_standard_input(const cli_options &options, cli_io &io) {
  const std::string name = "standard input";
  std::string input;
  switch (read_stream(io.in, input)) {
    case input_read::too_large:
      say(io, name + ": too large; " + size_limit_text());
      return CLI_FAILED;
    case input_read::failed:
      say(io, name + ": can't be read");
      return CLI_FAILED;
    case input_read::ok:
      break;
  }
  scratch_file source("in.html");
  if (!source.usable() || !write_file_bytes(source.path(), input)) {
    say(io, "can't write a temporary file in " + fsys::temp_directory_path().string());
    return CLI_FAILED;
  }
  if (options.has_output)
    return run_job(source.path(), options.output, name, options, io) ? CLI_DONE : CLI_FAILED;

  scratch_file result("out.html");
  if (!result.usable()) {
    say(io, "can't make a temporary file");
    return CLI_FAILED;
  }
  if (!run_job(source.path(), result.path(), name, options, io)) return CLI_FAILED;
  std::string output;
  if (!read_file_bytes(result.path(), output)) {
    say(io, "can't read the temporary result " + result.path());
    return CLI_FAILED;
  }
  if (options.check) {
    if (output == input) return CLI_DONE;
    say(io, name + ": would change");
    return CLI_FAILED;
  }
  if (std::fwrite(output.data(), 1, output.size(), io.out) != output.size() ||
      std::fflush(io.out) != 0) {
    say(io, "standard output: write failed");
    return CLI_FAILED;
  }
  return CLI_DONE;
}

int process_file(const std::string &file, const cli_options &options, cli_io &io) {
  if (!usable_source(file, io)) return CLI_FAILED;
  if (options.check) {
    scratch_file result("check.html");
    if (!result.usable()) {
      say(io, "can't make a temporary file");
      return CLI_FAILED;
    }
    if (!run_job(file, result.path(), file, options, io)) return CLI_FAILED;
    std::string before, after;
    if (!read_file_bytes(file, before) || !read_file_bytes(result.path(), after)) {
      say(io, file + ": can't compare with the result");
      return CLI_FAILED;
    }
    if (before == after) return CLI_DONE;
    say(io, file + ": would change");
    return CLI_FAILED;
  }
  const std::string &destination = options.has_output ? options.output : file;
  return run_job(file, destination, file, options, io) ? CLI_DONE : CLI_FAILED;
}

int usage_error(cli_io &io, const std::string &error) {
  say(io, error);
  std::fputs(quenby_toc_usage, io.err);
  return CLI_USAGE;
}

}  // namespace

int run_quenby_toc(const std::vector<std::string> &args, cli_io &io) {
  cli_options options;
  std::string error;
  if (!parse_cli_options(args, options, error)) return usage_error(io, error);
  if (options.help) {
    std::fputs(quenby_toc_usage, io.out);
    return CLI_DONE;
  }
  if (options.version) {
    std::fputs(quenby_toc_version, io.out);
    return CLI_DONE;
  }

  int32_t stamp = 0;
  if (options.has_stamp) {
    fix_run_stamp(options.stamp);
  } else if (io.source_date_epoch && *io.source_date_epoch) {
    if (!parse_stamp(io.source_date_epoch, stamp))
      return usage_error(io, std::string("SOURCE_DATE_EPOCH must be whole seconds from 0 to "
                                         "2147483647, not '") +
                                 io.source_date_epoch + "'");
    fix_run_stamp(stamp);
  } else {
    unfix_run_stamp();
  }

  size_t from_input = 0;
  for (const std::string &file : options.files) from_input += file == "-";
  if (from_input > 1) return usage_error(io, "standard input (\"-\") can be read only once");

  if (!load_regex_library()) {
    say(io, std::string("can't load ") + regex_library_file +
                " (it belongs beside the program or in its lib/quenby folder)");
    return CLI_FAILED;
  }

  int status = CLI_DONE;
  for (const std::string &file : options.files) {
    int one = file == "-" ? process_standard_input(options, io) : process_file(file, options, io);
    if (one != CLI_DONE) status = CLI_FAILED;
  }
  unfix_run_stamp();
  return status;
}
