#include "page_files/make_toc_file.h"

#include <cstring>
#include <filesystem>
#include <memory>
#include <new>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

#include "fs/fs.h"
#include "html/krhtml.h"
#include "html/large_region.h"
#include "html/node_text_store.h"
#include "html/xml_node_pool.h"
#include "toc/contents_page_mark.h"
#include "page_files/destination_batch.h"
#include "page_files/destination_file.h"
#include "toc/html_toc.h"
#include "toc/html_writer.h"
#include "toc/page_title.h"
#include "toc/same_text_sink.h"
#include "page_files/stale_temporaries.h"
#include "page_files/temporary_registry.h"

namespace {

constexpr int32_t chunk_size = 16384;          // what the parser is given at a time
constexpr int32_t read_size = 4 * chunk_size;   // what is read at a time
const char memory_error[] = "Memory error occured\r\n";
// Below this size a helper thread would cost more than it saves.
constexpr int32_t prefault_from = 1024 * 1024;

void set_message(krval &message, const char *prefix, const krval &name) {
  message = prefix;
  message.append(name);
  message.append("\r\n");
}

krval too_large_message(const krval &name, int32_t size_limit) {
  krval message(name);
  message.append((": too large; pages of " + std::to_string(size_limit) + " bytes or more are refused\r\n").c_str());
  return message;
}

void report(toc_progress_callback progress, void *context, int32_t percent) {
  if (progress) progress(percent, context);
}

// 0 to 70 while reading. A source that grows while it is read, or whose size
// the system does not know, stays within that range.
int32_t reading_percent(int64_t read, int32_t size) {
  if (size <= 0) return 70;
  double percent = static_cast<double>(read) / static_cast<double>(size) * 70.0;
  if (percent > 70.0) return 70;
  return static_cast<int32_t>(percent);
}

// Gathers the writer's pieces into large writes (one system call per piece
// would dominate the run on a big page). The page's own bytes, which stay in
// place while it is written, are not copied: the file layer takes them where
// they stand. Only passing texts (the TOC block) are copied, into a buffer
// that is never moved while pieces point into it.
class file_sink : public html_sink {
public:
  explicit file_sink(krfile handle) : handle_(handle), copies_(new (std::nothrow) char[copy_room]) {}

  void write(const char *bytes, int32_t count) override {
    if (failed_ || count <= 0) return;
    if (!copies_ || count > copy_room) {
      // Too long to copy: written at once, after what is gathered so far.
      drain();
      add(bytes, count);
      drain();
      return;
    }
    // Room for the copy and its piece first: pending pieces may point into
    // the buffer, and draining is what frees it.
    if (copy_room - copied_ < count || pieces_used_ == max_pieces) drain();
    char *at = copies_.get() + copied_;
    std::memcpy(at, bytes, static_cast<size_t>(count));
    copied_ += count;
    add(at, count);
  }

  void write_lasting(const char *bytes, int32_t count) override {
    if (failed_ || count <= 0) return;
    add(bytes, count);
  }

  // True when every byte reached the file.
  bool finish() {
    drain();
    return !failed_;
  }
  const std::string &reason() const { return reason_; }
  int64_t written() const { return written_; }

private:
  static constexpr int32_t gather_limit = 65536;   // bytes per system call, about
  static constexpr int32_t max_pieces = 256;
  static constexpr int32_t copy_room = 16384;
  static constexpr int32_t write_back_step = 1024 * 1024;

  void add(const char *bytes, int32_t count) {
    krfile_piece *last = pieces_used_ ? &pieces_[pieces_used_ - 1] : nullptr;
    if (last && last->bytes + last->count == bytes && last->count <= INT32_MAX - count) {
      last->count += count;   // neighbouring bytes, as copies in the buffer often are
    } else {
      if (pieces_used_ == max_pieces) drain();
      pieces_[pieces_used_++] = krfile_piece{bytes, count};
    }
    gathered_ += count;
    if (gathered_ >= gather_limit) drain();
  }

  void drain() {
    if (!failed_ && pieces_used_ > 0) clear_system_error();
    if (!failed_ && pieces_used_ > 0 && !write_pieces(pieces_, pieces_used_, handle_)) {
      failed_ = true;
      reason_ = last_system_error();
    }
    count_written(gathered_);
    pieces_used_ = 0;
    gathered_ = 0;
    copied_ = 0;
  }

