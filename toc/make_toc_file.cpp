#include "toc/make_toc_file.h"

#include <cstring>
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
#include "toc/destination_file.h"
#include "toc/html_toc.h"
#include "toc/html_writer.h"

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
    if (!failed_ && pieces_used_ > 0 && !write_pieces(pieces_, pieces_used_, handle_)) failed_ = true;
    count_written(gathered_);
    pieces_used_ = 0;
    gathered_ = 0;
    copied_ = 0;
  }

  // The disk works while the rest is written.
  void count_written(int64_t count) {
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
  bool failed_ = false;
};

// Frees a document that is done with on a thread of its own, while the disk
// takes the last writes and the file is moved into place: freeing hundreds
// of thousands of nodes takes as long as those steps. Nothing else may use
// document nodes until it is over, which the destructor waits for. Where no
// thread can be started, the document is freed at once.
class background_release {
public:
  explicit background_release(xml_tree &document) {
    try {
      thread_ = std::thread([&document] { document.clear(); });
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

// Reads the whole source into the document, and hands on the parser's
// landmarks of it; 0, or the job's result with the message set.
int32_t read_source(krfile in, const krval &source_name, xml_tree &document,
                    std::vector<xml_node *> &landmarks, toc_progress_callback progress,
                    void *context, krval &message) {
  const int32_t size = file_size(in).as_int();
  int64_t read = 0;
  krhtml parser;
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
    int32_t got = read_bytes(into, read_size, in);
    node_text_store::shorten_latest(into, read_size, got > 0 ? got : 0);
    if (got > 0) {
      for (int32_t at = 0; at < got; at += chunk_size) {
        const int32_t piece = got - at < chunk_size ? got - at : chunk_size;
        read += piece;
        parser.add_view(into + at, piece);
        int32_t status = parser.step();
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
    if (status != 2) {
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
                          uint8_t insert_toc, toc_tree &tree, toc_node *first_entry,
                          html_toc &transform, krval &message) {
  krval target = destination_target(destination_name);
  krval temporary;
  krfile out = create_temporary_beside(target, temporary);
  if (out == krfile_invalid) {
    set_message(message, "Can't open file for writing: ", destination_name);
    return 1;
  }
  file_sink sink(out);
  write_html_document(document, sink, insert_toc, tree, first_entry, transform.start_marker,
                      transform.end_marker, transform.insertion_node);
  bool written = sink.finish();
  start_write_back(out);
  replace_outcome outcome = replace_outcome::untouched;
  {
    background_release release(document);
    written = written && take_attributes_of(target, out);
    written = written && flush_to_disk(out);
    written = close_file(out) && written;
    if (written) outcome = replace_with(temporary, target);
  }
  if (outcome == replace_outcome::replaced) return 0;
  if (outcome == replace_outcome::copy_kept) {
    // The destination may be half written: the user needs the whole text.
    message = "Can't write file: ";
    message.append(destination_name);
    message.append(" (its complete new text is kept in ");
    message.append(temporary);
    message.append(")\r\n");
    return 1;
  }
  krval delete_name(temporary);
  delete_file(delete_name);
  set_message(message, "Can't write file: ", destination_name);
  return 1;
}

}  // namespace

int32_t make_toc_file(const krval &source, const krval &destination, uint8_t insert_toc,
                      const toc_style &style, toc_tree &tree, toc_node *&last_entry,
                      toc_node *&first_entry, krval &message,
                      toc_progress_callback progress, void *context) {
  krval source_name;
  source_name.assign_text_of(source);
  krval destination_name;
  destination_name.assign_text_of(destination);

  krval open_name(source_name);
  krfile in = open_file(open_name, "r");
  if (in == krfile_invalid) {
    set_message(message, "Can't open source file: ", source_name);
    return 1;
  }
  wait_for_writers(in);

  xml_tree document;
  document.insert_first_top_level(new xml_node);
  std::vector<xml_node *> landmarks;
  int32_t result = read_source(in, source_name, document, landmarks, progress, context, message);
  close_file(in);
  if (result != 0) return result;
  report(progress, context, 70);

  html_toc transform;
  transform.range_from = style.range_from.as_int();
  transform.range_to = style.range_to.as_int();
  transform.process_decimal_notation = style.process_decimal_notation.as_int();
  transform.process_title = style.process_title.as_int();
  transform.named_anchor_attributes = style.named_anchor_attributes;
  transform.document = &document;
  transform.landmarks = &landmarks;
  transform.tree = &tree;
  transform.current_entry = last_entry;
  tree.indentation_unit = style.item_indentation;
  tree.list_start = style.list_start;
  tree.list_end = style.list_end;
  tree.item_start = style.item_start;
  tree.item_end = style.item_end;
  tree.toc_anchor_attributes = style.toc_anchor_attributes;

  toc_node *const earlier_last = last_entry;
  if (transform.transform() != 0) {
    message = memory_error;
    return 1;
  }
  first_entry = earlier_last ? toc_tree::next_in_order(earlier_last) : tree.first;
  last_entry = transform.current_entry;
  report(progress, context, 80);

  result = write_destination(destination_name, document, insert_toc, tree, first_entry,
                             transform, message);
  if (result != 0) return result;
  report(progress, context, 100);
  return 0;
}
