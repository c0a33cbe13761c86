#include "toc/html_toc.h"

#include <cstring>
#include <initializer_list>
#include <new>
#include "html/krhtml.h"
#include "toc/anchor_slug.h"
#include "toc/heading_scope.h"
#include "toc/node_text.h"
#include "toc/toc_comment.h"

using namespace toc_text;

const char toc_comment_pattern_text[] = "<!--[ \t\r\n]*toc[ \t\r\n]*-->";

// Called for every start tag of a page, twice: it reads the name's bytes in
// place instead of asking for a terminated copy.
int32_t pre_html_toc::heading_level(const krval &name) const {
  if (!name.is_text()) return heading_level(krval(name.c_str()));
  if (name.text.length != 2) return 0;
  const char *s = name.text.bytes;
  if (s[0] != 'h' && s[0] != 'H') return 0;
  int32_t level = static_cast<signed char>(s[1]) - '0';
  return level >= range_from && level <= range_to ? level : 0;
}

html_toc::html_toc()
    : named_anchor_attributes(""), toc_comment_pattern(toc_comment_pattern_text) {}

static bool is_comment(const xml_node *n) {
  return n->kind == XML_COMMENT || n->kind == XML_SSI;
}

void html_toc::take_style(const toc_style &style) {
  range_from = style.range_from.as_int();
  range_to = style.range_to.as_int();
  process_decimal_notation = style.process_decimal_notation.as_int();
  process_title = style.process_title.as_int();
  named_anchor_attributes = style.named_anchor_attributes;
}

// Which comment is a TOC comment is decided by the reader in toc_comment.h,
// for both programs and for the settings quenby-toc reads. The pattern stays
// the last word on a plain comment: it is this program's own record of the
// rule, matched by the regex library the programs load at start (through
// comment_matcher), and it matches the comment as a terminated string, so a
// comment with a NUL byte before its "<!-- toc -->" is none, as it has
// always been. The reader finds the same comments otherwise (html_toc_test
// holds the two equal) and goes first, in one linear pass, so the pattern is
// never compiled for the many comments of a page that cannot be a TOC comment.
toc_comment_form html_toc::form_of_comment(const xml_node *comment) const {
  const node_bytes &raw = comment->raw_text;
  // Read in place: terminating the text would copy a parsed node's bytes.
  const toc_comment_form form = toc_comment_form_of(raw.bytes(), raw.length(), settings_in_comments);
  if (form != toc_comment_form::plain || !comment_matcher) return form;
  return comment_matcher(toc_comment_pattern, krval(raw.bytes(), raw.length())) ? form : toc_comment_form::none;
}

// An h and a digit, the start tag of an element with content: a heading of
// some level, which the range may or may not take.
static int32_t heading_digit(const xml_node *n) {
  if (n->kind != XML_START_TAG || !n->first_child) return -1;
  const piece name{n->name.bytes(), n->name.length()};
  const char *s = name.bytes;
  if (name.length != 2 || (s[0] | 0x20) != 'h') return -1;
  int32_t level = static_cast<signed char>(s[1]) - '0';
  return level >= 0 && level <= 9 ? level : -1;
}

namespace {
bool may_hold_a_name(const node_bytes &raw);
}

bool html_toc::is_landmark(const xml_node &n) {
  if (n.kind == XML_START_TAG) {
    const int32_t length = n.name.length();
    return (length == 2 && (n.name.bytes()[0] | 0x20) == 'h') ||
           (length == 4 && std::memcmp(n.name.bytes(), "body", 4) == 0);
  }
  return is_comment(&n);
}

bool html_toc::is_landmark_or_named(const xml_node &n) {
  return is_landmark(n) ||
         ((n.kind == XML_START_TAG || n.kind == XML_ELEMENT) && may_hold_a_name(n.raw_text));
}