  // The disk works while the rest is written.
  void count_written(int64_t count) {
    written_ += count;
    since_write_back_ += count;
    if (!failed_ && since_write_back_ >= write_back_step) {
      start_write_back(handle_);
      since_write_back_ = 0;
    }
  }

  krfile handle_;
  std::unique_ptr<char[]> copies_;   // none when out of memory: passing texts go out one by one
  int32_t copied_ = 0;
  krfile_piece pieces_[max_pieces];
  int32_t pieces_used_ = 0;
  int64_t gathered_ = 0;
  int64_t since_write_back_ = 0;
  int64_t written_ = 0;
  bool failed_ = false;
  std::string reason_;   // the system's, for the failed write
};

// Frees a document that is done with on a thread of its own, while the disk
// takes the last writes and the file is moved into place: freeing hundreds
// of thousands of nodes takes as long as those steps. Nothing else may use
// document nodes until it is over, which the destructor waits for. Where no
// thread can be started, the document is freed at once.
//
// Not on Windows: there a thread that ends after freeing a document was seen
// to crash in its thread-local tables' destructors (mingw-w64's emulated
// thread-local storage, under Wine, about one large page in three when its
// output went to a pipe), so the document is freed on the calling thread.
class background_release {
public:
  explicit background_release(xml_tree &document) {
#ifdef _WIN32
    document.clear();
    return;
#endif
    try {
      const xml_node_pool::storage_of_thread owner = xml_node_pool::this_threads_storage();
      thread_ = std::thread([&document, owner] {
        xml_node_pool::borrowed_storage nodes_of_owner(owner);
        document.clear();
      });
    } catch (const std::system_error &) {
      document.clear();
    }
  }
  ~background_release() {
    if (thread_.joinable()) thread_.join();
  }
  background_release(const background_release &) = delete;
  background_release &operator=(const background_release &) = delete;

private:
  std::thread thread_;
};

// Where a page's bytes come from: an open file, or bytes in memory.
class page_bytes {
public:
  virtual ~page_bytes() = default;
  virtual int32_t size() = 0;
  // Up to count bytes into buffer: how many, 0 at the end, negative on failure.
  virtual int32_t read(char *buffer, int32_t count) = 0;
  // Called once the page is read, before anything is written.
  virtual void done() {}
};

// The file is closed once read, on every path: the destination may be the
// same file.
class file_bytes : public page_bytes {
public:
  explicit file_bytes(krfile in) : in_(in) {}
  ~file_bytes() override { done(); }
  int32_t size() override { return file_size(in_).as_int(); }
  int32_t read(char *buffer, int32_t count) override { return read_bytes(buffer, count, in_); }
  void done() override {
    if (in_ != krfile_invalid) close_file(in_);
    in_ = krfile_invalid;
  }

private:
  krfile in_;
};

class memory_bytes : public page_bytes {
public:
  memory_bytes(const char *bytes, size_t length) : bytes_(bytes), left_(length) {}
  int32_t size() override {
    return left_ > static_cast<size_t>(INT32_MAX) ? INT32_MAX : static_cast<int32_t>(left_);
  }
  int32_t read(char *buffer, int32_t count) override {
    const size_t n = left_ < static_cast<size_t>(count) ? left_ : static_cast<size_t>(count);
    if (n > 0) std::memcpy(buffer, bytes_, n);
    bytes_ += n;
    left_ -= n;
    return static_cast<int32_t>(n);
  }

private:
  const char *bytes_;
  size_t left_;
};

// Reads the whole source into the document, and hands on the parser's
// landmarks of it (with the tags that may hold a name, where asked); 0, or
// the job's result with the message set.
int32_t read_source(page_bytes &in, const krval &source_name, xml_tree &document,
                    std::vector<xml_node *> &landmarks, bool list_named, int32_t size_limit,
                    toc_progress_callback progress, void *context, krval &message,
                    std::vector<source_piece> *pieces) {
  const int32_t size = in.size();
  int64_t read = 0;
  krhtml parser;
  parser.size_limit = size_limit;
  parser.is_landmark = list_named ? html_toc::is_landmark_or_named : html_toc::is_landmark;
  parser.set_tree(&document);
  // A parsed page takes about seven times its size in nodes and text; six
  // times is faulted in ahead, so that no page is cleared in vain.
  std::optional<large_region::prefaulting> ahead;
  if (size >= prefault_from) ahead.emplace(static_cast<std::size_t>(size) * 6);
  for (;;) {
    // Read straight into the node text store, where the nodes made of the
    // chunks see their bytes, a few chunks per system call.
    char *into = node_text_store::allocate(read_size);
    if (!into) {
      message = memory_error;
      return SGML_NO_MEMORY;
    }
    int32_t got = in.read(into, read_size);
    node_text_store::shorten_latest(into, read_size, got > 0 ? got : 0);
    if (pieces && got > 0) pieces->push_back(source_piece{into, got});
    if (got > 0) {
      for (int32_t at = 0; at < got; at += chunk_size) {
        const int32_t piece = got - at < chunk_size ? got - at : chunk_size;
        read += piece;
        parser.add_view(into + at, piece);
        int32_t status = parser.step();
        if (status == SGML_TOO_LARGE) {
          message = too_large_message(source_name, size_limit);
          return status;
        }
        if (status != 0) {
          message = memory_error;
          return status;
        }
        report(progress, context, reading_percent(read, size));
      }
      continue;
    }
    // A read error is not the end of the file: going on would write back a
    // truncated copy of the source.
    if (got < 0) {
      set_message(message, "Can't read source file: ", source_name);
      return 1;
    }
    parser.mark_input_complete();
    int32_t status = parser.step();
    if (status != SGML_DONE) {
      message = memory_error;
      return status;
    }
    landmarks = parser.take_landmarks();
    return 0;
  }
}

// Writes the document to a temporary file beside the destination and puts
// it in the destination's place once all of it is on the disk. The document
// is freed on the way.
int32_t write_destination(const krval &destination_name, xml_tree &document,
                          const html_toc &transform, toc_job &job, const file_version &read_as) {
  krval target = destination_target(destination_name);
  krval temporary;
  krfile out = create_temporary_beside(target, temporary);
  if (out == krfile_invalid) {
    job.reason = last_system_error();
    set_message(job.message, "Can't open file for writing: ", destination_name);
    return 1;
  }
  file_sink sink(out);
  write_html_document(document, sink, job.insert_toc, *job.tree, job.first_entry,
                      transform.start_marker, transform.end_marker, transform.insertion_node);
  // The temporary goes, and the destination stays as it was.
  auto give_up = [&](const std::string &why) {
    krval delete_name(temporary);
    delete_file(delete_name);
    forget_temporary(temporary.str());
    set_message(job.message, "Can't write file: ", destination_name);
    if (!why.empty()) job.message = (message_line(job.message) + " (" + why + ")\r\n").c_str();
    return 1;
  };
  bool written = sink.finish();
  if (!written) job.reason = sink.reason();
  if (written && job.readable_again && sink.written() >= job.size_limit) {
    // Written, no run could read the page again, nor remake or remove its TOC.
    close_file(out);
    return give_up("its new text of " + std::to_string(sink.written()) +
                   " bytes would be too large to be read again: pages of " + std::to_string(job.size_limit) +
                   " bytes or more are refused");
  }
  if (job.batch) {
    // The batch flushes and moves it with the others; the disk starts on
    // it now, while the next pages are made.
    if (written) start_write_back(out);
    written = take_attributes_of(target, out) && written;
    written = close_file(out) && written;
    if (written) {
      job.batch->add(job.batch_key, temporary, target, destination_name, read_as);
      return 0;
    }
  } else {
    start_write_back(out);
    background_release release(document);
    written = written && take_attributes_of(target, out);
    clear_system_error();
    auto allowed = [&job](destination_step step) { return !job.step_allowed || job.step_allowed(step); };
    written = written && allowed(destination_step::flush) && flush_to_disk(out);
    if (!written && job.reason.empty()) job.reason = last_system_error();
    written = close_file(out) && written;
    if (written && allowed(destination_step::move))
      return put_in_place(temporary, target, destination_name, job.message, read_as, &job.reason);
  }
  return give_up("");
}

// The line of a node: one more than the line ends written before it.
int32_t line_of(const xml_tree &document, const xml_node *node) {
  int32_t line = 1;
  for (xml_node *n = document.first; n && n != node; n = xml_tree::next_in_order(n)) {
    const char *bytes = n->raw_text.c_str();
    for (int32_t i = 0, length = n->raw_text.text_length(); i < length; ++i) line += bytes[i] == '\n';
  }
  return line;
}

void set_page_error(toc_job &job, int32_t line, const std::string &error) {
  job.message = (job.page_name + ":" + std::to_string(line) + ": " + error + "\r\n").c_str();
}

// A page names style files in its own folder or below it: a page is input,
// and must not have the program read any file it likes.
bool style_within_page_folder(const std::string &style) {
  toc_style style_record;
  toc_layout layout;
  bool prefers_ids = false;
  if (predefined_style(style, style_record, layout, prefers_ids)) return true;
  if (style.empty() || style[0] == '/' || style[0] == '\\' || style.find(':') != std::string::npos)
    return false;
  size_t at = 0;
  while (at <= style.size()) {
    size_t end = style.find_first_of("/\\", at);
    if (end == std::string::npos) end = style.size();
    if (style.compare(at, end - at, "..") == 0 && end - at == 2) return false;
    at = end + 1;
  }
  return true;
}

// A link in the page's folder may still lead out of it: where the folder
// and the style file both resolve, the file's real place must lie below the
// folder's. A file that does not resolve is left to reading, which names it.
bool style_resolves_within(const std::string &folder, const std::string &style) {
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

// The options the page asks for, where its TOC comment carries settings;
// the job's own otherwise. False with the message set.
bool options_for_page(const xml_tree &document, const html_toc &transform, toc_job &job,
                      toc_options &page_options, const toc_options *&options) {
  options = &job.options;
  if (!job.chosen || !transform.toc_comment) return true;
  const krtext &comment = transform.toc_comment->raw_text;
  toc_choices page;
  std::string error;
  int32_t line = 0;
  if (!read_comment_settings(comment.c_str(), comment.text_length(), page, error, line)) {
    set_page_error(job, line_of(document, transform.toc_comment) + line, error);
    return false;
  }
  if (!page.any()) return true;
  toc_choices merged = *job.chosen;
  merged.fill_from(page);
  page_options.stamp = job.options.stamp;
  const std::string folder = job.chosen->style.empty() ? job.style_folder : std::string();
  const bool page_names_style = job.chosen->style.empty() && !page.style.empty();
  if (page_names_style &&
      (!style_within_page_folder(page.style) || !style_resolves_within(job.style_folder, page.style))) {
    set_page_error(job, line_of(document, transform.toc_comment),
                   "a style file named in a page must lie in the page's folder or below it: '" +
                       page.style + "'");
    return false;
  }
  if (!resolve_toc_options(merged, folder, page_options, error)) {
    set_page_error(job, line_of(document, transform.toc_comment), error);
    return false;
  }
  options = &page_options;
  return true;
}

// Anchors the headings of a parsed page and lists them in the job's tree;
// 0, or the job's result with the message set.
int32_t transform_page(xml_tree &document, std::vector<xml_node *> &landmarks, toc_job &job,
                       html_toc &transform) {
  transform.document = &document;
  transform.landmarks = &landmarks;
  transform.tree = job.tree;
  transform.current_entry = job.last_entry;
  transform.settings_in_comments = job.chosen != nullptr;
  if (transform.find_places() != 0) {
    job.message = memory_error;
    return 1;
  }
  toc_options page_options;
  const toc_options *options = nullptr;
  if (!options_for_page(document, transform, job, page_options, options)) return 1;
  const toc_style &style = options->style;
  transform.take_style(style);
  transform.options = options;
  job.tree->take_markup(style, options->layout);
  if (job.entries_given) transform.range_to = transform.range_from - 1;   // no heading qualifies

  toc_node *const earlier_last = job.last_entry;
  if ((job.remove ? transform.remove_insertions() : transform.anchor_headings()) != 0) {
    job.message = memory_error;
    return 1;
  }
  transform.options = nullptr;   // the page's options go with this call
  if (job.entries_given) {
    job.first_entry = job.tree->first;
  } else {
    job.first_entry = earlier_last ? toc_tree::next_in_order(earlier_last) : job.tree->first;
    job.last_entry = transform.current_entry;
  }
  report(job.progress, job.context, 80);
  return 0;
}

// The job on a page's bytes, written to a sink or else to a destination file.
int32_t run_page(page_bytes &source, const krval &source_name, html_sink *sink,
                 const krval &destination_name, toc_job &job, const file_version &read_as = file_version()) {
  xml_tree document;
  document.insert_first_top_level(new xml_node);
  std::vector<xml_node *> landmarks;
  // The pieces stay where they were read while the document lives.
  std::vector<source_piece> pieces;
  // Readable names are checked against every name of the page.
  const bool list_named = job.options.names == toc_naming::slug && !job.remove;
  int32_t result = read_source(source, source_name, document, landmarks, list_named, job.size_limit,
                               job.progress, job.context, job.message,
                               job.leave_unchanged ? &pieces : nullptr);
  source.done();
  job.too_large = result == SGML_TOO_LARGE;
  if (result != 0) return result;
  report(job.progress, job.context, 70);
  if (job.title) *job.title = page_title(document);
  job.left_contents_page = job.leave_contents_pages && has_contents_page_mark(document);
  if (job.left_contents_page) {
    job.unchanged = true;
    return 0;
  }

  html_toc transform;
  transform.landmarks_hold_names = list_named;
  result = transform_page(document, landmarks, job, transform);
  if (result != 0) return result;
  job.unchanged = false;
  if (job.leave_unchanged && !sink) {
    same_text_sink comparison(pieces);
    write_html_document(document, comparison, job.insert_toc, *job.tree, job.first_entry,
                        transform.start_marker, transform.end_marker, transform.insertion_node);
    job.unchanged = comparison.same();
  }
  if (job.unchanged) {
    // Nothing to write: the destination is left as it is.
  } else if (sink) {
    write_html_document(document, *sink, job.insert_toc, *job.tree, job.first_entry,
                        transform.start_marker, transform.end_marker, transform.insertion_node);
  } else {
    result = write_destination(destination_name, document, transform, job, read_as);
    if (result != 0) return result;
  }
  report(job.progress, job.context, 100);
  return 0;
}

}  // namespace

int32_t make_toc_with_options(const krval &source, const krval &destination, toc_job &job) {
  krval source_name;
  source_name.assign_text_of(source);
  krval destination_name;
  destination_name.assign_text_of(destination);
  if (job.page_name.empty()) job.page_name = source_name.str();

  // A run stopped while writing into a file of several names left its
  // complete copy beside it: that copy is finished before the file is read.
  const krval target = destination_target(destination_name);
  if (has_several_names(target) && !finish_interrupted_copies(target, job.message)) return 1;

  krval open_name(source_name);
  krfile in = open_file(open_name, "r");
  if (in == krfile_invalid) {
    set_message(job.message, "Can't open source file: ", source_name);
    return 1;
  }
  wait_for_writers(in);
  // Where the page is rewritten in place, it must still be this when its
  // new text replaces it.
  file_version read_as = version_of_open(in);
  if (!read_as.known || read_as.identity != file_identity(target)) read_as = file_version();
  file_bytes bytes(in);
  return run_page(bytes, source_name, nullptr, destination_name, job, read_as);
}

int32_t make_toc_in_memory(const char *bytes, size_t length, html_sink &sink, toc_job &job) {
  memory_bytes source(bytes, length);
  return run_page(source, krval(job.page_name.c_str()), &sink, krval(""), job);
}

int32_t make_toc_in_memory_to_file(const char *bytes, size_t length, const krval &destination,
                                   toc_job &job) {
  memory_bytes source(bytes, length);
  krval destination_name;
  destination_name.assign_text_of(destination);
  return run_page(source, krval(job.page_name.c_str()), nullptr, destination_name, job);
}

int32_t make_toc_file(const krval &source, const krval &destination, uint8_t insert_toc,
                      const toc_style &style, toc_tree &tree, toc_node *&last_entry,
                      toc_node *&first_entry, krval &message,
                      toc_progress_callback progress, void *context) {
  toc_job job;
  job.options.style = style;
  job.options.stamp = static_cast<int32_t>(static_cast<uint32_t>(unix_time_now()));
  job.insert_toc = insert_toc;
  job.tree = &tree;
  job.last_entry = last_entry;
  job.progress = progress;
  job.context = context;
  const int32_t result = make_toc_with_options(source, destination, job);
  if (result != 0) {
    // The window has always called a page beyond its size a memory error.
    message = job.too_large ? krval(memory_error) : job.message;
    return result;
  }
  first_entry = job.first_entry;
  last_entry = job.last_entry;
  return 0;
}

std::string message_line(const krval &message) {
  std::string text = message.str();
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}
