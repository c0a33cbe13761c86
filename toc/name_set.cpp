#include "toc/name_set.h"
#include <cstring>
#include <new>

uint32_t name_set::hash_of(std::string_view name) {
  // FNV-1a: names are short, and differ most in their last bytes.
  uint32_t h = 2166136261u;
  for (unsigned char c : name) h = (h ^ c) * 16777619u;
  return h;
}

std::string_view name_set::name_ending_at(uint32_t end) const {
  uint32_t length;
  std::memcpy(&length, bytes_.get() + end - sizeof length, sizeof length);
  return {bytes_.get() + end - sizeof length - length, length};
}

size_t name_set::find(std::string_view name, uint32_t hash) const {
  const size_t mask = slots_.size() - 1;
  for (size_t at = hash & mask;; at = (at + 1) & mask) {
    const slot &s = slots_[at];
    if (s.end == 0 || (s.hash == hash && name_ending_at(s.end) == name)) return at;
  }
}

bool name_set::contains(std::string_view name) const {
  return count_ != 0 && slots_[find(name, hash_of(name))].end != 0;
}

bool name_set::insert(std::string_view name) {
  if (2 * (count_ + 1) > slots_.size()) grow();
  const uint32_t hash = hash_of(name);
  slot &found = slots_[find(name, hash)];
  if (found.end != 0) return false;
  // Offsets are 32-bit: a page's names stay far below 4 GB, all the same
  // a set that would pass it fails as out of memory rather than wrap.
  const uint64_t end = uint64_t{used_} + name.size() + sizeof(uint32_t);
  if (end > UINT32_MAX / 2) throw std::bad_alloc();
  if (end > room_) {
    const uint32_t room = end > 2 * uint64_t{room_} ? static_cast<uint32_t>(end) + 4096 : 2 * room_;
    std::unique_ptr<char[]> bytes(new char[room]);
    if (used_) std::memcpy(bytes.get(), bytes_.get(), used_);
    bytes_ = std::move(bytes);
    room_ = room;
  }
  const uint32_t length = static_cast<uint32_t>(name.size());
  std::memcpy(bytes_.get() + used_, name.data(), name.size());
  std::memcpy(bytes_.get() + used_ + name.size(), &length, sizeof length);
  used_ = static_cast<uint32_t>(end);
  found.hash = hash;
  found.end = static_cast<uint32_t>(end);
  ++count_;
  return true;
}

void name_set::grow() {
  std::vector<slot> old(slots_.empty() ? 64 : 2 * slots_.size());
  old.swap(slots_);
  const size_t mask = slots_.size() - 1;
  for (const slot &s : old) {
    if (s.end == 0) continue;
    size_t at = s.hash & mask;
    while (slots_[at].end != 0) at = (at + 1) & mask;
    slots_[at] = s;
  }
}

void name_set::clear() {
  bytes_.reset();
  used_ = room_ = 0;
  slots_.clear();
  count_ = 0;
}
