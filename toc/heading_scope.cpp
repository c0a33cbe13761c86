#include "toc/heading_scope.h"

#include <cstring>
#include "toc/node_text.h"

using namespace toc_text;

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }

// A word of an id or class selector: what would start another selector or
// join two is refused rather than taken as part of the name.
bool is_selector_word(const std::string &word) {
  return !word.empty() && word.find_first_of(" \t\r\n\f#.,>+~[]():*\"'") == std::string::npos;
}

bool is_tag_name(const std::string &word) {
  auto letter = [](char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; };
  if (word.empty() || !letter(word[0])) return false;
  for (char c : word)
    if (!letter(c) && !(c >= '0' && c <= '9') && c != '-') return false;
  return true;
}

// Whether a class attribute's words hold this one.
bool holds_class_word(const piece &classes, const std::string &word) {
  const char *s = classes.bytes;
  const int32_t n = classes.length;
  for (int32_t at = 0; at < n;) {
    while (at < n && is_blank(s[at])) ++at;
    const int32_t from = at;
    while (at < n && !is_blank(s[at])) ++at;
    if (static_cast<size_t>(at - from) == word.size() &&
        std::memcmp(s + from, word.data(), word.size()) == 0)
      return true;
  }
  return false;
}

}  // namespace

bool parse_element_selector(const std::string &text, element_selector &selector) {
  if (!text.empty() && (text[0] == '#' || text[0] == '.')) {
    selector.by = text[0] == '#' ? element_selector::kind::id : element_selector::kind::class_word;
    selector.word = text.substr(1);
    return is_selector_word(selector.word);
  }
  selector.by = element_selector::kind::tag;
  selector.word = text;
  for (char &c : selector.word) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c | 0x20 : c);
  return is_tag_name(selector.word);
}

const xml_node *first_matching_element(const xml_tree &document, const element_selector &selector,
                                       const xml_node *old_block_start, const xml_node *old_block_end) {
  const krval id_key{"id"}, class_key{"class"};
  const int32_t tag_length = static_cast<int32_t>(selector.word.size());
  krval value;
  for (xml_node *n = document.first; n; n = xml_tree::next_in_order(n)) {
    if (n == old_block_start && old_block_end) n = const_cast<xml_node *>(old_block_end);
    if (n->kind != XML_START_TAG && n->kind != XML_ELEMENT) continue;
    switch (selector.by) {
      case element_selector::kind::tag:
        if (is_named_any_case(n, selector.word.data(), tag_length)) return n;
        break;
      case element_selector::kind::id:
        if (holds_letters(n->raw_text, "id") && n->attributes().get(id_key, value) &&
            value.text_length() == tag_length &&
            std::memcmp(bytes_of(value).bytes, selector.word.data(), selector.word.size()) == 0)
          return n;
        break;
      case element_selector::kind::class_word:
        if (holds_letters(n->raw_text, "class") && n->attributes().get(class_key, value) &&
            holds_class_word(bytes_of(value), selector.word))
          return n;
        break;
    }
  }
  return nullptr;
}

bool heading_scope::leaves_out(const xml_node *n) const {
  if (n->kind != XML_START_TAG) return false;
  return is_named_any_case(n, "nav", 3) || is_named_any_case(n, "aside", 5) ||
         is_named_any_case(n, "dialog", 6) ||
         (holds_letters(n->raw_text, "hidden") && n->attributes().has(hidden_key));
}

bool heading_scope::takes(const xml_node *heading) {
  if (!menus_out && !within_chosen) return true;
  if (within_chosen && !within) return false;
  // A heading hidden itself, or whose content is hidden from screen
  // readers, shows a reader nothing: left out here, where its tag is read
  // once, rather than found empty later.
  if (menus_out && reader.hides_content(heading)) return false;
  if (!heading->parent) return !within_chosen || heading == within;
  const size_t above = lowest_ancestor(heading->parent);
  if (first_out <= above) return false;
  return !within_chosen || heading == within || first_inside <= above;
}

