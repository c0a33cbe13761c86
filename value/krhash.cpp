#include "value/krhash.h"

namespace {
std::string key_text(const krval &key) { return std::string(key.c_str(), key.text_length()); }
}  // namespace

void krhash::set(const krval &key, const krval &value) {
  auto [where, inserted] = entries.try_emplace(key_text(key), value);
  if (!inserted) {
    where->second = value;
    return;
  }
  ++entry_count;
  queue_active = false;   // a new key ends any iteration in progress
}

bool krhash::get(const krval &key, krval &value) const {
  auto where = entries.find(key_text(key));
  if (where == entries.end()) {
    value = 0;
    return false;
  }
  value = where->second;
  return true;
}

bool krhash::has(const krval &key) const { return entries.count(key_text(key)) != 0; }

void krhash::begin_iteration() {
  if (entries.empty()) return;
  queue_head = entries.begin();
  queue_active = true;
}

bool krhash::next(krval &key, krval &value) {
  key = 0;
  value = 0;
  if (!queue_active || queue_head == entries.end()) return false;
  key.assign_bytes(queue_head->first.data(), static_cast<int32_t>(queue_head->first.size()));
  value = queue_head->second;
  ++queue_head;
  return true;
}

void krhash::clear() {
  entries.clear();
  queue_active = false;
  queue_head = entries.end();
  entry_count = 0;
}

void krhash::take_entries(krhash &other) {
  entries = std::move(other.entries);
  other.entries.clear();
  other.clear();
  queue_active = false;
  queue_head = entries.end();
  recount();
}
