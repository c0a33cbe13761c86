#include "html/krsgml.h"

#include <cstring>

#include "html/same_bytes.h"

namespace {

bool is_letter(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool is_greater_than(const krval &closing) {
  return closing.is_text() && closing.text.length == 1 && closing.text.bytes[0] == '>';
}

// A byte that keeps a declaration keyword alive at a token length, given the
// keywords it belongs to.
struct keyword_letter {
  char letter;
  uint8_t keywords;
};

using K = krsgml;
constexpr keyword_letter kLetters4[] = {{'-', K::KW_COMMENT}, {'C', K::KW_CDATA},   {'L', K::KW_ELEMENT},
                                        {'N', K::KW_ENTITY},  {'O', K::KW_DOCTYPE}, {'T', K::KW_ATTLIST}};
constexpr keyword_letter kLetters5[] = {{'C', K::KW_DOCTYPE}, {'D', K::KW_CDATA},
                                        {'E', K::KW_ELEMENT}, {'T', K::KW_ENTITY | K::KW_ATTLIST}};
constexpr keyword_letter kLetters6[] = {{'A', K::KW_CDATA},   {'I', K::KW_ENTITY}, {'L', K::KW_ATTLIST},
                                        {'M', K::KW_ELEMENT}, {'T', K::KW_DOCTYPE}};
constexpr keyword_letter kLetters7[] = {{'E', K::KW_ELEMENT},
                                        {'I', K::KW_ATTLIST},
                                        {'T', K::KW_CDATA | K::KW_ENTITY},
                                        {'Y', K::KW_DOCTYPE}};
constexpr keyword_letter kLetters8[] = {
    {'A', K::KW_CDATA}, {'N', K::KW_ELEMENT}, {'P', K::KW_DOCTYPE}, {'S', K::KW_ATTLIST}};

template <size_t N>
bool accepted(const keyword_letter (&letters)[N], unsigned char t, uint8_t candidates) {
  for (const keyword_letter &l : letters)
    if (static_cast<unsigned char>(l.letter) == t && (l.keywords & candidates)) return true;
  return false;
}

}  // namespace

krsgml::krsgml() { token.tag = KR_TEXT; }

int32_t krsgml::finish() {
  candidate_at = -1;   // an end tag cut off by the end is text
  int32_t status = emit_text();
  return status ? status : SGML_DONE;
}

int32_t krsgml::emit_text() { return 0; }
int32_t krsgml::emit_token() { return 0; }

void krsgml::enable_kinds(uint32_t mask) {
  for (int k = 1; k <= 15; ++k) enabled[k] = (mask >> (k - 1)) & 1;
  enabled[0] = 0;
}

// The chunks stay unchanged while they are read, so the token can see its
// bytes where they stand; appending what does not follow on in the same
// chunk turns the view into a copy.
inline void krsgml::take_bytes(const char *from, int32_t n) {
  if (n <= 0) return;
  krchar &t = token.text;
  if (t.length == 0) {
    t.borrow(from, n);
    token_source = run_chunk;
  } else if (t.is_view() && token_source == run_chunk && t.bytes + t.length == from) {
    t.borrow(t.bytes, t.length + n);
  } else {
    t.append(from, n);
  }
}

// Text runs and classified tokens are taken a run at a time (up to the next
// "<", respectively ">"): inside them no byte but those changes the state.
// Only the first few bytes of a "<" construct go through the byte-wise path.
// The bytes of a chunk are walked here directly and the lexer's position is
// brought up to date before every return.
int32_t krsgml::step() {
  if (received() >= size_limit) return SGML_TOO_LARGE;
  // Whether tags end at the ">" that start_markup puts in force, so that a
  // tag's classification needs nothing more than its kind.
  const bool plain_tags = enabled[SGML_START_TAG] && enabled[SGML_END_TAG] &&
                          is_greater_than(table[SGML_START_TAG].closing) &&
                          is_greater_than(table[SGML_END_TAG].closing);
  for (;;) {
    const char *run;
    int32_t n = unread_run(run);
    if (n == 0) return read_byte() == -2 ? SGML_MORE : finish();
    run_chunk = current_chunk;

    const char *p = run;
    const char *const end = run + n;
    int32_t status = 0;
    while (p < end && status == 0) {
      if (!in_markup) {
        if (text_mode != TEXT_MARKUP) {
          status = read_text_content(p, end);
          continue;
        }
        // Tags often follow each other: the byte at hand is looked at first.
        const char *lt = *p == '<' ? p : static_cast<const char *>(std::memchr(p, '<', end - p));
        const char *stop = lt ? lt : end;
        take_bytes(p, static_cast<int32_t>(stop - p));
        p = stop;
        if (!lt) break;
        ++p;
        status = start_markup(lt);
        // A letter or slash next decides the kind at once, as classify
        // would: most tokens of a page are tags.
        if (status == 0 && p < end) {
          const unsigned char c = static_cast<unsigned char>(*p);
          if (is_letter(c) || c == '/' || c == ':' || c == '_') {
            take_bytes(p++, 1);
            kind = c == '/' ? SGML_END_TAG : SGML_START_TAG;
            if (plain_tags) classifying = 0;
            else end_classification();
          }
        }
      } else if (classifying) {
        status = handle_byte(p++);
      } else {
        const char *gt = *p == '>' ? p : static_cast<const char *>(std::memchr(p, '>', end - p));
        const char *stop = gt ? gt + 1 : end;
        take_bytes(p, static_cast<int32_t>(stop - p));
        p = stop;
        if (gt) status = end_markup_if_closed();
      }
    }
    skip_read(static_cast<int32_t>(p - run));
    if (status) return status;
  }
}

int32_t krsgml::handle_byte(const char *at) {
  const unsigned char c = static_cast<unsigned char>(*at);
  if (c == '<' && !in_markup) return start_markup(at);
  take_bytes(at, 1);
  if (c == '>')
    if (int32_t status = end_markup_if_closed()) return status;
  if (in_markup && classifying) classify();
  return 0;
}

void krsgml::read_content_as_text(const char *name, int32_t length) {
  // Text to the end is text up to an end tag that cannot be written: no
  // byte or'ed with 0x20, as each is for the comparison, is 0x01.
  static const char kNoName[] = "\x01";
  text_mode = TEXT_UNTIL_END_TAG;
  end_tag_name = length > 0 ? name : kNoName;
  end_tag_length = length > 0 ? length : 1;
}

// Inside an element read as text, every "<" may begin its end tag: the bytes
// after it are matched against "/" and the name one at a time, in the text
// token, from wherever candidate_at says the "<" stands. A byte that does not
// match shows that the "<" starts no tag; it is then looked at again, since
// it may be the "<" of the real end tag. Out of line: the fast path that
// calls it is kept small enough to be compiled as a whole.
[[gnu::noinline]] int32_t krsgml::read_text_content(const char *&p, const char *end) {
  while (p < end) {
    if (candidate_at < 0) {
      const char *lt = static_cast<const char *>(std::memchr(p, '<', end - p));
      const char *stop = lt ? lt + 1 : end;
      take_bytes(p, static_cast<int32_t>(stop - p));
      p = stop;
      if (lt) candidate_at = token.text.length - 1;
      continue;
    }
    const unsigned char c = static_cast<unsigned char>(*p);
    const int32_t matched = token.text.length - candidate_at - 1;   // after the "<"
    if (matched == 0 ? c == '/'
                     : matched <= end_tag_length &&
                           (c | 0x20) == static_cast<unsigned char>(end_tag_name[matched - 1])) {
      take_bytes(p++, 1);
      continue;
    }
    const bool name_ends = c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r' || c == '/' || c == '>';
    if (matched == end_tag_length + 1 && name_ends) return start_end_tag();
    candidate_at = -1;
  }
  return 0;
}

// The text before the matched "</name" goes out as a text node, and the
// tokenizer reads on from the byte after the name as in an end tag.
int32_t krsgml::start_end_tag() {
  krchar &t = token.text;
  const int32_t whole = t.length;
  const int32_t tag_length = whole - candidate_at;
  char copy[16];   // "</" and the longest name read as text
  if (tag_length > static_cast<int32_t>(sizeof copy)) return SGML_NO_MEMORY;   // no such name is set
  const char *tag = t.bytes + candidate_at;
  const bool in_place = t.is_view();   // then the tag's bytes stand in the chunk
  std::memcpy(copy, tag, static_cast<size_t>(tag_length));
  t.length = candidate_at;
  if (int32_t status = emit_text()) {
    t.length = whole;   // left as it was, for a step that tries again
    return status;
  }
  candidate_at = -1;
  token.tag = KR_TEXT;
  token.text.length = 0;
  if (in_place) token.text.borrow(tag, tag_length);   // token_source is still the chunk
  else token.text.append(copy, tag_length);
  text_mode = TEXT_MARKUP;
  in_markup = 1;
  kind = SGML_END_TAG;
  end_classification();
  return 0;
}

int32_t krsgml::start_markup(const char *lt) {
  if (int32_t status = emit_text()) return status;
  token.tag = KR_TEXT;
  token.text.length = 0;
  take_bytes(lt, 1);
  in_markup = 1;
  kind = SGML_UNCLASSIFIED;
  classifying = 1;
  candidates = 0;
  if (!is_greater_than(closing)) closing = ">";
  return 0;
}

int32_t krsgml::end_markup_if_closed() {
  if (!in_markup) return 0;
  const krchar &t = token.text;
  const krchar &end = closing.text;
  if (end.length >= t.length) return 0;
  for (int32_t i = 1; i <= end.length; ++i)
    if (t.bytes[t.length - i] != end.bytes[end.length - i]) return 0;
  if (int32_t status = emit_token()) return status;
  in_markup = 0;
  token.tag = KR_TEXT;
  token.text.length = 0;
  return 0;
}

void krsgml::classify() {
  int32_t n = token.text.length;
  unsigned char t = static_cast<unsigned char>(token.text.bytes[n - 1]);
  switch (n) {
    case 2:
      if (t == '!') {
        kind = SGML_DECLARATION;
        return;
      }
      if (t == '#') kind = SGML_HASH;
      else if (t == '%') kind = SGML_SERVER_SCRIPT;
      else if (t == '/') kind = SGML_END_TAG;
      else if (t == '?') kind = SGML_PROCESSING;
      else if (is_letter(t) || t == ':' || t == '_') kind = SGML_START_TAG;
      else kind = SGML_UNCLASSIFIED;
      end_classification();
      return;
    case 3:
      if (t == '-') candidates |= KW_COMMENT;
      else if (t == 'D') candidates |= KW_DOCTYPE;
      else if (t == 'A') candidates |= KW_ATTLIST;
      else if (t == 'E') candidates |= KW_ELEMENT | KW_ENTITY;
      else if (t == '[') candidates |= KW_CDATA;
      else end_classification();
      return;
    case 4:
      if (!accepted(kLetters4, t, candidates)) return end_classification();
      if (t == '-') kind = SGML_COMMENT;
      return;
    case 5:
      if (t == '#' && (candidates & KW_COMMENT)) {
        kind = SGML_SSI;
        return end_classification();
      }
      if (!accepted(kLetters5, t, candidates)) end_classification();
      return;
    case 6:
      if (!accepted(kLetters6, t, candidates)) end_classification();
      return;
    case 7:
      if (!accepted(kLetters7, t, candidates)) end_classification();
      return;
    case 8:
      if (t == 'Y' && (candidates & KW_ENTITY)) {
        kind = SGML_ENTITY_DECL;
        return end_classification();
      }
      if (!accepted(kLetters8, t, candidates)) end_classification();
      return;
    case 9:
      if (t == 'E' && (candidates & KW_DOCTYPE)) kind = SGML_DOCTYPE;
      else if (t == 'T' && (candidates & KW_ELEMENT)) kind = SGML_ELEMENT_DECL;
      else if (t == 'T' && (candidates & KW_ATTLIST)) kind = SGML_ATTLIST_DECL;
      else if (t == '[' && (candidates & KW_CDATA)) kind = SGML_CDATA;
      end_classification();
      return;
    default:   // the lone "<", and lengths past every keyword
      return;
  }
}

// An enabled kind now waits for its closing sequence; any other construct
// was never markup and its bytes go on as text.
void krsgml::end_classification() {
  classifying = 0;
  if (kind >= 0 && kind < 16 && enabled[kind]) {
    const krchar &row = table[kind].closing.text;
    // Nearly every token keeps the ">" it started with: no copy for those.
    const krchar &now = closing.text;
    if (now.length != row.length || !same_bytes(now.bytes, row.bytes, row.length)) closing = table[kind].closing;
  } else
    in_markup = 0;
}
