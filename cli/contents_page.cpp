#include "cli/contents_page.h"

#include <filesystem>
#include "cli/full_path.h"
#include "cli/link_references.h"

namespace fsys = std::filesystem;

const char fresh_contents_page[] =
    "<!DOCTYPE html>\n<html>\n<head>\n<meta name=\"generator\" content=\"quenby-toc --index\">\n"
    "<title>Contents</title>\n</head>\n<body>\n"
    "<h1>Contents</h1>\n<!-- toc -->\n</body>\n</html>\n";

namespace {

// What a path segment may hold unescaped. The rest, ':' included (a first
// segment holding one would read as a scheme) and every byte beyond ASCII
// (the file's name as the disk has it, whatever the page's encoding), is
// written as %XX.
bool plain_in_link(unsigned char c) {
  if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
  for (const char *p = "-._~/!$'()*+,;=@"; *p; ++p)
    if (c == static_cast<unsigned char>(*p)) return true;
  return false;
}

std::string escaped_path(const std::string &path) {
  static const char hex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : path) {
    if (plain_in_link(c)) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

// A title is text; markup characters that a title holds as text must stay
// text in the list. Its character references stay as they are.
std::string as_entry_text(const std::string &text, bool escape_ampersands) {
  std::string out;
  for (char c : text) {
    if (c == '<') {
      out += "&lt;";
    } else if (c == '>') {
      out += "&gt;";
    } else if (c == '&' && escape_ampersands) {
      out += "&amp;";
    } else {
      out += c;
    }
  }
  return out;
}

krval text_value(const std::string &text) {
  return krval(text.data(), static_cast<int32_t>(text.size()));
}

std::string text_of(const krtext &text) {
  return std::string(text.text.bytes, static_cast<size_t>(text.text_length()));
}

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

// Text as a reader sees it, for comparing an entry with a title: tags left
// out, character references decoded, white space collapsed.
std::string visible_text(const std::string &markup, bool has_tags) {
  std::string text;
  bool space = false;
  for (size_t i = 0; i < markup.size(); ++i) {
    if (has_tags && markup[i] == '<') {
      const size_t end = markup.find('>', i);
      if (end == std::string::npos) break;
      i = end;
      continue;
    }
    if (is_space(markup[i])) {
      space = !text.empty();
      continue;
    }
    if (space) text += ' ';
    space = false;
    text += markup[i];
  }
  return decoded_attribute(text, true);
}

// A page's title and entries in UTF-8: its own bytes where they are UTF-8,
// else taken as windows-1252, as the link check reads such a page.
void make_utf8(contents_source &page) {
  bool utf8 = is_utf8(page.title.data(), page.title.size());
  toc_tree *own = page.entries.get();
  for (toc_node *n = own ? own->first : nullptr; n && utf8; n = toc_tree::next_in_order(n))
    utf8 = is_utf8(n->entry_text.text.bytes, static_cast<size_t>(n->entry_text.text_length()));
  if (utf8) return;
  page.title = windows_1252_as_utf8(page.title);
  for (toc_node *n = own ? own->first : nullptr; n; n = toc_tree::next_in_order(n))
    n->entry_text = text_value(windows_1252_as_utf8(text_of(n->entry_text)));
}

// A page whose first heading repeats its title: the page's own entry says
// it already, so that heading's sub-entries take its place.
void drop_entry_repeating_title(const std::string &title, toc_tree &own) {
  toc_node *first = own.first;
  if (!first || title.empty() ||
      visible_text(text_of(first->entry_text), true) != visible_text(title, false))
    return;
  while (toc_node *child = first->first_child) {
    own.unlink(child);
    own.insert_before(child, first);
  }
  own.unlink_and_destroy(first);
}

}  // namespace

std::string relative_link(const std::string &from_file, const std::string &to_file) {
  const fsys::path from = full_path(from_file).parent_path();
  const fsys::path to = full_path(to_file);
  const fsys::path relative = to.lexically_relative(from);
  // Files on another drive have no relative path.
  if (relative.empty()) return "file:///" + escaped_path(to.generic_string());
  return escaped_path(relative.generic_string());
}

void build_contents(const std::string &contents_file, std::vector<contents_source> &pages,
                    toc_tree &contents) {
  for (contents_source &page : pages) {
    make_utf8(page);
    auto *entry = new toc_node;
    entry->level = 1;
    const std::string link = relative_link(contents_file, page.file);
    entry->link_target = text_value(link);
    entry->entry_text = text_value(
        page.title.empty() ? as_entry_text(fsys::path(page.file).filename().string(), true)
                           : as_entry_text(page.title, false));
    contents.append_top_level(entry);
    if (!page.entries) continue;
    // The page's entries move below its entry, each link now from here.
    toc_tree &own = *page.entries;
    drop_entry_repeating_title(page.title, own);
    for (toc_node *n = own.first; n; n = toc_tree::next_in_order(n)) {
      krval target = text_value(link);
      target.append_bytes(n->link_target.text.bytes, n->link_target.text_length());
      n->link_target = target;
    }
    contents.adopt_entries(own, entry);
    page.entries.reset();
  }
}
