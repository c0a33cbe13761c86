#include "cli/unified_diff.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace {

using lines = std::vector<std::string_view>;

lines split_lines(const std::string &text) {
  lines out;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    end = end == std::string::npos ? text.size() : end + 1;
    out.emplace_back(text.data() + at, end - at);
    at = end;
  }
  return out;
}

// Which lines of the two sides are the same line: matched[i] is the line of
// b that line i of a stays as, or -1 where it goes. Lines that occur once
// on each side anchor the match (their longest common run in order), and the
// stretches between anchors are matched the same way; a stretch without such
// lines is taken as removed and added whole. Every change this tool makes is
// found so, and the work stays near linear.
std::vector<long> match_lines(const lines &a, const lines &b) {
  std::vector<long> matched(a.size(), -1);
  struct stretch {
    size_t a_from, a_to, b_from, b_to;
  };
  std::vector<stretch> work{{0, a.size(), 0, b.size()}};
  while (!work.empty()) {
    stretch s = work.back();
    work.pop_back();
    while (s.a_from < s.a_to && s.b_from < s.b_to && a[s.a_from] == b[s.b_from])
      matched[s.a_from++] = static_cast<long>(s.b_from++);
    while (s.a_from < s.a_to && s.b_from < s.b_to && a[s.a_to - 1] == b[s.b_to - 1])
      matched[--s.a_to] = static_cast<long>(--s.b_to);
    if (s.a_from == s.a_to || s.b_from == s.b_to) continue;

    // Count of each line in the stretch of a and of b, and its place.
    struct seen {
      int in_a = 0, in_b = 0;
      size_t at_a = 0, at_b = 0;
    };
    std::unordered_map<std::string_view, seen> count;
    for (size_t i = s.a_from; i < s.a_to; ++i) {
      seen &c = count[a[i]];
      ++c.in_a;
      c.at_a = i;
    }
    for (size_t j = s.b_from; j < s.b_to; ++j) {
      auto it = count.find(b[j]);
      if (it == count.end()) continue;
      ++it->second.in_b;
      it->second.at_b = j;
    }
    std::vector<std::pair<size_t, size_t>> unique;
    for (size_t i = s.a_from; i < s.a_to; ++i) {
      const seen &c = count[a[i]];
      if (c.in_a == 1 && c.in_b == 1) unique.emplace_back(i, c.at_b);
    }
    if (unique.empty()) continue;
    // The longest run of them in the same order on both sides (patience).
    std::vector<size_t> tails, previous(unique.size());
    for (size_t k = 0; k < unique.size(); ++k) {
      auto at = std::lower_bound(tails.begin(), tails.end(), unique[k].second,
                                 [&](size_t t, size_t value) { return unique[t].second < value; });
      previous[k] = at == tails.begin() ? SIZE_MAX : *(at - 1);
      if (at == tails.end()) tails.push_back(k);
      else *at = k;
    }
    std::vector<size_t> anchors;
    for (size_t k = tails.back(); k != SIZE_MAX; k = previous[k]) anchors.push_back(k);
    std::reverse(anchors.begin(), anchors.end());
    size_t a_at = s.a_from, b_at = s.b_from;
    for (size_t k : anchors) {
      work.push_back({a_at, unique[k].first, b_at, unique[k].second});
      matched[unique[k].first] = static_cast<long>(unique[k].second);
      a_at = unique[k].first + 1;
      b_at = unique[k].second + 1;
    }
    work.push_back({a_at, s.a_to, b_at, s.b_to});
  }
  return matched;
}

enum class op : char { same = ' ', gone = '-', added = '+' };
struct edit {
  op kind;
  size_t line;   // in a for same and gone, in b for added
};

void put_line(std::string &out, char mark, std::string_view line) {
  out += mark;
  out.append(line.data(), line.size());
  if (line.empty() || line.back() != '\n') out += "\n\\ No newline at end of file\n";
}

std::string range_text(size_t from, size_t count) {
  // diff -u names an empty range by the line before it.
  if (count == 0) return std::to_string(from) + ",0";
  if (count == 1) return std::to_string(from + 1);
  return std::to_string(from + 1) + "," + std::to_string(count);
}

}  // namespace

std::string unified_diff(const std::string &before, const std::string &after,
                         const std::string &label, int context) {
  if (before == after) return std::string();
  const lines a = split_lines(before), b = split_lines(after);
  const std::vector<long> matched = match_lines(a, b);
  std::vector<edit> edits;
  size_t j = 0;
  for (size_t i = 0; i < a.size(); ++i) {
    if (matched[i] < 0) {
      edits.push_back({op::gone, i});
      continue;
    }
    while (j < static_cast<size_t>(matched[i])) edits.push_back({op::added, j++});
    edits.push_back({op::same, i});
    ++j;
  }
  while (j < b.size()) edits.push_back({op::added, j++});

  std::string out = "--- " + label + "\n+++ " + label + "\n";
  const size_t reach = static_cast<size_t>(context);
  size_t k = 0;
  size_t counted = 0, a_before = 0, b_before = 0;   // lines of each side before edits[counted]
  while (k < edits.size()) {
    while (k < edits.size() && edits[k].kind == op::same) ++k;
    if (k == edits.size()) break;
    // A hunk: from `context` lines before this change to `context` lines
    // after the last change that lies within twice that of the one before.
    size_t first = k >= reach ? k - reach : 0;
    size_t last = k;
    for (size_t m = k; m < edits.size(); ++m) {
      if (edits[m].kind != op::same) last = m;
      else if (m - last > 2 * reach) break;
    }
    size_t end = std::min(edits.size(), last + 1 + reach);
    for (; counted < first; ++counted) {
      if (edits[counted].kind != op::added) ++a_before;
      if (edits[counted].kind != op::gone) ++b_before;
    }
    const size_t a_from = a_before, b_from = b_before;
    size_t a_count = 0, b_count = 0;
    std::string body;
    for (size_t m = first; m < end; ++m) {
      const edit &e = edits[m];
      if (e.kind != op::added) ++a_count;
      if (e.kind != op::gone) ++b_count;
      put_line(body, static_cast<char>(e.kind), e.kind == op::added ? b[e.line] : a[e.line]);
    }
    out += "@@ -" + range_text(a_from, a_count) + " +" + range_text(b_from, b_count) + " @@\n";
    out += body;
    k = end;
  }
  return out;
}
