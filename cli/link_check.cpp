#include "cli/link_check.h"

#include <algorithm>
#include <filesystem>
#include <unordered_map>
#include <unordered_set>
#include "cli/full_path.h"
#include "html/krhtml.h"

namespace fsys = std::filesystem;

namespace {

std::string text_of(const krval &v) {
  return v.text_length() > 0 ? std::string(v.c_str(), static_cast<size_t>(v.text_length()))
                             : std::string();
}

// The page's file as every page's links name it.
std::string page_key(const fsys::path &file) {
  return full_path(file).generic_string();
}

// A fragment with nothing behind it, or "top" without an element of that
// name, takes a browser to the top of the page.
bool is_top(const std::string &fragment) {
  if (fragment.empty()) return true;
  std::string lower = fragment;
  for (char &c : lower) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  return lower == "top";
}

struct finding {
  int32_t line;
  std::string text;
};

void find_names_given_twice(const page_links &page, std::vector<finding> &found) {
  std::unordered_map<std::string, const page_name *> first;
  for (const page_name &n : page.names) {
    auto [at, fresh] = first.emplace(n.name, &n);
    if (fresh || at->second->element == n.element) continue;
    found.push_back({n.line, "name \"" + n.name + "\" given twice (first on line " +
                                 std::to_string(at->second->line) + ")"});
  }
}

}  // namespace

bool parse_page(const char *bytes, size_t length, xml_tree &document) {
  if (length >= static_cast<size_t>(krhtml::kSizeLimit)) return false;
  document.append_top_level(new xml_node);
  krhtml parser;
  parser.set_tree(&document);
  krval chunk(bytes, static_cast<int32_t>(length));
  parser.add(chunk);
  if (parser.step() != 0) return false;
  parser.mark_input_complete();
  return parser.step() == 2;
}

bool scan_page_links(const char *bytes, size_t length, page_links &out) {
  out = page_links();
  xml_tree document;
  if (!parse_page(bytes, length, document)) return false;
  const bool utf8 = out.utf8 = is_utf8(bytes, length);
  const krval id_key("id"), name_key("name"), href_key("href");
  krval value;
  int32_t line = 1;
  uint32_t element = 0;
  for (xml_node *n = document.first; n; n = xml_tree::next_in_order(n)) {
    if (n->kind == XML_START_TAG || n->kind == XML_ELEMENT) {
      ++element;
      const bool is_a = n->name == "a";
      if (n->attributes().get(id_key, value))
        out.names.push_back({decoded_attribute(text_of(value), utf8), line, element});
      if (is_a && n->attributes().get(name_key, value))
        out.names.push_back({decoded_attribute(text_of(value), utf8), line, element});
      if ((is_a || n->name == "area") && n->attributes().get(href_key, value)) {
        const std::string href = text_of(value);
        const link_parts parts = split_link(decoded_attribute(href, utf8));
        if (!parts.other_site && !parts.from_root && (parts.has_fragment || names_a_page(parts.path)))
          out.links.push_back({href, line});
      }
    }
    const char *text = n->raw_text.bytes();
    for (int32_t i = 0, count = n->raw_text.length(); i < count; ++i) line += text[i] == '\n';
  }
  return true;
}

std::vector<std::string> check_links(const std::vector<checked_page> &pages) {
  std::unordered_map<std::string, const checked_page *> by_file;
  std::unordered_map<const checked_page *, std::unordered_set<std::string>> names_of;
  std::unordered_set<std::string> run_folders;   // those holding a page of the run
  for (const checked_page &page : pages) {
    if (!page.file.empty()) {
      by_file.emplace(page_key(page.file), &page);
      run_folders.insert(full_path(page.file).parent_path().generic_string());
    }
    if (!page.links) continue;
    std::unordered_set<std::string> &names = names_of[&page];
    for (const page_name &n : page.links->names) names.insert(n.name);
  }
  std::unordered_map<std::string, bool> exists;   // of pages outside the run, looked up once

  std::vector<std::string> lines;
  for (const checked_page &page : pages) {
    if (!page.links) continue;
    std::vector<finding> found;
    find_names_given_twice(*page.links, found);
    const fsys::path folder =
        page.file.empty() ? fsys::path(".") : full_path(page.file).parent_path();
    for (const page_link &link : page.links->links) {
      const link_parts parts = split_link(decoded_attribute(link.href, page.links->utf8));
      const checked_page *target = &page;
      if (!parts.path.empty()) {
        const fsys::path file = full_path(folder / fsys::path(parts.path));
        auto at = by_file.find(file.generic_string());
        if (at == by_file.end()) {
          // A page in a folder of the run that is not there; what lies
          // elsewhere, or is there without being one of the run's pages,
          // is not this run's to judge.
          if (page.file.empty() || !names_a_page(parts.path) ||
              run_folders.count(file.parent_path().generic_string()) == 0)
            continue;
          auto known = exists.find(file.generic_string());
          if (known == exists.end()) {
            std::error_code ec;
            known = exists.emplace(file.generic_string(), fsys::exists(file, ec) || ec).first;
          }
          if (!known->second) found.push_back({link.line, "link \"" + link.href + "\": no such page"});
          continue;
        }
        target = at->second;
      }
      if (!parts.has_fragment || !target->links || is_top(parts.fragment)) continue;
      // As a browser looks: the name as the address holds it, then unescaped.
      const std::unordered_set<std::string> &names = names_of[target];
      if (names.count(parts.written_fragment) != 0 || names.count(parts.fragment) != 0) continue;
      const std::string where = target == &page ? "this page" : target->name;
      found.push_back({link.line, "link \"" + link.href + "\": no name \"" + parts.fragment +
                                      "\" in " + where});
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const finding &a, const finding &b) { return a.line < b.line; });
    for (const finding &f : found) lines.push_back(page.name + ":" + std::to_string(f.line) + ": " + f.text);
  }
  return lines;
}
