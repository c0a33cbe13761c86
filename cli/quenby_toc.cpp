#include "cli/quenby_toc.h"

#include <algorithm>
#include <cerrno>
#include <set>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <system_error>
#include <thread>
#include "cli/cli_options.h"
#include "cli/file_selection.h"
#include "cli/page_kind.h"
#include "cli/parallel_files.h"
#include "cli/printable_line.h"
#include "cli/run_display.h"
#include "cli/site_run.h"
#include "cli/unified_diff.h"
#include "fs/fs.h"
#include "regex/regex_binding.h"
#include "page_files/destination_batch.h"
#include "page_files/make_toc_file.h"
#include "page_files/style_files.h"
#include "page_files/stale_temporaries.h"
#include "value/krval.h"

namespace fsys = std::filesystem;

namespace {

const char program[] = "quenby-toc";

}  // namespace

void say(cli_io &io, const std::string &line) {
  std::fprintf(io.err, "%s: %s\n", program, printable_line(line).c_str());
}

namespace {

// A file's messages wait in its outcome, to be printed whole and in order.
void note(file_outcome &outcome, const std::string &line) {
  outcome.errors += std::string(program) + ": " + printable_line(line) + "\n";
}

// Reads the whole input stream, stopping once it passes the largest size
// taken: the rest would never be used.
enum class input_read { ok, too_large, failed };
input_read read_stream(std::FILE *in, int32_t max_size, std::string &bytes) {
  bytes.clear();
  char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0) {
    bytes.append(buffer, n);
    if (bytes.size() > static_cast<size_t>(max_size)) return input_read::too_large;
  }
  return std::ferror(in) ? input_read::failed : input_read::ok;
}

std::string size_limit_text(int32_t max_size) {
  return "pages of more than " + std::to_string(max_size) + " bytes are refused (see --max-size)";
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
  std::fprintf(display->io->err, "\r%s: %3d%%", printable_line(*display->name).c_str(), percent);
  std::fflush(display->io->err);
}

// What every page's run shares: the options made of the command line.
struct run_setup {
  const cli_options &options;
  cli_io &io;
  toc_options base;   // the command line over the defaults; pages add their own layers
  bool per_file_progress = false;   // a percentage for the one file of the run
  destination_batch *batch = nullptr;   // where the pages written wait to be made durable
  site_run *site = nullptr;   // what the steps across pages keep of each page
  disk_style_files style_files{};   // those the pages name
};

// The record of a page for the steps across pages, or none.
page_record *record_of(const std::string &file, const std::string &destination, run_setup &setup) {
  if (!setup.site || !setup.site->wanted()) return nullptr;
  page_record &record = setup.site->record_for(file);
  record.destination = destination;
  return &record;
}

// One page's run: the engine's request for it, and what it shows and keeps.
struct page_job {
  const std::string &file;   // "-": standard input
  const std::string &name;   // as messages name it
  run_setup &setup;
  file_outcome &outcome;
  page_record *record;
  std::unique_ptr<toc_tree> tree = std::make_unique<toc_tree>();
  progress_display display;
  toc_request request;

  page_job(const std::string &file, const std::string &name, const std::string &destination,
           run_setup &setup, file_outcome &outcome)
      : file(file), name(name), setup(setup), outcome(outcome),
        record(record_of(file, destination, setup)), display{&setup.io, &name} {
    request.options = setup.base;
    request.chosen = &setup.options.choices;
    request.style_folder = file == "-" ? std::string() : folder_of(file);   // the page's own
    request.style_files = &setup.style_files;
    request.comment_matcher = toc_comment_matches;
    request.page_name = name;
    request.tree = tree.get();
    request.remove = setup.options.remove;
    request.size_limit = setup.options.max_size + 1;
    request.wants_title = record != nullptr;
    request.leave_contents_pages = true;   // made only by --index, which leaves it out of the files
    if (setup.per_file_progress) {
      request.progress = show_progress;
      request.context = &display;
    }
  }

  // After the engine: false where it failed, with the reason noted.
  bool finish(int32_t status, const toc_result &result, const std::string &reason, const std::string *made) {
    if (display.shown >= 0) std::fputc('\n', setup.io.err);
    if (status != 0) {
      const std::string line = message_line(result.message);
      note(outcome, reason.empty() ? line : line + ": " + reason);
      outcome.kind = file_outcome::failed;
      return false;
    }
    if (result.unchanged) outcome.kind = file_outcome::unchanged;
    if (result.left_contents_page)
      note(outcome, name + ": a contents page made by --index, left as it is" +
                        (file == "-" ? std::string() : " (--index " + file + " remakes it)"));
    if (record) {
      record->done = true;
      record->title = result.title;
      if (setup.site->keeps_entries()) record->entries = std::move(tree);
      if (made && setup.site->checks_links())
        record->scanned = scan_page_links(made->data(), made->size(), record->links);
    }
    return true;
  }
};

