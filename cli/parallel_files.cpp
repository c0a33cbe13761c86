#include "cli/parallel_files.h"

#include <chrono>
#include <condition_variable>
#include <system_error>
#include <mutex>
#include <thread>
#include <vector>

namespace {

struct shared_state {
  std::mutex lock;
  std::condition_variable work_ready;   // for the workers: more files may be taken
  std::condition_variable file_done;    // for the caller
  std::size_t next = 0;                 // the next file to take
  std::size_t limit = 0;                // files below it may be taken
  bool stop = false;
  std::vector<char> done;
  std::size_t done_count = 0;
  int64_t done_bytes = 0;
};

// Takes the next file that may be taken and does its work; false when none
// may be. Called and returning with the lock held.
bool work_next(const parallel_run &run, shared_state &state, std::vector<file_outcome> &outcomes,
               std::unique_lock<std::mutex> &held) {
  if (state.next >= state.limit) return false;
  const std::size_t index = state.next++;
  held.unlock();
  file_outcome &outcome = outcomes[index % outcomes.size()];
  outcome = file_outcome();
  run.work(index, outcome);
  held.lock();
  state.done[index % outcomes.size()] = 1;
  ++state.done_count;
  state.done_bytes += outcome.bytes;
  state.file_done.notify_one();
  return true;
}

void worker(const parallel_run &run, shared_state &state, std::vector<file_outcome> &outcomes) {
  std::unique_lock<std::mutex> held(state.lock);
  for (;;) {
    state.work_ready.wait(held, [&] { return state.stop || state.next < state.limit; });
    if (!work_next(run, state, outcomes, held)) return;
  }
}

}  // namespace

void run_in_parallel(const parallel_run &run) {
  if (run.files == 0) return;
  const std::size_t window = run.window < 1 ? 1 : run.window;
  // One slot per file of a window: memory stays bounded however many files.
  std::vector<file_outcome> outcomes(run.files < window ? run.files : window);
  shared_state state;
  state.done.assign(outcomes.size(), 0);
  std::size_t thread_count = run.threads < 1 ? 1 : static_cast<std::size_t>(run.threads);
  if (thread_count > run.files) thread_count = run.files;
  std::vector<std::thread> threads;
  for (std::size_t t = 0; t < thread_count; ++t) {
    try {
      threads.emplace_back(worker, std::cref(run), std::ref(state), std::ref(outcomes));
    } catch (const std::system_error &) {
      break;   // with the threads made, or none: the calling thread then works itself
    }
  }
  const auto progress_every = std::chrono::milliseconds(100);
  for (std::size_t first = 0; first < run.files; first += window) {
    const std::size_t end = first + window < run.files ? first + window : run.files;
    {
      std::lock_guard<std::mutex> held(state.lock);
      state.limit = end;
    }
    state.work_ready.notify_all();
    // Each file is printed as soon as it and those before it are, until one
    // waits for the window's last step.
    std::size_t printed = first;
    bool waiting = false;
    for (std::size_t index = first; index < end; ++index) {
      std::unique_lock<std::mutex> held(state.lock);
      while (!state.done[index % outcomes.size()]) {
        // Where no thread could be made (a system without threads), the
        // files are worked in order right here.
        if (threads.empty() && work_next(run, state, outcomes, held)) continue;
        if (state.file_done.wait_for(held, progress_every) == std::cv_status::timeout && run.progress) {
          const std::size_t count = state.done_count;
          const int64_t bytes = state.done_bytes;
          held.unlock();
          run.progress(count, bytes);
          held.lock();
        }
      }
      const std::size_t count = state.done_count;
      const int64_t bytes = state.done_bytes;
      held.unlock();
      waiting = waiting || outcomes[index % outcomes.size()].pending;
      if (!waiting) {
        run.print(index, outcomes[index % outcomes.size()]);
        printed = index + 1;
      }
      if (run.progress) run.progress(count, bytes);
    }
    if (printed < end) {
      // outcomes holds the window from first on, at first % size: the
      // window's slots are contiguous because windows are as long as it.
      run.finish_window(first, end, &outcomes[first % outcomes.size()]);
      for (std::size_t index = printed; index < end; ++index) run.print(index, outcomes[index % outcomes.size()]);
    }
    std::lock_guard<std::mutex> held(state.lock);
    for (std::size_t index = first; index < end; ++index) state.done[index % outcomes.size()] = 0;
  }
  {
    std::lock_guard<std::mutex> held(state.lock);
    state.stop = true;
  }
  state.work_ready.notify_all();
  for (std::thread &t : threads) t.join();
}
