#include "page_files/replace_file.h"

#include <cstring>
#include <memory>
#include <new>

#include "fs/fs.h"
#include "page_files/destination_batch.h"
#include "page_files/temporary_registry.h"
#include "toc/make_toc.h"

namespace {

void set_message(krval &message, const char *prefix, const krval &name) {
  message = prefix;
  message.append(name);
  message.append("\r\n");
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

// A sink over bytes that stay where they are for the whole write.
class lasting_bytes_writer {
public:
  explicit lasting_bytes_writer(const std::string &bytes) : bytes_(bytes) {}
  void operator()(html_sink &sink) const {
    constexpr std::size_t most = 1 << 30;   // a write's count is an int32_t
    for (std::size_t at = 0; at < bytes_.size(); at += most) {
      const std::size_t n = bytes_.size() - at < most ? bytes_.size() - at : most;
      sink.write_lasting(bytes_.data() + at, static_cast<int32_t>(n));
    }
  }

private:
  const std::string &bytes_;
};

}  // namespace

int32_t replace_file_through(const krval &destination_name, const std::function<void(html_sink &)> &write_text,
                             const replacement_rules &rules, replacement_failure &failure,
                             const std::function<void()> &text_written) {
  krval target = destination_target(destination_name);
  krval temporary;
  krfile out = create_temporary_beside(target, temporary);
  if (out == krfile_invalid) {
    failure.reason = last_system_error();
    set_message(failure.message, "Can't open file for writing: ", destination_name);
    return 1;
  }
  file_sink sink(out);
  write_text(sink);
  // The temporary goes, and the destination stays as it was.
  auto give_up = [&](const std::string &why) {
    krval delete_name(temporary);
    delete_file(delete_name);
    forget_temporary(temporary.str());
    set_message(failure.message, "Can't write file: ", destination_name);
    if (!why.empty()) failure.message = (message_line(failure.message) + " (" + why + ")\r\n").c_str();
    return 1;
  };
  bool written = sink.finish();
  if (!written) failure.reason = sink.reason();
  if (written && rules.readable_below > 0 && sink.written() >= rules.readable_below) {
    // Written, no run could read the page again, nor remake or remove its TOC.
    close_file(out);
    return give_up("its new text of " + std::to_string(sink.written()) +
                   " bytes would be too large to be read again: pages of " + std::to_string(rules.readable_below) +
                   " bytes or more are refused");
  }
  if (rules.batch) {
    // The batch flushes and moves it with the others; the disk starts on
    // it now, while the next pages are made.
    if (written) start_write_back(out);
    written = take_attributes_of(target, out) && written;
    written = close_file(out) && written;
    if (written) {
      rules.batch->add(rules.batch_key, temporary, target, destination_name, rules.read_as);
      return 0;
    }
  } else {
    start_write_back(out);
    if (text_written) text_written();
    written = written && take_attributes_of(target, out);
    clear_system_error();
    auto allowed = [&rules](destination_step step) { return !rules.step_allowed || rules.step_allowed(step); };
    written = written && allowed(destination_step::flush) && flush_to_disk(out);
    if (!written && failure.reason.empty()) failure.reason = last_system_error();
    written = close_file(out) && written;
    if (written && allowed(destination_step::move))
      return put_in_place(temporary, target, destination_name, failure.message, rules.read_as, &failure.reason);
  }
  return give_up("");
}

int32_t replace_file_with(const std::string &bytes, const krval &destination_name,
                          const replacement_rules &rules, replacement_failure &failure) {
  return replace_file_through(destination_name, lasting_bytes_writer(bytes), rules, failure);
}
