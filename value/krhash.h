// krhash: Values keyed by text, iterated in ascending key order (byte-wise,
// unsigned, a prefix first: the key 10 sorts before 9). Balanced, so keys that
// arrive in ascending order (attribute lists, generated input) cost log n each.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include "value/krval.h"

class krhash {
public:
  krhash() = default;
  krhash(const krhash &) = delete;
  krhash &operator=(const krhash &) = delete;

  void set(const krval &key, const krval &value);
  bool get(const krval &key, krval &value) const;
  bool has(const krval &key) const;
  // Iteration walks a snapshot taken by begin_iteration; adding a new key ends it.
  void begin_iteration();
  bool next(krval &key, krval &value);
  void recount() { entry_count = static_cast<int32_t>(entries.size()); }
  void clear();
  int32_t count() const { return entry_count; }
  // Moves all entries of other into this map (which must be empty), leaving other empty.
  void take_entries(krhash &other);

  int32_t entry_count = 0;

private:
  // std::string orders its bytes as unsigned values, prefixes first: the key order.
  std::map<std::string, krval> entries;
  std::map<std::string, krval>::iterator queue_head = entries.end();
  bool queue_active = false;
};
