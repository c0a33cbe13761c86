#include "html/krname_counts.h"

namespace {
bool same_bytes(const char *a, const char *b, int32_t n) {
  for (int32_t i = 0; i < n; ++i)
    if (a[i] != b[i]) return false;
  return true;
}
}  // namespace

uint32_t krname_counts::hash_of(const char *bytes, int32_t length) {
  uint32_t h = 2166136261u;
  for (int32_t i = 0; i < length; ++i) h = (h ^ static_cast<unsigned char>(bytes[i])) * 16777619u;
  return h;
}

size_t krname_counts::find(const char *bytes, int32_t length, uint32_t hash) const {
  const size_t mask = slots.size() - 1;
  for (size_t i = hash & mask;; i = (i + 1) & mask) {
    const slot &s = slots[i];
    if (!s.used) return i;
    if (s.hash == hash && s.name.size() == static_cast<size_t>(length) && same_bytes(s.name.data(), bytes, length))
      return i;
  }
}

int32_t krname_counts::get(const char *bytes, int32_t length) const {
  if (slots.empty()) return 0;
  const slot &s = slots[find(bytes, length, hash_of(bytes, length))];
  return s.used ? s.count : 0;
}

void krname_counts::add(const char *bytes, int32_t length, int32_t delta) {
  if ((used + 1) * 2 > slots.size()) grow();
  uint32_t hash = hash_of(bytes, length);
  slot &s = slots[find(bytes, length, hash)];
  if (!s.used) {
    if (delta <= 0) return;
    s.used = true;
    s.hash = hash;
    if (length > 0) s.name.assign(bytes, length);
    ++used;
  }
  s.count += delta;
  if (s.count < 0) s.count = 0;
}

void krname_counts::grow() {
  std::vector<slot> old;
  old.swap(slots);
  slots.resize(old.empty() ? 64 : old.size() * 2);
  for (slot &s : old) {
    if (!s.used) continue;
    slots[find(s.name.data(), static_cast<int32_t>(s.name.size()), s.hash)] = std::move(s);
  }
}
