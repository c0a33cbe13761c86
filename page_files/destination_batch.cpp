#include "page_files/destination_batch.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <set>
#include <system_error>
#include <thread>

#include "fs/fs.h"
#include "page_files/destination_file.h"
#include "page_files/temporary_registry.h"
#include "toc/make_toc.h"

namespace {

// Flushes issued at once: the disk orders them, and the waits overlap.
constexpr std::size_t flushing_threads = 8;

// Calls work(i) for every i below count, from several threads at once:
// flushes and moves wait on the disk and its journal, and their waits
// overlap.
template <typename work_t>
void at_once(std::size_t count, work_t work) {
  std::atomic<std::size_t> next{0};
  auto some = [&] {
    for (std::size_t i; (i = next++) < count;) work(i);
  };
  std::vector<std::thread> threads;
  for (std::size_t t = 1; t < flushing_threads && t < count; ++t) {
    try {
      threads.emplace_back(some);
    } catch (const std::system_error &) {
      break;   // fewer at once, the same work
    }
  }
  some();
  for (std::thread &t : threads) t.join();
}

}  // namespace

int32_t put_in_place(const krval &temporary, const krval &target, const krval &destination_name,
                     krval &message, const file_version &read_as, std::string *reason) {
  krval delete_name(temporary);
  message = "Can't write file: ";
  message.append(destination_name);
  if (!still_as_read(target, read_as)) {
    // Replacing it would undo someone else's change with the old text.
    message.append(" (it changed while it was being made; it is left as it is now)\r\n");
    delete_file(delete_name);
    forget_temporary(temporary.str());
    return 1;
  }
  krval moved(temporary);
  const replace_outcome outcome = replace_with(moved, target);
  const std::string why = outcome == replace_outcome::replaced ? std::string() : last_system_error();
  forget_temporary(temporary.str());
  if (outcome == replace_outcome::replaced) {
    message = krval("");
    return 0;
  }
  if (reason) *reason = why;
  if (outcome == replace_outcome::copy_kept) {
    // The destination may be half written: the user needs the whole text.
    message.append(" (its complete new text is kept in ");
    message.append(moved);
    message.append(")\r\n");
    return 1;
  }
  message.append("\r\n");
  delete_file(delete_name);
  return 1;
}

void destination_batch::add(std::size_t key, const krval &temporary, const krval &target,
                            const krval &destination_name, const file_version &read_as) {
  std::lock_guard<std::mutex> held(lock_);
  entries_.push_back(entry{key, temporary, target, destination_name, read_as});
}

void destination_batch::flush_all(const std::vector<entry> &entries, std::vector<char> &flushed) const {
  if (how_ == flushing::together) {
    std::vector<krval> files;
    for (const entry &e : entries) files.push_back(e.temporary);
    flush_file_systems(files, flushed);
  }
  std::vector<std::size_t> left;
  for (std::size_t i = 0; i < entries.size(); ++i)
    if (!flushed[i]) left.push_back(i);
  at_once(left.size(), [&](std::size_t k) {
    flushed[left[k]] = flush_closed_file(entries[left[k]].temporary) ? 1 : 0;
  });
}

std::vector<destination_batch::result> destination_batch::commit(std::vector<std::string> &problems) {
  std::vector<entry> entries;
  {
    std::lock_guard<std::mutex> held(lock_);
    entries.swap(entries_);
  }
  std::sort(entries.begin(), entries.end(), [](const entry &a, const entry &b) { return a.key < b.key; });
  std::vector<char> flushed(entries.size(), 0);
  flush_all(entries, flushed);

  std::vector<result> results(entries.size());
  at_once(entries.size(), [&](std::size_t i) {
    const entry &e = entries[i];
    auto allowed = [&](destination_step step) { return !step_allowed || step_allowed(step, e.name.str()); };
    krval message;
    std::string reason;
    int32_t failed = 1;
    if (flushed[i] && allowed(destination_step::flush) && allowed(destination_step::move)) {
      failed = put_in_place(e.temporary, e.target, e.name, message, e.read_as, &reason);
    } else {
      // Never moved: the destination stays as it was.
      krval delete_name(e.temporary);
      delete_file(delete_name);
      forget_temporary(e.temporary.str());
      message = "Can't write file: ";
      message.append(e.name);
    }
    std::string line = failed ? message_line(message) : std::string();
    if (failed && !reason.empty()) line += ": " + reason;
    results[i] = result{e.key, failed == 0, line};
  });
  std::set<std::string> folders;
  for (std::size_t i = 0; i < entries.size(); ++i)
    if (results[i].replaced) folders.insert(folder_of(entries[i].target.str()));
  for (const std::string &folder : folders)
    if (!flush_folder(krval(folder.c_str()))) problems.push_back("Can't flush folder: " + folder);
  return results;
}