// The first pass: the landmarks in document order, numbered as they are
// met: the parser's, else those a walk over the document finds. It finds
// the places of the first body, TOC comment and markers; the headings of
// any level are among the landmarks, where the second pass finds them
// without walking the document again. Which of them the range takes is
// decided there.
int32_t html_toc::find_places() {
  walked_landmarks.clear();
  if (!document) return 0;
  if (!landmarks) {
    try {
      for (xml_node *n = document->first; n; n = xml_tree::next_in_order(n))
        if (is_landmark(*n)) walked_landmarks.push_back(n);
    } catch (const std::bad_alloc &) {
      return toc_out_of_memory;
    }
  }
  const std::vector<xml_node *> &marks = places();
  for (size_t place = 0; place < marks.size(); ++place) look_at(marks[place], static_cast<uint32_t>(place));
  take_settings_comment_after_lone_start();
  return 0;
}

// Whether this run lists the heading: from the TOC's place on (or inside
// the element chosen instead), in the range, not left out.
bool html_toc::anchored_here(const heading_place &h) const {
  const bool placed = !options->within.empty() || h.place >= insertion_place || h.node == insertion_node;
  return placed && in_range(h.level) && !left_out(h);
}

bool html_toc::heading_at(size_t place, heading_place &h) const {
  xml_node *n = places()[place];
  const int32_t level = heading_digit(n);
  if (level < 0) return false;
  h = heading_place{n, level, static_cast<uint32_t>(place)};
  return true;
}

void html_toc::look_at(xml_node *n, uint32_t place) {
  if (n->kind == XML_START_TAG) {
    if (!body_node && is_named(n, "body", 4)) {
      body_node = n;
      body_place = place;
    }
  } else if (is_comment(n)) {
    const toc_comment_form form = insertion_node ? toc_comment_form::none : form_of_comment(n);
    if (form == toc_comment_form::plain) {
      insertion_node = n;
      toc_comment = n;
      toc_comment_place = place;
    } else if (form == toc_comment_form::with_settings) {
      // The old block's own comment begins with the word TOC: a comment
      // with settings counts only outside the block, which is known once
      // its end marker is found (or not found).
      if (start_marker && !end_marker) {
        if (!settings_comment_in_block) {
          settings_comment_in_block = n;
          settings_comment_in_block_place = place;
        }
      } else {
        insertion_node = n;
        toc_comment = n;
        toc_comment_place = place;
      }
    } else if (!start_marker && n->raw_text == toc_start_marker) {
      start_marker = n;
      start_marker_place = place;
    } else if (start_marker && !end_marker && n->raw_text == toc_end_marker) {
      // The old block ends at the first end marker after its start: one
      // before it is the author's text, and stays with the rest of the page.
      end_marker = n;
      settings_comment_in_block = nullptr;
    }
  }
}

// A comment with settings met after a start marker that no end marker
// followed was the author's after all, and places the TOC unless a plain
// TOC comment came before it.
void html_toc::take_settings_comment_after_lone_start() {
  if (!settings_comment_in_block || end_marker) return;
  if (toc_comment && toc_comment_place < settings_comment_in_block_place) return;
  insertion_node = toc_comment = settings_comment_in_block;
  toc_comment_place = settings_comment_in_block_place;
}

// The node written just before n: the deepest last descendant of its previous
// sibling, or else its parent.
static xml_node *previous_in_order(xml_node *n) {
  if (!n->previous) return n->parent;
  xml_node *p = n->previous;
  while (p->first_child) p = xml_tree::last_sibling(p->first_child);
  return p;
}

