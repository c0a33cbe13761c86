#include "page_files/make_toc_file.h"

#include <algorithm>
#include <optional>
#include <string>
#include <system_error>
#include <thread>

#include "fs/fs.h"
#include "html/large_region.h"
#include "html/xml_node_pool.h"
#include "page_files/destination_file.h"
#include "page_files/stale_temporaries.h"

namespace {

// Below this size a helper thread would cost more than it saves.
constexpr int32_t prefault_from = 1024 * 1024;

void set_message(krval &message, const char *prefix, const krval &name) {
  message = prefix;
  message.append(name);
  message.append("\r\n");
}

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

// The engine's progress, but for its 100: a page is done once it is in place.
struct progress_until_written {
  toc_progress_callback progress;
  void *context;

  static void pass_on(int32_t percent, void *context) {
    auto *to = static_cast<progress_until_written *>(context);
    if (percent < 100) to->progress(percent, to->context);
  }
};

}  // namespace

int32_t make_toc_with_options(const krval &source, const krval &destination, const toc_request &request,
                              const replacement_rules &rules, toc_file_result &result) {
  krval source_name;
  source_name.assign_text_of(source);
  krval destination_name;
  destination_name.assign_text_of(destination);
  toc_request page = request;
  if (page.page_name.empty()) page.page_name = source_name.str();

  // A run stopped while writing into a file of several names left its
  // complete copy beside it: that copy is finished before the file is read.
  const krval target = destination_target(destination_name);
  if (has_several_names(target) && !finish_interrupted_copies(target, result.message)) return 1;

  krval open_name(source_name);
  krfile in = open_file(open_name, "r");
  if (in == krfile_invalid) {
    set_message(result.message, "Can't open source file: ", source_name);
    return 1;
  }
  wait_for_writers(in);
  // Where the page is rewritten in place, it must still be this when its
  // new text replaces it.
  replacement_rules replacing = rules;
  replacing.read_as = version_of_open(in);
  if (!replacing.read_as.known || replacing.read_as.identity != file_identity(target))
    replacing.read_as = file_version();
  // A parsed page takes about seven times its size in nodes and text; six
  // times is faulted in ahead, so that no page is cleared in vain.
  std::optional<large_region::prefaulting> ahead;
  const int32_t size = file_size(in).as_int();
  if (size >= prefault_from) ahead.emplace(static_cast<std::size_t>(size) * 6);
  // The bytes stay while the made page lives: its nodes see them.
  std::string bytes;
  // Read to the limit at the most: the engine refuses a page that long
  // without looking further.
  const bool read = read_rest_of_file(in, static_cast<std::size_t>(std::max(page.size_limit, 0)), bytes);
  // Closed once read, on every path: the destination may be the same file.
  close_file(in);
  if (!read) {
    set_message(result.message, "Can't read source file: ", source_name);
    return 1;
  }
  page.bytes = bytes.data();
  page.length = bytes.size();
  progress_until_written progress{request.progress, request.context};
  if (request.progress) {
    page.progress = progress_until_written::pass_on;
    page.context = &progress;
  }
  int32_t status = make_toc(page, nullptr, result);
  made_page &made = result.page;
  if (status == 0 && !result.unchanged) {
    replacement_failure failure;
    std::optional<background_release> release;
    status = replace_file_through(
        destination_name, [&made](html_sink &sink) { made.write_to(sink); }, replacing, failure,
        [&] { release.emplace(*made.document); });
    if (status != 0) {
      result.message = failure.message;
      result.reason = failure.reason;
    }
  }
  // Its nodes see the bytes, which go with this call.
  made.document.reset();
  if (status == 0 && !result.left_contents_page && request.progress) request.progress(100, request.context);
  return status;
}

int32_t make_toc_file(const krval &source, const krval &destination, uint8_t insert_toc,
                      const toc_style &style, toc_tree &tree, toc_node *&last_entry,
                      toc_node *&first_entry, krval &message,
                      toc_progress_callback progress, void *context) {
  toc_request request;
  request.options.style = style;
  request.options.stamp = static_cast<int32_t>(static_cast<uint32_t>(unix_time_now()));
  request.insert_toc = insert_toc;
  request.tree = &tree;
  request.last_entry = last_entry;
  request.comment_matcher = toc_comment_matches;
  request.progress = progress;
  request.context = context;
  toc_file_result result;
  const int32_t status = make_toc_with_options(source, destination, request, replacement_rules(), result);
  if (status != 0) {
    // The window has always called a page beyond its size a memory error.
    message = result.too_large ? krval(toc_memory_error) : result.message;
    return status;
  }
  first_entry = result.first_entry;
  last_entry = result.last_entry;
  return 0;
}