// A page's text made in memory into made (a contents page comes back as it is).
bool make_in_memory(const std::string &file, const std::string &bytes, const std::string &name,
                    run_setup &setup, file_outcome &outcome, std::string &made) {
  // Under --check the page's result would stand in its own place.
  page_job job(file, name, file == "-" ? std::string() : file, setup, outcome);
  job.request.bytes = bytes.data();
  job.request.length = bytes.size();
  string_sink sink(made);
  toc_result result;
  const int32_t status = make_toc(job.request, &sink, result);
  if (status == 0 && result.left_contents_page) made = bytes;
  return job.finish(status, result, std::string(), &made);
}

// A page's text made in memory and written to destination.
void make_into_file(const std::string &bytes, const std::string &destination, const std::string &name,
                    run_setup &setup, file_outcome &outcome) {
  page_job job("-", name, destination, setup, outcome);
  job.request.bytes = bytes.data();
  job.request.length = bytes.size();
  std::string made;
  string_sink sink(made);
  toc_result result;
  int32_t status = make_toc(job.request, &sink, result);
  replacement_failure failure;
  if (status == 0 && !result.left_contents_page) {
    replacement_rules rules;
    rules.readable_below = job.request.size_limit;
    status = replace_file_with(made, krval(destination.c_str()), rules, failure);
    if (status != 0) result.message = failure.message;
  }
  job.finish(status, result, failure.reason, nullptr);
}

// A page file made into destination, which may be the page itself: a page
// rewritten in place whose TOC is current is left alone.
void make_file(const std::string &file, const std::string &destination, std::size_t index, run_setup &setup,
               file_outcome &outcome) {
  page_job job(file, file, destination, setup, outcome);
  job.request.leave_unchanged = destination == file;
  replacement_rules rules;
  rules.readable_below = job.request.size_limit;
  if (setup.batch) {
    rules.batch = setup.batch;
    rules.batch_key = index;
  }
  toc_file_result result;
  const int32_t status =
      make_toc_with_options(krval(file.c_str()), krval(destination.c_str()), job.request, rules, result);
  if (job.finish(status, result, result.reason, nullptr))
    outcome.pending = setup.batch != nullptr && !result.unchanged;
}

// --check and --diff: whether the page would change, and how.
void report_change(const std::string &before, const std::string &after, const std::string &name,
                   run_setup &setup, file_outcome &outcome) {
  if (before == after) {
    outcome.kind = file_outcome::unchanged;
    return;
  }
  outcome.kind = file_outcome::changed;
  if (setup.options.diff)
    outcome.output = unified_diff(before, after, name);
  else
    note(outcome, name + ": would change");
}

// One clear line for a FILE that cannot be a source, before the engine reads
// it: missing, no regular file, too large, unreadable, or no HTML page.
bool usable_source(const std::string &file, int32_t max_size, file_outcome &outcome) {
  outcome.kind = file_outcome::failed;
  std::error_code ec;
  fsys::file_status status = fsys::status(system_path(file), ec);
  if (ec || !fsys::exists(status)) {
    note(outcome, file + ": no such file");
    return false;
  }
  if (fsys::is_directory(status)) {
    note(outcome, file + ": is a directory, not an HTML file (-r takes the pages below it)");
    return false;
  }
  if (!fsys::is_regular_file(status)) {
    note(outcome, file + ": not a regular file");
    return false;
  }
  uintmax_t size = fsys::file_size(system_path(file), ec);
  if (!ec && size > static_cast<uintmax_t>(max_size)) {
    note(outcome, file + ": too large (" + std::to_string(size) + " bytes); " + size_limit_text(max_size));
    return false;
  }
  std::FILE *f = std::fopen(file.c_str(), "rb");
  if (!f) {
    note(outcome, file + ": can't be read: " + std::strerror(errno));
    return false;
  }
  page_kind_scan kind;
  char buffer[65536];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) kind.take(buffer, n);
  const bool read_whole = !std::ferror(f);
  const int read_error = errno;
  std::fclose(f);
  if (!read_whole) {
    note(outcome, file + ": can't be read: " + std::strerror(read_error));
    return false;
  }
  if (!kind.is_html()) {
    note(outcome, file + ": " + kind.why_not());
    return false;
  }
  outcome.kind = file_outcome::changed;
  outcome.bytes = ec ? 0 : static_cast<int64_t>(size);
  return true;
}