// The second pass begins at the insertion node: it takes the headings from
// that node's place on, the ones it would meet walking on from there.
void html_toc::choose_insertion_node() {
  first_heading = nullptr;
  heading_place h;
  for (size_t place = 0; place < places().size(); ++place)
    if (heading_at(place, h) && in_range(h.level) && !left_out(h)) {
      first_heading = h.node;
      break;
    }
  if (insertion_node) {
    insertion_place = toc_comment_place;
    return;
  }
  if (body_node) {
    insertion_node = body_node;
    insertion_place = body_place;
    return;
  }
  // Without a heading, the root; else a node before the first heading: every
  // heading comes after either.
  insertion_place = 0;
  if (!first_heading) {
    insertion_node = document->first;
    return;
  }
  // The block goes after the whole of the node before the heading's
  // climb, not after its start tag: inside a title or a script it would be
  // text of theirs, break the script, and never be found again.
  xml_node *climb = first_heading;
  while (climb && !climb->previous) climb = climb->parent;
  insertion_node = climb ? climb->previous : nullptr;
  while (insertion_node && insertion_node->first_child)
    insertion_node = xml_tree::last_sibling(insertion_node->first_child);

  // In a remade page without a body, the climb can land on the old end marker
  // (or inside the old block): the writer leaves that stretch out, so the new
  // block would vanish with the old one. It takes the old block's place instead.
  if (!insertion_node || !start_marker || !end_marker) return;
  bool inside_old_block = false;
  for (xml_node *n = start_marker; n; n = xml_tree::next_in_order(n)) {
    if (n == insertion_node) {
      inside_old_block = true;
      break;
    }
    if (n == end_marker) break;
  }
  if (!inside_old_block) return;
  if (xml_node *before = previous_in_order(start_marker)) {
    insertion_node = before;
    insertion_place = start_marker_place;   // and the node just before it
  }
}

namespace {

// Whether a tag's bytes may hold an attribute named id or name: an "=" after
// one of those words. Most tags hold neither, and their attributes are then
// never read.
bool may_hold_a_name(const node_bytes &raw) {
  const node_bytes::seen seen = raw.view();
  const char *s = seen.bytes;
  const int32_t n = seen.length;
  for (const char *at = s; n > 0 && (at = static_cast<const char *>(
                                         std::memchr(at, '=', static_cast<size_t>(s + n - at))));
       ++at) {
    const char *word_end = at;
    while (word_end > s && (word_end[-1] == ' ' || word_end[-1] == '\t' || word_end[-1] == '\r' ||
                            word_end[-1] == '\n'))
      --word_end;
    // The word just before: exactly id or name, a letter not before it.
    auto is_word = [&](const char *word, long length) {
      if (word_end - s < length) return false;
      const char *from = word_end - length;
      if (from > s && ((from[-1] | 0x20) >= 'a' && (from[-1] | 0x20) <= 'z')) return false;
      for (long i = 0; i < length; ++i)
        if ((from[i] | 0x20) != word[i]) return false;
      return true;
    };
    if (is_word("id", 2) || is_word("name", 4))
      return true;
  }
  return false;
}

bool holds_bytes(const node_bytes &raw, const char *needle, size_t length) {
  const node_bytes::seen seen = raw.view();
  const int32_t n = seen.length;
  if (n < static_cast<int32_t>(length)) return false;
  const char *s = seen.bytes;
  for (const char *at = s; (at = static_cast<const char *>(
                                std::memchr(at, needle[0], static_cast<size_t>(s + n - at))));
       ++at)
    if (static_cast<size_t>(s + n - at) >= length && std::memcmp(at, needle, length) == 0) return true;
  return false;
}

}  // namespace

// Whether a tag has an id attribute, even one without a value.
bool html_toc::holds_id_attribute(xml_node *tag) const {
  return holds_letters(tag->raw_text, "id") && tag->attributes().has(id_key);
}

bool html_toc::left_out(const heading_place &h) const {
  return !left_out_marks.empty() && left_out_marks[h.place];
}

// The headings in menus and pop-ups, outside the element chosen, or of a
// class word to leave out, marked in one pass over the headings before any
// is listed: the passes that list them may then ask in any order, one
// inside another, and each heading's class is read once.
void html_toc::mark_headings_left_out() {
  left_out_marks.clear();
  skipped_classes.clear();
  const bool within_chosen = !options->within.empty();
  for (const std::string &word : options->skip_classes) skipped_classes.insert(word);
  if (options->reader_entries) skipped_classes.insert("notoc");
  if (!options->reader_entries && !within_chosen && skipped_classes.empty()) return;
  const xml_node *within = nullptr;
  element_selector selector;
  if (within_chosen && parse_element_selector(options->within, selector))
    within = first_matching_element(*document, selector, start_marker, end_marker);
  const bool scoped = options->reader_entries || within_chosen;
  heading_scope scope(options->reader_entries, within_chosen, within);
  left_out_marks.assign(places().size(), 0);
  heading_place h;
  for (size_t place = 0; place < places().size(); ++place)
    if (heading_at(place, h)) left_out_marks[place] = (scoped && !scope.takes(h.node)) || left_out_by_class(h.node);
}

