// site_run: what a run of quenby-toc keeps of each page for the steps that
// look across pages once every page is done: the contents page (--index)
// and the link check (--check-links). The run's list of files is their
// input, in its order; a file given twice counts once.
#pragma once
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>
#include "cli/link_check.h"
#include "cli/quenby_toc.h"
#include "html/krhtml.h"
#include "toc/page_settings.h"
#include "toc/toc_options.h"
#include "toc/toc_tree.h"

struct page_record {
  bool done = false;                  // the page's run succeeded
  std::string destination;            // its result's file; empty: standard output
  std::string title;                  // its <title> text, raw
  std::unique_ptr<toc_tree> entries;  // its TOC entries, kept for the contents page
  bool scanned = false;               // links below read already (the result was in memory)
  page_links links;
};

class site_run {
public:
  site_run(std::string contents_file, bool check_links)
      : contents_file_(std::move(contents_file)), check_links_(check_links) {}

  bool wanted() const { return keeps_entries() || check_links_; }
  bool keeps_entries() const { return !contents_file_.empty(); }
  bool checks_links() const { return check_links_; }
  const std::string &contents_file() const { return contents_file_; }

  // The record of a file, made on first use; each page's job fills its own,
  // possibly on several threads at once.
  page_record &record_for(const std::string &file);
  page_record *find(const std::string &file);

private:
  std::string contents_file_;
  bool check_links_;
  std::mutex lock_;
  std::map<std::string, page_record> records_;
};

// How the steps after the pages write, or only compare.
struct site_settings {
  const toc_options *base = nullptr;      // the run's options
  const toc_choices *chosen = nullptr;    // the command line's choices
  const style_file_reader *style_files = nullptr;   // for those a contents page names
  bool check = false;                     // write nothing, exit 1 when a file would change
  bool diff = false;                      // as check, and print the change
  bool pages_failed = false;              // a page or a folder of the run failed
  int32_t max_size = krhtml::kSizeLimit - 1;   // the largest page read, the contents page too
};

// The files without the contents page itself, which is made after the others.
std::vector<std::string> without_contents_page(const std::vector<std::string> &files,
                                               const std::string &contents_file);

// The contents page, then the link check, over files in the run's order;
// link_findings receives the number of the check's findings. CLI_DONE;
// CLI_FOUND where the contents page would change or a link is wrong;
// CLI_TROUBLE where something could not be read or made, after saying why.
int finish_site_run(const std::vector<std::string> &files, site_run &site,
                    const site_settings &settings, cli_io &io, std::size_t &link_findings);
