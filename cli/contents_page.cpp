#include "cli/contents_page.h"

#include <filesystem>
#include "cli/full_path.h"

namespace fsys = std::filesystem;

const char fresh_contents_page[] =
    "<!DOCTYPE html>\n<html>\n<head>\n<title>Contents</title>\n</head>\n<body>\n"
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
    for (toc_node *n = own.first; n; n = toc_tree::next_in_order(n)) {
      krval target = text_value(link);
      target.append_bytes(n->link_target.text.bytes, n->link_target.text_length());
      n->link_target = target;
    }
    entry->first_child = own.first;
    entry->child_count = own.count;
    for (toc_node *n = own.first; n; n = n->next) n->parent = entry;
    own.first = nullptr;
    own.count = 0;
    page.entries.reset();
  }
}