// A heading's class words against the words to leave out: a page may name
// as many as it has headings.
bool html_toc::left_out_by_class(const xml_node *heading) const {
  krval value;
  if (skipped_classes.empty() || !holds_letters(heading->raw_text, "class") ||
      !heading->attributes().get(class_key, value))
    return false;
  const piece classes = bytes_of(value);
  const char *s = classes.bytes;
  const int32_t n = classes.length;
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; };
  for (int32_t at = 0; at < n;) {
    while (at < n && blank(s[at])) ++at;
    const int32_t from = at;
    while (at < n && !blank(s[at])) ++at;
    if (at > from && skipped_classes.contains(std::string_view(s + from, static_cast<size_t>(at - from)))) return true;
  }
  return false;
}

// The names a made name must not take: every id of the page and every
// name of its a elements (where a browser finds a link's target). With
// names made from the stamp only names that look like them can collide.
void html_toc::collect_page_names() {
  const bool slugs = options && options->names == toc_naming::slug;
  auto look_at_tag = [&](xml_node *n) {
    if (n->kind != XML_START_TAG && n->kind != XML_ELEMENT) return;
    if (slugs ? !may_hold_a_name(n->raw_text)
              : !holds_bytes(n->raw_text, made_name_prefix, sizeof made_name_prefix - 1))
      return;
    krval value;
    auto take = [&] {
      const piece name = bytes_of(value);
      taken_names.insert({name.bytes, static_cast<size_t>(name.length)});
    };
    if (n->attributes().get(id_key, value) && value.text_length() > 0) take();
    if (is_named(n, "a", 1) && n->attributes().get(name_key, value) && value.text_length() > 0) take();
  };
  if (landmarks && landmarks_hold_names) {
    for (xml_node *n : *landmarks) look_at_tag(n);
  } else {
    for (xml_node *n = document->first; n; n = xml_tree::next_in_order(n)) look_at_tag(n);
  }
}

// Goes through a heading's descendants in document order, moving next_place
// past the landmarks among them (headings inside it are part of it). The
// content of elements read as text (a script, a text area) is passed over:
// it is inert where it stands and never becomes an entry's markup. Each
// step up pays for a step down, so a walk costs what the heading holds and
// never what follows it, however deep the page nests.
// visit(d, hidden) is told whether d is inside content a reader does not
// see, and answers whether d's own content is such: the walk still goes
// through it, past the landmarks there, and clears the mark on leaving it.
template <class Visit>
void html_toc::walk_heading(xml_node *heading, size_t &next_place, Visit visit) const {
  const std::vector<xml_node *> &marks = places();
  const xml_node *hidden_by = nullptr;
  xml_node *d = heading->first_child;
  while (d) {
    if (next_place < marks.size() && marks[next_place] == d) ++next_place;
    const bool hides = visit(static_cast<const xml_node *>(d), hidden_by != nullptr);
    const bool inert = d->kind == XML_START_TAG && holds_text_content(d->name);
    if (d->first_child && !inert) {
      if (hides && !hidden_by) hidden_by = d;
      d = d->first_child;
      continue;
    }
    while (!d->next) {
      d = d->parent;
      if (d == hidden_by) hidden_by = nullptr;
      if (d == heading) return;
    }
    if (d == hidden_by) hidden_by = nullptr;
    d = d->next;
  }
}

// The name of an anchor the heading has: its own id (where ids count), else
// the name of the first a inside it (or its id, where ids count); empty
// where there is none. The attribute maps of tags that cannot hold a name
// are never made.
void html_toc::own_name_of(xml_node *heading, const xml_node *d, krval &name) const {
  const bool ids = options && options->heading_ids;
  if (d == heading) {
    if (ids && may_hold_a_name(heading->raw_text) && heading->attributes().get(id_key, name) &&
        name.text_length() > 0)
      return;
    name = "";
    return;
  }
  if (d->kind != XML_START_TAG || !is_named(d, "a", 1) || !may_hold_a_name(d->raw_text)) return;
  if (d->attributes().get(name_key, name) && name.text_length() > 0) return;
  if (ids && d->attributes().get(id_key, name) && name.text_length() > 0) return;
  name = "";
}

