#include "cli/stop_signals.h"

#include <signal.h>
#include <unistd.h>
#include <system_error>
#include <thread>

#include "page_files/temporary_registry.h"

// The signals are blocked in every thread, and one thread waits for them:
// what a stop does then runs as ordinary code, not in a signal handler, so
// it may take the registry's lock and remove files while the other threads
// go on until the process ends.
void remove_temporaries_when_stopped() {
  sigset_t stops;
  sigemptyset(&stops);
  sigaddset(&stops, SIGINT);
  sigaddset(&stops, SIGTERM);
  sigaddset(&stops, SIGHUP);
  if (pthread_sigmask(SIG_BLOCK, &stops, nullptr) != 0) return;
  try {
    std::thread([stops] {
      int stop = 0;
      while (sigwait(&stops, &stop) != 0) {
      }
      remove_listed_temporaries_for_good();
      if (isatty(STDERR_FILENO)) (void)!write(STDERR_FILENO, "\n", 1);
      _exit(128 + stop);
    }).detach();
  } catch (const std::system_error &) {
    pthread_sigmask(SIG_UNBLOCK, &stops, nullptr);   // stopped as any program is
  }
}
