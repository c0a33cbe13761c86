// The command line under Node asks Node for its process number and whether
// another process still runs. Emscripten's C library gives every program the
// number 42 and takes every other process for alive: a run's temporaries
// would then all bear one number, and those of a run that was stopped would
// never be known as left over (or worse, be taken for the current run's).
#include <emscripten/emscripten.h>
#include <errno.h>
#include <signal.h>
#include <unistd.h>

extern "C" pid_t getpid(void) { return EM_ASM_INT({ return process.pid; }); }

// Signal 0 only probes: that is asked of Node. Any other goes to this
// process alone, as before.
extern "C" int kill(pid_t pid, int sig) {
  if (sig == 0) {
    const int answer = EM_ASM_INT({
      try {
        process.kill($0, 0);
        return 0;
      } catch (e) {
        return e.code === 'ESRCH' ? 1 : 2;
      }
    }, pid);
    if (answer == 0) return 0;
    errno = answer == 1 ? ESRCH : EPERM;
    return -1;
  }
  if (pid == getpid()) return raise(sig);
  errno = EPERM;
  return -1;
}
