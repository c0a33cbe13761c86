// Answers this process's own message boxes from a second thread, so that a
// test can call a handler that shows one and see what it said.
#pragma once
#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>
#include "test_support/gui_driver_win32.h"

class message_box_watcher {
public:
  // Each box is answered with its first button (OK, or Yes).
  message_box_watcher();
  ~message_box_watcher();
  message_box_watcher(const message_box_watcher &) = delete;
  message_box_watcher &operator=(const message_box_watcher &) = delete;

  std::vector<gui_test::message_box> seen();
  // The texts seen, in order.
  std::vector<std::string> texts();
  void forget();

private:
  void watch();
  std::atomic<bool> stopping{false};
  std::mutex lock;
  std::vector<gui_test::message_box> boxes;
  std::thread watcher;
};