// Names from the stamp can only meet names that an earlier run with the
// same stamp made (a fixed stamp, run again after the page was edited).
// Such a run listed them in the old block, and its anchors that are still
// in headings are met again: where neither holds the stamp, the page need
// not be searched for names. The headings are gone through as the
// anchoring does, each once.
bool html_toc::stamp_used_before() {
  char suffix[16];
  suffix[0] = '_';
  const int32_t length = 1 + put_decimal(static_cast<uint32_t>(stamp), suffix + 1);
  auto ends_with_suffix = [&](const krval &name) {
    const int32_t n = name.text_length();
    return n > length && std::memcmp(name.c_str() + n - length, suffix, static_cast<size_t>(length)) == 0;
  };
  if (start_marker && end_marker) {
    suffix[length] = '"';
    for (xml_node *n = start_marker; n && n != end_marker; n = xml_tree::next_in_order(n))
      if (holds_bytes(n->raw_text, suffix, static_cast<size_t>(length + 1))) return true;
  }
  heading_place h;
  krval own;
  bool found = false;
  size_t next = 0;
  while (next < places().size() && !found) {
    if (!heading_at(next++, h) || !anchored_here(h)) continue;
    own_name_of(h.node, h.node, own);
    found = ends_with_suffix(own);
    walk_heading(h.node, next, [&](const xml_node *d, bool) {
      if (found || d->kind != XML_START_TAG) return false;
      own = "";
      own_name_of(h.node, d, own);
      found = ends_with_suffix(own);
      return false;
    });
  }
  return found;
}

// A new name, unused in the page and in this run: from the stamp and the
// counter, or from the heading's text; "-2", "-3", ... where it is taken.
void html_toc::make_name(const std::string &entry_text, std::string &name) {
  const bool slugs = options && options->names == toc_naming::slug;
  if (slugs) {
    name = anchor_slug(entry_text.data(), entry_text.size());
  } else {
    char made[10 + 10 + 1 + 11];
    std::memcpy(made, made_name_prefix, 10);
    int32_t length = 10 + put_decimal(static_cast<uint32_t>(anchor_counter), made + 10);
    made[length++] = '_';
    length += put_decimal(static_cast<uint32_t>(stamp), made + length);
    name.assign(made, static_cast<size_t>(length));
  }
  if (!names_collected) {
    if (slugs || stamp_used_before()) collect_page_names();
    names_collected = true;
  }
  // Names from the stamp differ from each other by their counter: only the
  // page's own can be in the way. A readable name is taken as it is made.
  if (!slugs) {
    if (taken_names.contains(name)) give_free_suffix(name, false);
  } else if (given_with_suffix(name) || !taken_names.insert(name)) {
    give_free_suffix(name, true);
  }
}

// Whether a readable name was given in this run with a suffix: base-k, k
// below the base's next suffix. Those names are not kept in the set: every
// suffix of a base up to its next one was given or found taken, so a page
// of many headings of one text keeps the set as small as its other names.
bool html_toc::given_with_suffix(const std::string &name) const {
  if (next_suffix.empty()) return false;
  const size_t dash = name.rfind('-');
  if (dash == std::string::npos || dash + 1 == name.size() || name[dash + 1] == '0' ||
      name.size() - dash - 1 > 9)
    return false;
  uint32_t k = 0;
  for (size_t i = dash + 1; i < name.size(); ++i) {
    if (name[i] < '0' || name[i] > '9') return false;
    k = 10 * k + static_cast<uint32_t>(name[i] - '0');
  }
  const auto base = next_suffix.find(name.substr(0, dash));
  return base != next_suffix.end() && k >= 2 && k < base->second;
}

