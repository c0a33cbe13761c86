// node_name: the lower-cased element name of a tag node: one pointer to the
// copy element_names keeps of it, whose length stands in front of it, so a
// node holds 8 bytes for its name where a text would take 16. Empty for
// texts, comments and the like.
#pragma once
#include <cstdint>
#include <cstring>
#include <string>

class node_name {
public:
  node_name() = default;
  // A pointer that element_names::keep returned.
  explicit node_name(const char *kept) : kept_(kept) {}

  const char *bytes() const { return kept_; }
  int32_t length() const {
    int32_t n = 0;
    if (kept_) std::memcpy(&n, kept_ - 8, 4);
    return n;
  }
  bool empty() const { return kept_ == nullptr; }
  std::string str() const { return kept_ ? std::string(kept_, static_cast<std::size_t>(length())) : std::string(); }
  bool operator==(const char *s) const {
    const std::size_t n = std::strlen(s);
    return static_cast<std::size_t>(length()) == n && (n == 0 || std::memcmp(kept_, s, n) == 0);
  }

private:
  const char *kept_ = nullptr;
};
