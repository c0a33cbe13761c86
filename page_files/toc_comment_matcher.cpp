#include "page_files/toc_comment_matcher.h"

#include "regex/regex_binding.h"

bool toc_comment_matches(const krval &pattern, const krval &comment) {
  return regex_match(pattern, REGEX_ICASE, comment) == 0;
}