// A taken name becomes base-k, for the first k from 2 on that is free (and,
// with take, is taken at once: the base's next suffix goes past it). Names
// are only ever added, so a suffix found taken stays taken: the search for
// a base goes on where its last one ended, and a page of a hundred thousand
// headings of the same text costs no more per heading than one of a few.
void html_toc::give_free_suffix(std::string &name, bool take) {
  uint32_t &k = next_suffix.try_emplace(name, 2).first->second;
  const size_t base_length = name.size();
  for (;; ++k) {
    char digits[10];
    const int32_t count = put_decimal(k, digits);
    name.resize(base_length);
    name += '-';
    name.append(digits, static_cast<size_t>(count));
    if (!taken_names.contains(name)) {
      if (take) ++k;
      return;
    }
  }
}

// The anchor of a heading that has none: an <a name> around its content,
// or an id in its start tag right after the tag's name. False when out of
// memory.
bool html_toc::insert_anchor(xml_node *heading, const std::string &name) {
  const piece name_piece{name.data(), static_cast<int32_t>(name.size())};
  const piece tag = bytes_of(heading->raw_text);
  // A heading with an id of its own that names nothing (id="") gets its
  // anchor inside instead: a second id on one tag would be a fault of ours.
  if (options && options->anchors == toc_anchor_mode::id && !holds_id_attribute(heading)) {
    // "<", the two letters of the name, then the rest as it stands.
    if (tag.length < 3 || tag.bytes[0] != '<') return true;
    krval with_id;
    if (!set_joined_in_store(with_id, {{tag.bytes, 3}, {" id=\"", 5}, name_piece, {"\"", 1},
                                       {toc_made_id_mark, static_cast<int32_t>(sizeof toc_made_id_mark - 1)},
                                       {tag.bytes + 3, tag.length - 3}}))
      return false;
    return heading->raw_text.borrow(with_id.text.bytes, with_id.text.length);
  }
  // Where the style gives the anchor no attributes, only a name from the
  // stamp tells it from the author's: any other name gets the mark.
  piece attributes = bytes_of(named_anchor_attributes);
  if (attributes.length == 0 && options && options->names != toc_naming::stamp)
    attributes = {toc_made_id_mark, static_cast<int32_t>(sizeof toc_made_id_mark - 1)};
  const piece opening[] = {{"<a name=\"", 9}, name_piece, {"\"", 1}, attributes, {">", 1}};
  xml_node *last = xml_tree::last_sibling(heading->first_child);
  // Where the heading's own end tag closes it, the anchor's start is written
  // with the heading's start tag and its end with that end tag: two nodes a
  // heading fewer, the same bytes. Not where a number goes first in the
  // heading: it is a node of its own, before the anchor.
  if (last->kind == XML_END_TAG && last->closed && !(options && options->number)) {
    krval start, end;
    if (!set_joined_in_store(start, {tag, opening[0], opening[1], opening[2], opening[3], opening[4]}) ||
        !set_joined_in_store(end, {{closing_anchor, 4}, bytes_of(last->raw_text)}))
      return false;
    return heading->raw_text.borrow(start.text.bytes, start.text.length) &&
           last->raw_text.borrow(end.text.bytes, end.text.length);
  }
  xml_node *opening_node = new_text_node();
  xml_node *closing_node = new_text_node();
  if (!opening_node || !closing_node ||
      !set_joined_in_store(opening_node->raw_text,
                           {opening[0], opening[1], opening[2], opening[3], opening[4]})) {
    delete opening_node;
    delete closing_node;
    return false;
  }
  if (!closing_node->raw_text.borrow(closing_anchor, 4)) {
    delete opening_node;
    delete closing_node;
    return false;
  }
  document->insert_first_child(opening_node, heading);
  if (last->kind == XML_END_TAG && last->closed)
    document->insert_before(closing_node, last);
  else
    document->insert_after(closing_node, last);
  return true;
}

