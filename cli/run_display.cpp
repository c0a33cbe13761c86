#include "cli/run_display.h"

namespace {

double seconds_since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

run_display::run_display(std::FILE *err, bool terminal, std::size_t files, bool checking)
    : err_(err), terminal_(terminal), files_(files), checking_(checking),
      started_(std::chrono::steady_clock::now()), last_shown_(started_) {}

void run_display::progress(std::size_t done, int64_t bytes) {
  if (!terminal_) return;
  const auto now = std::chrono::steady_clock::now();
  if (done < files_ && now - last_shown_ < std::chrono::milliseconds(100)) return;
  last_shown_ = now;
  const double seconds = seconds_since(started_);
  const double megabytes = static_cast<double>(bytes) / 1e6;
  char line[160];
  const int length = std::snprintf(line, sizeof line, "quenby-toc: %zu of %zu files, %.1f MB, %.1f MB/s", done,
                                   files_, megabytes, seconds > 0 ? megabytes / seconds : 0.0);
  if (length <= 0) return;
  const std::size_t n = static_cast<std::size_t>(length) < sizeof line ? static_cast<std::size_t>(length) : sizeof line - 1;
  // Padded over what stood there before, in case the line got shorter.
  std::fprintf(err_, "\r%s%*s", line, shown_length_ > n ? static_cast<int>(shown_length_ - n) : 0, "");
  std::fflush(err_);
  if (n > shown_length_) shown_length_ = n;
}

void run_display::clear() {
  if (shown_length_ == 0) return;
  std::fprintf(err_, "\r%*s\r", static_cast<int>(shown_length_), "");
  shown_length_ = 0;
}

void run_display::summary(std::size_t changed, std::size_t unchanged, std::size_t failed,
                          const std::size_t *link_findings) {
  clear();
  std::string text = "quenby-toc: " + std::to_string(changed) + (checking_ ? " would change, " : " changed, ") +
                     std::to_string(unchanged) + (checking_ ? " up to date, " : " unchanged, ") +
                     std::to_string(failed) + " failed";
  if (link_findings) text += ", " + std::to_string(*link_findings) + " link findings";
  if (terminal_) {
    char time[48];
    std::snprintf(time, sizeof time, " in %.2f s", seconds_since(started_));
    text += time;
  }
  std::fprintf(err_, "%s\n", text.c_str());
  std::fflush(err_);
}