// FILE "-": the page is read whole and made in memory; the result goes to
// standard output or to DEST.
void process_standard_input(run_setup &setup, file_outcome &outcome) {
  cli_io &io = setup.io;
  const std::string name = "standard input";
  std::string input;
  outcome.kind = file_outcome::failed;
  switch (read_stream(io.in, setup.options.max_size, input)) {
    case input_read::too_large:
      note(outcome, name + ": too large; " + size_limit_text(setup.options.max_size));
      return;
    case input_read::failed:
      note(outcome, name + ": can't be read");
      return;
    case input_read::ok:
      break;
  }
  page_kind_scan kind;
  kind.take(input.data(), input.size());
  if (!kind.is_html()) {
    note(outcome, name + ": " + kind.why_not());
    return;
  }
  outcome.kind = file_outcome::changed;
  outcome.bytes = static_cast<int64_t>(input.size());
  if (setup.options.has_output && !setup.options.writes_standard_output()) {
    make_into_file(input, setup.options.output, name, setup, outcome);
    return;
  }
  std::string output;
  if (!make_in_memory("-", input, name, setup, outcome, output)) return;
  if (setup.options.check || setup.options.diff) {
    report_change(input, output, name, setup, outcome);
    return;
  }
  if (output == input) outcome.kind = file_outcome::unchanged;
  outcome.output = std::move(output);
}

void process_file(const std::string &file, std::size_t index, run_setup &setup, file_outcome &outcome) {
  if (!usable_source(file, setup.options.max_size, outcome)) return;
  if (setup.options.check || setup.options.diff || setup.options.writes_standard_output()) {
    std::string before, after;
    if (!read_file_bytes(file, before)) {
      note(outcome, file + ": can't be read: " + std::strerror(errno));
      outcome.kind = file_outcome::failed;
      return;
    }
    if (!make_in_memory(file, before, file, setup, outcome, after)) return;
    if (!setup.options.writes_standard_output()) {
      report_change(before, after, file, setup, outcome);
      return;
    }
    if (after == before) outcome.kind = file_outcome::unchanged;
    outcome.output = std::move(after);
    return;
  }
  const std::string &destination = setup.options.has_output ? setup.options.output : file;
  make_file(file, destination, index, setup, outcome);
}

// The counts of a run of several files, and what is shown while it goes.
struct run_totals {
  std::size_t changed = 0, unchanged = 0, failed = 0;
  bool output_failed = false;
};

int default_jobs() {
  const unsigned processors = std::thread::hardware_concurrency();
  return processors > 0 ? static_cast<int>(processors) : 1;
}

// The files a run writes: each FILE in place, or DEST, and the contents page.
std::vector<std::string> destinations_of(const std::vector<std::string> &files, const cli_options &options) {
  std::vector<std::string> destinations;
  if (options.has_output) {
    if (!options.writes_standard_output()) destinations.push_back(options.output);
  } else {
    for (const std::string &file : files)
      if (file != "-") destinations.push_back(file);
  }
  if (!options.index.empty()) destinations.push_back(options.index);
  return destinations;
}

// A folder with -r stands for many pages, however few it holds.
bool folder_given(const cli_options &options) {
  std::error_code ec;
  for (const std::string &file : options.files)
    if (options.recursive && file != "-" && fsys::is_directory(file, ec)) return true;
  return false;
}

// One line, so that the error does not scroll away under the help.
int usage_error(cli_io &io, const std::string &error) {
  say(io, error);
  std::fprintf(io.err, "Try '%s --help' for more information.\n", program);
  return CLI_TROUBLE;
}