// The entry of a heading, once the heading has its anchor: its link and its
// text in one allocation. The landmarks inside this one (headings among
// them) are part of its text: the walk over its descendants passes them,
// and next_place with them. Outside the classic style the text is what a
// reader sees, and an anchor in what they do not see names nothing they
// could be taken to.
toc_node *html_toc::anchor_heading(xml_node *heading, size_t &next_place, bool &listed) {
  std::string &text = heading_text;
  text.clear();
  krval own_name;
  own_name_of(heading, heading, own_name);
  const bool as_seen = options->reader_entries;
  walk_heading(heading, next_place, [&](const xml_node *d, bool hidden) {
    if (hidden) return false;
    if (as_seen && reader.hides_content(d)) return true;
    if (is_text(d)) {
      const piece bytes = bytes_of(d->raw_text);
      if (bytes.length > 0) text.append(bytes.bytes, static_cast<size_t>(bytes.length));
      return false;
    }
    if (as_seen) reader.append_shown(d, text);
    if (own_name.text_length() == 0) own_name_of(heading, d, own_name);
    return false;
  });
  if (as_seen) tidy_entry_text(text);
  listed = !as_seen || !text.empty();
  if (!listed) return nullptr;
  piece name;
  if (own_name.text_length() > 0) {
    name = bytes_of(own_name);
  } else {
    make_name(text, made_name);
    if (!insert_anchor(heading, made_name)) return nullptr;
    name = piece{made_name.data(), static_cast<int32_t>(made_name.size())};
  }
  const int32_t text_length = static_cast<int32_t>(text.size());
  char *room = nullptr;
  toc_node *entry = toc_node::with_room(1 + name.length + text_length, room);
  if (!entry) return nullptr;
  room[0] = '#';
  if (name.length > 0) std::memcpy(room + 1, name.bytes, static_cast<size_t>(name.length));
  if (text_length > 0) std::memcpy(room + 1 + name.length, text.data(), text.size());
  entry->view_texts(room, 1 + name.length, room + 1 + name.length, text_length);
  return entry;
}

int32_t html_toc::transform() {
  if (int32_t result = find_places()) return result;
  return anchor_headings();
}

int32_t html_toc::anchor_headings() {
  if (!options) options = &default_toc_options();
  stamp = options->stamp;
  anchor_counter = 0;
  taken_names.clear();
  next_suffix.clear();
  names_collected = false;
  if (!document || !tree) return 0;
  try {
    mark_headings_left_out();
  } catch (const std::bad_alloc &) {
    return toc_out_of_memory;
  }
  choose_insertion_node();

  // Numbers of an earlier run go; the headings listed now get theirs anew.
  heading_place h;
  if (options->numbers_known)
    for (size_t place = 0; place < places().size(); ++place)
      if (heading_at(place, h)) remove_number(h.node);
  if (!insertion_node) return 0;
  // Listed in document order, the landmarks inside a heading that gets its
  // anchor follow it: anchoring it moves past them.
  size_t next = 0;
  while (next < places().size()) {
    if (!heading_at(next++, h) || !anchored_here(h)) continue;
    ++anchor_counter;
    toc_node *entry = nullptr;
    bool listed = true;
    try {
      entry = anchor_heading(h.node, next, listed);
    } catch (const std::bad_alloc &) {
    }
    if (!listed) {
      --anchor_counter;
      continue;
    }
    if (!entry) return toc_out_of_memory;
    entry->level = h.level;
    add_entry(entry);
    if (options->number && !insert_number(h.node, entry)) return toc_out_of_memory;
  }
  return 0;
}

// The current entry and all its ancestors are the last entries of their
// chains (every entry goes to the end of one), so each append starts from the
// node the climb is at and finds the chain's end at once: a page of hundreds
// of thousands of headings costs no more per heading than a short one.
void html_toc::add_entry(toc_node *entry) {
  const int32_t level = entry->level;
  toc_node *from_below = nullptr;   // the child of c the climb came from
  for (toc_node *c = current_entry; c; from_below = c, c = c->parent) {
    if (level > c->level) {
      if (from_below)
        tree->insert_after(entry, toc_tree::last_sibling(from_below));
      else
        tree->append_child(entry, c);
      current_entry = entry;
      return;
    }
    if (level == c->level) {
      tree->append_after_last_sibling(entry, c);
      current_entry = entry;
      return;
    }
  }
  if (!tree->first)
    tree->append_top_level(entry);
  else
    tree->append_after_last_sibling(entry, from_below ? from_below : tree->first);
  current_entry = entry;
}