// The chain made the parent's: up from it to the lowest ancestor the last
// heading shared, or to the top. Headings side by side share their parent
// at once. Only every kSpacing'th ancestor of the chain is in the table: the
// climb stops at the first of those, and the lowest shared ancestor is then
// found among the few climbed past just before.
size_t heading_scope::lowest_ancestor(const xml_node *parent) {
  if (!chain.empty() && chain.back() == parent) return chain.size() - 1;
  const xml_node *last_climbed[kSpacing];
  size_t shared = 0, climbed = 0;
  for (const xml_node *n = parent; n; n = n->parent, ++climbed) {
    size_t place = place_of(n);
    if (place < chain.size()) {
      for (size_t down = 1; down < kSpacing && climbed > 0 && place + 1 < chain.size() &&
                            chain[place + 1] == last_climbed[(climbed - 1) % kSpacing];
           ++down) {
        ++place;
        --climbed;
      }
      shared = place + 1;
      break;
    }
    last_climbed[climbed % kSpacing] = n;
  }
  for (size_t i = shared; i < chain.size(); ++i) forget_place(i);
  if (first_out >= shared) first_out = SIZE_MAX;
  if (first_inside >= shared) first_inside = SIZE_MAX;
  chain.resize(shared + climbed);
  xml_node *n = const_cast<xml_node *>(parent);
  for (size_t i = chain.size(); i-- > shared; n = n->parent) chain[i] = n;
  for (size_t i = shared; i < chain.size(); ++i) {
    if (first_out == SIZE_MAX && menus_out && leaves_out(chain[i])) first_out = i;
    if (first_inside == SIZE_MAX && chain[i] == within) first_inside = i;
    remember_place(i);
  }
  return chain.size() - 1;
}

size_t heading_scope::home_of(const xml_node *n) const {
  const uint64_t at = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(n)) >> 3;
  return static_cast<size_t>((at * 0x9E3779B97F4A7C15ull) >> 32) & (places.size() - 1);
}

size_t heading_scope::place_of(const xml_node *n) const {
  if (places.empty()) return chain.size();
  for (size_t slot = home_of(n);; slot = (slot + 1) & (places.size() - 1)) {
    const uint32_t place = places[slot];
    if (place == 0) return chain.size();
    if (chain[place - 1] == n) return place - 1;
  }
}

void heading_scope::remember_place(size_t in_chain) {
  if (in_chain % kSpacing != 0) return;
  const size_t known = in_chain / kSpacing + 1;
  if (places.size() < 2 * known) {
    // Built anew twice as large as needed at least: full to a half at most.
    size_t size = 64;
    while (size < 2 * known) size *= 2;
    std::vector<uint32_t>().swap(places);   // the old one gone first: it is rebuilt from the chain
    places.assign(size, 0);
    for (size_t i = 0; i < in_chain; i += kSpacing) remember_place(i);
  }
  size_t slot = home_of(chain[in_chain]);
  while (places[slot] != 0) slot = (slot + 1) & (places.size() - 1);
  places[slot] = static_cast<uint32_t>(in_chain + 1);
}

// Taken out by moving back the entries after it that would no longer be
// found past the gap, so that no search stops short.
void heading_scope::forget_place(size_t in_chain) {
  if (in_chain % kSpacing != 0) return;
  const xml_node *n = chain[in_chain];
  const size_t mask = places.size() - 1;
  size_t gap = home_of(n);
  while (places[gap] != 0 && chain[places[gap] - 1] != n) gap = (gap + 1) & mask;
  if (places[gap] == 0) return;
  for (size_t slot = (gap + 1) & mask; places[slot] != 0; slot = (slot + 1) & mask) {
    const size_t home = home_of(chain[places[slot] - 1]);
    // Stays where its home lies after the gap, up to its slot, cyclically.
    const bool stays = gap <= slot ? (gap < home && home <= slot) : (gap < home || home <= slot);
    if (stays) continue;
    places[gap] = places[slot];
    gap = slot;
  }
  places[gap] = 0;
}