// A style given by name is one of ours or a file; a name that is neither is
// most likely one of ours mistyped.
bool known_style(const std::optional<std::string> &style) {
  if (!style || is_predefined_style(*style)) return true;
  std::error_code ec;
  return fsys::exists(system_path(*style), ec);
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

  site_run site(options.index, options.check_links);
  run_setup setup{options, io, toc_options()};
  setup.site = &site;
  if (options.has_stamp) {
    setup.base.stamp = options.stamp;
  } else if (io.source_date_epoch && *io.source_date_epoch) {
    if (!parse_stamp(io.source_date_epoch, setup.base.stamp))
      return usage_error(io, std::string("SOURCE_DATE_EPOCH must be whole seconds from 0 to "
                                         "2147483647, not '") +
                                 io.source_date_epoch + "'");
  } else {
    setup.base.stamp = static_cast<int32_t>(static_cast<uint32_t>(unix_time_now()));
  }
  if (!known_style(options.choices.style))
    return usage_error(io, "unknown style '" + *options.choices.style +
                               "' (classic, html5, ol, details, or a style file)");
  // A style file is read once here, so that its errors stop the run before
  // any page is touched.
  const toc_choices run_settings = merge_settings({{&options.choices, settings_origin::command_line}},
                                                  command_line_defaults()).choices;
  if (!resolve_toc_options(run_settings, std::string(), &setup.style_files, setup.base, error)) {
    say(io, error);
    return CLI_TROUBLE;
  }

  size_t from_input = 0;
  for (const std::string &file : options.files) from_input += file == "-";
  if (from_input > 1) return usage_error(io, "standard input (\"-\") can be read only once");

  if (!load_regex_library()) {
    say(io, std::string("can't load ") + regex_library_file +
                " (it belongs beside the program or in its lib/quenby folder)");
    return CLI_TROUBLE;
  }

  std::vector<std::string> files, problems;
  select_files(options.files, file_selection_rules{options.recursive, options.include, options.exclude},
               files, problems);
  for (const std::string &problem : problems) say(io, problem);
  files = each_file_once(without_contents_page(files, options.index));
  if (!options.check && !options.diff) {
    // A page whose interrupted copy cannot be finished is not touched.
    std::vector<std::string> unfinished;
    const std::set<std::string> refused = remove_stale_temporaries(destinations_of(files, options), unfinished);
    for (const std::string &problem : unfinished) say(io, problem);
    problems.insert(problems.end(), unfinished.begin(), unfinished.end());
    if (options.has_output && refused.count(options.output)) files.clear();
    files.erase(std::remove_if(files.begin(), files.end(),
                               [&](const std::string &file) { return refused.count(file) != 0; }),
                files.end());
  }
  setup.per_file_progress = files.size() == 1 && io.err_is_terminal && !options.quiet;

  run_totals totals;
  parallel_run run;
  run.files = files.size();
  run.threads = options.jobs > 0 ? options.jobs : default_jobs();
  run.work = [&](std::size_t index, file_outcome &outcome) {
    if (files[index] == "-")
      process_standard_input(setup, outcome);
    else
      process_file(files[index], index, setup, outcome);
  };
  // Several pages written in place are made durable a window at a time.
  destination_batch batch;
  batch.step_allowed = io.batch_step_allowed;
  if (files.size() > 1 && !options.check && !options.diff && !options.has_output) setup.batch = &batch;
  run.finish_window = [&](std::size_t first, std::size_t end, file_outcome *outcomes) {
    std::vector<std::string> folder_problems;
    for (const destination_batch::result &r : batch.commit(folder_problems)) {
      file_outcome &outcome = outcomes[r.key - first];
      outcome.pending = false;
      if (!r.replaced) {
        outcome.kind = file_outcome::failed;
        note(outcome, r.message);
      }
    }
    for (const std::string &problem : folder_problems) {
      note(outcomes[end - 1 - first], problem);
      outcomes[end - 1 - first].kind = file_outcome::failed;
    }
  };
  // A run of more than one file shows its progress as one line, and ends
  // with a summary.
  const bool many = files.size() > 1 || files.size() != options.files.size() || folder_given(options);
  run_display display(io.err, io.err_is_terminal && !options.quiet, files.size(),
                      options.check || options.diff);
  if (many && io.err_is_terminal && !options.quiet)
    run.progress = [&](std::size_t done, int64_t bytes) { display.progress(done, bytes); };
  run.print = [&](std::size_t, const file_outcome &outcome) {
    if (!outcome.errors.empty() || !outcome.output.empty()) display.clear();
    if (!outcome.output.empty() &&
        (std::fwrite(outcome.output.data(), 1, outcome.output.size(), io.out) != outcome.output.size() ||
         std::fflush(io.out) != 0) &&
        !totals.output_failed) {
      say(io, "standard output: write failed");
      totals.output_failed = true;
    }
    if (!outcome.errors.empty()) {
      std::fwrite(outcome.errors.data(), 1, outcome.errors.size(), io.err);
      std::fflush(io.err);
    }
    switch (outcome.kind) {
      case file_outcome::changed: ++totals.changed; break;
      case file_outcome::unchanged: ++totals.unchanged; break;
      case file_outcome::failed: ++totals.failed; break;
    }
  };
  run_in_parallel(run);

  int status = CLI_DONE;
  // --check and --diff report a page that would change.
  if ((options.check || options.diff) && totals.changed > 0) status = CLI_FOUND;
  if (!problems.empty() || totals.failed > 0 || totals.output_failed) status = CLI_TROUBLE;
  std::size_t link_findings = 0;
  display.clear();   // the steps across pages speak on lines of their own
  if (site.wanted()) {
    const site_settings settings{&setup.base, &options.choices,
                                 &setup.style_files, options.check, options.diff,
                                 !problems.empty() || totals.failed > 0, options.max_size};
    status = std::max(status, finish_site_run(files, site, settings, io, link_findings));
  }
  if (many && !options.quiet)
    // What could not be taken at all (a folder not entered, a link to no
    // page, a copy left unfinished) failed as much as a page that did.
    display.summary(totals.changed, totals.unchanged, totals.failed + problems.size(),
                    options.check_links ? &link_findings : nullptr);
  return status;
}
