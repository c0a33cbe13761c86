#include "test_support/message_box_watcher_win32.h"

using namespace gui_test;

message_box_watcher::message_box_watcher() : watcher([this] { watch(); }) {}

message_box_watcher::~message_box_watcher() {
  stopping = true;
  watcher.join();
}

void message_box_watcher::watch() {
  while (!stopping) {
    message_box box;
    if (!wait_for_message_box(GetCurrentProcessId(), 100, box)) continue;
    {
      std::lock_guard<std::mutex> guard(lock);
      boxes.push_back(box);
    }
    answer(box, box.buttons.empty() ? IDOK : box.buttons.front());
  }
}

std::vector<message_box> message_box_watcher::seen() {
  std::lock_guard<std::mutex> guard(lock);
  return boxes;
}

std::vector<std::string> message_box_watcher::texts() {
  std::vector<std::string> result;
  for (const message_box &box : seen()) result.push_back(box.text);
  return result;
}

void message_box_watcher::forget() {
  std::lock_guard<std::mutex> guard(lock);
  boxes.clear();
}
