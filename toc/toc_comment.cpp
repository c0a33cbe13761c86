#include "toc/toc_comment.h"

#include <cstring>

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool is_toc_word_at(const char *s, int32_t at, int32_t n) {
  return at + 3 <= n && (s[at] | 0x20) == 't' && (s[at + 1] | 0x20) == 'o' && (s[at + 2] | 0x20) == 'c';
}

bool ends_the_comment(const char *s, int32_t at, int32_t n) {
  return at + 3 <= n && std::memcmp(s + at, "-->", 3) == 0;
}

struct toc_word {
  toc_comment_form form = toc_comment_form::none;
  int32_t settings_from = 0;   // with settings: the first byte after the word toc
};

// One pass over the comment for every "<!--" in it, as the window's pattern
// is matched anywhere in the comment: the first that holds the word toc
// alone makes a plain comment; failing that, the first whose word toc is
// followed by more words starts the settings. Blanks after one "<!--" are
// never skipped for another, so the pass stays linear.
toc_word find_toc_word(const char *s, int32_t n, bool settings_on) {
  toc_word found;
  int32_t settings_from = -1;
  for (int32_t i = 0; i + 4 <= n;) {
    const void *lt = std::memchr(s + i, '<', static_cast<size_t>(n - i));
    if (!lt) break;
    i = static_cast<int32_t>(static_cast<const char *>(lt) - s);
    if (i + 4 > n || std::memcmp(s + i, "<!--", 4) != 0) {
      ++i;
      continue;
    }
    int32_t at = i + 4;
    while (at < n && is_blank(s[at])) ++at;
    if (!is_toc_word_at(s, at, n)) {
      i = at;
      continue;
    }
    int32_t after = at + 3;
    while (after < n && is_blank(s[after])) ++after;
    if (ends_the_comment(s, after, n)) {
      found.form = toc_comment_form::plain;
      return found;
    }
    if (settings_from < 0 && after > at + 3) settings_from = at + 3;
    i = after;
  }
  if (settings_on && settings_from >= 0 && settings_from <= n - 3 && ends_the_comment(s, n - 3, n)) {
    found.form = toc_comment_form::with_settings;
    found.settings_from = settings_from;
  }
  return found;
}

}  // namespace

toc_comment_form toc_comment_form_of(const char *comment, int32_t length, bool settings_on) {
  return find_toc_word(comment, length, settings_on).form;
}

bool read_toc_comment_settings(const char *s, int32_t n, std::vector<toc_comment_setting> &settings,
                               std::string &error, int32_t &line) {
  settings.clear();
  const toc_word found = find_toc_word(s, n, true);
  if (found.form != toc_comment_form::with_settings) return true;
  int32_t i = found.settings_from, end = n - 3, lines = 0;
  for (int32_t k = 0; k < i; ++k) lines += s[k] == '\n';
  auto skip_blanks = [&] {
    while (i < end && is_blank(s[i])) lines += s[i++] == '\n';
  };
  for (;;) {
    skip_blanks();
    if (i >= end) return true;
    const int32_t key_from = i, key_line = lines;
    while (i < end && !is_blank(s[i]) && s[i] != '=') ++i;
    const int32_t key_end = i;
    skip_blanks();
    if (key_end == key_from || i >= end || s[i] != '=') {
      int32_t word_end = key_from;
      while (word_end < end && !is_blank(s[word_end])) ++word_end;
      const std::string word(s + key_from, static_cast<size_t>(word_end - key_from));
      error = "expected KEY=VALUE, not '" + word + "'";
      line = key_line;
      return false;
    }
    ++i;
    skip_blanks();
    const int32_t value_from = i;
    while (i < end && !is_blank(s[i])) ++i;
    settings.push_back(toc_comment_setting{std::string(s + key_from, static_cast<size_t>(key_end - key_from)),
                                           std::string(s + value_from, static_cast<size_t>(i - value_from)),
                                           key_line});
  }
}
