#include "cli/contents_head.h"

#include "cli/link_check.h"
#include "html/char_references.h"
#include "toc/contents_page_mark.h"

namespace {

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

krval text_value(const std::string &text) {
  return krval(text.data(), static_cast<int32_t>(text.size()));
}

std::string text_of(const krtext &text) {
  return std::string(text.text.bytes, static_cast<size_t>(text.text_length()));
}

bool lower_equals(const std::string &text, const char *lower) {
  size_t i = 0;
  for (; i < text.size() && lower[i]; ++i) {
    const char c = text[i] >= 'A' && text[i] <= 'Z' ? static_cast<char>(text[i] + 32) : text[i];
    if (c != lower[i]) return false;
  }
  return i == text.size() && !lower[i];
}

// Lower case, without the white space around it.
std::string lower_case(std::string text) {
  for (char &c : text) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
  const size_t from = text.find_first_not_of(" \t\r\n\f");
  if (from == std::string::npos) return std::string();
  return text.substr(from, text.find_last_not_of(" \t\r\n\f") + 1 - from);
}

// The encoding in a content attribute's "...; charset=NAME".
std::string charset_in_content(const std::string &content) {
  const std::string lower = lower_case(content);
  size_t at = lower.find("charset");
  if (at == std::string::npos) return std::string();
  at += 7;
  while (at < lower.size() && is_space(lower[at])) ++at;
  if (at >= lower.size() || lower[at] != '=') return std::string();
  ++at;
  while (at < lower.size() && is_space(lower[at])) ++at;
  if (at < lower.size() && (lower[at] == '"' || lower[at] == '\'')) ++at;
  size_t end = at;
  while (end < lower.size() && !is_space(lower[end]) && lower[end] != ';' && lower[end] != '"' &&
         lower[end] != '\'')
    ++end;
  return lower.substr(at, end - at);
}

// Browsers read a page that declares one of these as UTF-8 (UTF-16 in a
// meta element cannot be right, and is taken as UTF-8 too).
bool is_utf8_label(const std::string &charset) {
  for (const char *label : {"utf-8", "utf8", "unicode-1-1-utf-8", "unicode11utf8", "unicode20utf8",
                            "x-unicode20utf8", "utf-16", "utf-16le", "utf-16be"})
    if (charset == label) return true;
  return false;
}

struct contents_head {
  bool marked = false;
  std::string charset;   // as declared, lower case; empty: none
  size_t declarations_at = 0;
};

bool read_contents_head(const std::string &page, contents_head &head) {
  xml_tree document;
  if (!parse_page(page.data(), page.size(), document)) return false;
  head.marked = has_contents_page_mark(document);
  const krval charset_key("charset"), equiv_key("http-equiv"), content_key("content");
  krval value;
  size_t offset = 0, after_html = std::string::npos, after_head = std::string::npos;
  size_t after_doctype = std::string::npos;
  bool first_seen = false;   // the first node that is more than white space
  for (xml_node *n = document.first; n; n = xml_tree::next_in_order(n)) {
    const std::string raw(n->raw_text.bytes(), static_cast<size_t>(n->raw_text.length()));
    const size_t start = offset;
    offset += raw.size();
    const bool tag = n->kind == XML_START_TAG || n->kind == XML_ELEMENT;
    if (tag && n->name == "head" && after_head == std::string::npos) after_head = offset;
    if (tag && n->name == "html" && after_html == std::string::npos) after_html = offset;
    // The parser may hold a doctype in a text node, with what follows it.
    const size_t first_byte = raw.find_first_not_of(" \t\r\n\f");
    if (!first_seen && first_byte != std::string::npos) {
      first_seen = true;
      const size_t end = raw.find('>', first_byte);
      if (end != std::string::npos && lower_case(raw.substr(first_byte, 9)) == "<!doctype")
        after_doctype = start + end + 1;
    }
    if (!tag || !(n->name == "meta") || !head.charset.empty()) continue;
    if (n->attributes().get(charset_key, value)) {
      head.charset = lower_case(value.str());
    } else if (n->attributes().get(equiv_key, value) && lower_equals(value.str(), "content-type") &&
               n->attributes().get(content_key, value)) {
      head.charset = charset_in_content(value.str());
    }
  }
  head.declarations_at = after_head != std::string::npos   ? after_head
                         : after_html != std::string::npos ? after_html
                         : after_doctype != std::string::npos ? after_doctype
                                                              : 0;
  return true;
}

void append_reference(uint32_t code, std::string &out) { out += "&#" + std::to_string(code) + ";"; }

// UTF-8 text with every character beyond ASCII as a numeric reference (a
// byte that starts no character, which such text does not have, as the
// character windows-1252 gives it).
std::string as_references(const std::string &text) {
  std::string out;
  for (size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    uint32_t code = 0;
    if (c < 0x80)
      out += text[i++];
    else if (read_utf8(text.data(), text.size(), i, code))
      append_reference(code, out);
    else
      append_reference(windows_1252_code_point(static_cast<unsigned char>(text[i++])), out);
  }
  return out;
}

bool beyond_ascii(const krtext &text) {
  for (int32_t i = 0, n = text.text_length(); i < n; ++i)
    if (static_cast<unsigned char>(text.text.bytes[i]) >= 0x80) return true;
  return false;
}

}  // namespace

bool prepare_contents_page(const std::string &page, toc_tree &contents, std::string &prepared) {
  contents_head head;
  if (!read_contents_head(page, head)) return false;
  bool wide = false;
  for (toc_node *n = contents.first; n && !wide; n = toc_tree::next_in_order(n)) wide = beyond_ascii(n->entry_text);
  std::string declarations;
  if (wide && head.charset.empty()) declarations += "<meta charset=\"utf-8\">";
  if (!head.marked) declarations += contents_page_mark;
  if (wide && !head.charset.empty() && !is_utf8_label(head.charset))
    for (toc_node *n = contents.first; n; n = toc_tree::next_in_order(n))
      if (beyond_ascii(n->entry_text)) n->entry_text = text_value(as_references(text_of(n->entry_text)));
  prepared = page;
  if (!declarations.empty()) {
    // On a line of their own, with the page's line end.
    const size_t line_end = page.find('\n');
    const std::string newline = line_end != std::string::npos && line_end > 0 && page[line_end - 1] == '\r'
                                    ? "\r\n" : "\n";
    std::string lines;
    for (size_t at = 0; at < declarations.size();) {
      const size_t next = declarations.find("><", at);
      const size_t end = next == std::string::npos ? declarations.size() : next + 1;
      const std::string line = declarations.substr(at, end - at);
      lines += head.declarations_at == 0 ? line + newline : newline + line;
      at = end;
    }
    prepared.insert(head.declarations_at, lines);
  }
  return true;
}
