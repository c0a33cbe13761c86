#include "cli/site_run.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#include "cli/contents_head.h"
#include "cli/contents_page.h"
#include "cli/full_path.h"
#include "cli/printable_line.h"
#include "cli/unified_diff.h"
#include "fs/fs.h"
#include "page_files/destination_file.h"
#include "page_files/make_toc_file.h"

namespace fsys = std::filesystem;

page_record &site_run::record_for(const std::string &file) {
  std::lock_guard<std::mutex> hold(lock_);
  return records_[file];
}

page_record *site_run::find(const std::string &file) {
  std::lock_guard<std::mutex> hold(lock_);
  auto at = records_.find(file);
  return at == records_.end() ? nullptr : &at->second;
}

namespace {

bool same_file(const std::string &a, const std::string &b) {
  const std::string identity = file_identity(krval(a.c_str()));
  if (!identity.empty() && identity == file_identity(krval(b.c_str()))) return true;
  return full_path(a) == full_path(b);
}

// The contents page's present text; none where it does not exist yet.
bool present_contents(const std::string &out, std::string &bytes, bool &exists, cli_io &io) {
  std::error_code ec;
  const fsys::file_status status = fsys::status(out, ec);
  exists = !ec && fsys::exists(status);
  if (!exists) {
    bytes = fresh_contents_page;
    return true;
  }
  if (!fsys::is_regular_file(status)) {
    say(io, out + ": not a regular file");
    return false;
  }
  if (!read_file_bytes(out, bytes)) {
    say(io, out + ": can't be read: " + std::strerror(errno));
    return false;
  }
  return true;
}

// The contents page of the pages done; its result's text in made.
int make_contents_page(const std::vector<std::string> &files, site_run &site,
                       const site_settings &settings, cli_io &io, std::string &made) {
  const std::string &out = site.contents_file();
  std::vector<contents_source> sources;
  for (const std::string &file : files) {
    page_record *record = site.find(file);
    if (settings.pages_failed || !record || !record->done) {
      say(io, out + ": not made, since a page failed");
      return CLI_TROUBLE;
    }
    if (same_file(record->destination, out)) continue;   // the contents page lists the others
    sources.push_back({record->destination, record->title, std::move(record->entries)});
  }
  std::string before;
  bool exists = false;
  if (!present_contents(out, before, exists, io)) return CLI_TROUBLE;

  toc_tree contents;
  build_contents(out, sources, contents);
  std::string source;
  if (!prepare_contents_page(before, contents, source)) {
    say(io, out + ": can't be read as a page (too large)");
    return CLI_TROUBLE;
  }
  toc_request request;
  request.bytes = source.data();
  request.length = source.size();
  request.options = *settings.base;
  request.chosen = settings.chosen;
  request.style_folder = folder_of(out);
  request.style_files = settings.style_files;
  request.comment_matcher = toc_comment_matches;
  request.page_name = out;
  request.tree = &contents;
  request.entries_given = true;
  request.size_limit = settings.max_size + 1;
  string_sink sink(made);
  toc_result result;
  if (make_toc(request, &sink, result) != 0) {
    say(io, message_line(result.message));
    return CLI_TROUBLE;
  }
  if (contents.first && made.find(toc_start_marker) == std::string::npos) {
    say(io, out + ": no place for the contents (a <!-- toc --> comment or a <body> tag "
                  "outside the old TOC block)");
    made.clear();   // nothing to check links in either
    return CLI_TROUBLE;
  }
  if (exists && made == before) return CLI_DONE;   // left as it is, its time too
  if (settings.diff) {
    const std::string diff = unified_diff(exists ? before : std::string(), made, out);
    std::fwrite(diff.data(), 1, diff.size(), io.out);
    return CLI_FOUND;
  }
  if (settings.check) {
    say(io, out + ": would change");
    return CLI_FOUND;
  }
  replacement_rules rules;
  rules.readable_below = request.size_limit;
  replacement_failure failure;
  if (replace_file_with(made, krval(out.c_str()), rules, failure) != 0) {
    say(io, message_line(failure.message));
    return CLI_TROUBLE;
  }
  return CLI_DONE;
}

int check_run_links(const std::vector<std::string> &files, site_run &site, const std::string *contents,
                    cli_io &io, std::size_t &count) {
  std::vector<checked_page> pages;
  page_links contents_links;
  bool unreadable = false;
  for (const std::string &file : files) {
    page_record *record = site.find(file);
    if (!record || !record->done) continue;   // said already
    const std::string name = file == "-" ? "standard input" : record->destination;
    if (!record->scanned) {
      std::string bytes;
      if (!read_file_bytes(record->destination, bytes) ||
          !scan_page_links(bytes.data(), bytes.size(), record->links)) {
        say(io, record->destination + ": can't be read for the link check");
        unreadable = true;
        continue;
      }
      record->scanned = true;
    }
    pages.push_back({name, file == "-" ? std::string() : record->destination, &record->links});
  }
  if (contents && scan_page_links(contents->data(), contents->size(), contents_links))
    pages.push_back({site.contents_file(), site.contents_file(), &contents_links});
  const std::vector<std::string> findings = check_links(pages);
  count = findings.size();
  for (const std::string &line : findings) std::fprintf(io.out, "%s\n", printable_line(line).c_str());
  std::fflush(io.out);
  if (unreadable) return CLI_TROUBLE;
  return findings.empty() ? CLI_DONE : CLI_FOUND;
}

}  // namespace

std::vector<std::string> without_contents_page(const std::vector<std::string> &files,
                                               const std::string &contents_file) {
  if (contents_file.empty()) return files;
  std::vector<std::string> pages;
  for (const std::string &file : files)
    if (file == "-" || !same_file(file, contents_file)) pages.push_back(file);
  return pages;
}

int finish_site_run(const std::vector<std::string> &files, site_run &site,
                    const site_settings &settings, cli_io &io, std::size_t &link_findings) {
  link_findings = 0;
  int status = CLI_DONE;
  std::string contents;
  bool contents_made = false;
  if (site.keeps_entries()) {
    status = make_contents_page(files, site, settings, io, contents);
    contents_made = !contents.empty();
  }
  if (site.checks_links())
    status = std::max(status, check_run_links(files, site, contents_made ? &contents : nullptr, io, link_findings));
  return status;
}
