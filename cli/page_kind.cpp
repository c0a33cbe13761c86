#include "cli/page_kind.h"

#include <cstring>

namespace {

bool is_letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

}  // namespace

void page_kind_scan::take(const char *bytes, std::size_t count) {
  if (count == 0) return;
  if (!has_nul_ && std::memchr(bytes, '\0', count)) has_nul_ = true;
  for (std::size_t i = 0; i < count && !has_tag_; ++i) {
    const char before = i > 0 ? bytes[i - 1] : last_;
    const char two_before = i > 1 ? bytes[i - 2] : i == 1 ? last_ : before_last_;
    has_tag_ = is_letter(bytes[i]) && (before == '<' || (before == '/' && two_before == '<'));
  }
  before_last_ = count > 1 ? bytes[count - 2] : last_;
  last_ = bytes[count - 1];
}

std::string page_kind_scan::why_not() const {
  if (has_nul_) return "not an HTML page (it holds a NUL byte)";
  if (!has_tag_) return "not an HTML page (no tag in it)";
  return std::string();
}
