#include "toc/toc_tree.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include "product/product.h"
#include "toc/node_text.h"

void *toc_node::operator new(std::size_t size) {
  if (void *p = std::malloc(size)) return p;
  throw std::bad_alloc();
}

void *toc_node::operator new(std::size_t size, const std::nothrow_t &) noexcept {
  return std::malloc(size);
}

void toc_node::operator delete(void *p) noexcept { std::free(p); }

toc_node *toc_node::with_room(int32_t bytes, char *&room) noexcept {
  void *memory = std::malloc(sizeof(toc_node) + static_cast<std::size_t>(bytes > 0 ? bytes : 0));
  if (!memory) return nullptr;
  toc_node *entry = ::new (memory) toc_node;
  room = reinterpret_cast<char *>(entry + 1);
  return entry;
}

void toc_node::view_texts(const char *target, int32_t target_length, const char *text,
                          int32_t text_length) {
  link_target.text.borrow(target, target_length);
  entry_text.text.borrow(text, text_length);
}

const char toc_start_marker[] = "<!--KRYN_HTML_TOC_START-->";
const char toc_end_marker[] = "<!--KRYN_HTML_TOC_END-->";

krval toc_explanatory_comment() {
  krval comment("\r\n<!--\r\nTOC is created by KRYN Quenby.\r\n");
  comment.append(kryn_web_address);
  comment.append(
      "\r\n*Do not edit or delete* start and end tags wrapped within HTML comments.\r\n"
      "If you need to edit TOC, just regenerate it supplying this file as a source.\r\n"
      "-->\r\n");
  return comment;
}

toc_tree::toc_tree()
    : indentation_unit(""),
      list_start(""),
      list_end(""),
      item_start(""),
      item_end(""),
      toc_anchor_attributes(""),
      comment(toc_explanatory_comment()) {}

namespace {

void replace_all(std::string &text, const std::string &what, const std::string &with) {
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
    text.replace(at, what.size(), with);
}

// A text of the markup with the block's line end for each of its own, CR LF
// or LF alone; without one, as it is written.
struct line_ends {
  const std::string &line_end;
  std::string operator()(std::string text) const {
    if (line_end.empty()) return text;
    replace_all(text, "\r\n", "\n");
    if (line_end != "\n") replace_all(text, "\n", line_end);
    return text;
  }
  krval operator()(const krval &value) const {
    if (line_end.empty() || !value.is_text()) return value;
    const std::string text = (*this)(value.str());
    return krval(text.data(), static_cast<int32_t>(text.size()));
  }
};

std::string attribute_value(const std::string &text) {
  std::string value;
  for (char c : text) {
    if (c == '"') value += "&quot;";
    else if (c == '&') value += "&amp;";
    else if (c == '<') value += "&lt;";
    else value += c;
  }
  return value;
}

}  // namespace

void toc_tree::take_markup(const toc_style &style, const toc_layout &list_layout,
                           const std::string &record, const std::string &line_end) {
  const line_ends ends{line_end};
  indentation_unit = style.item_indentation;
  list_start = ends(style.list_start);
  list_end = ends(style.list_end);
  item_start = ends(style.item_start);
  item_end = ends(style.item_end);
  toc_anchor_attributes = style.toc_anchor_attributes;
  layout = list_layout;
  replace_all(layout.toc_start, "{label}", attribute_value(layout.label));
  for (std::string *text : {&layout.toc_start, &layout.toc_end, &layout.branch_start,
                            &layout.branch_link_end, &layout.branch_end})
    *text = ends(*text);
  if (record.empty()) {
    comment = ends(toc_explanatory_comment());
    return;
  }
  std::string words = layout.comment;
  if (words.find("{record}") == std::string::npos) words += " {record}";
  replace_all(words, "{record}", record);
  const std::string end = line_end.empty() ? "\r\n" : line_end;
  const std::string text = end + "<!-- " + words + " -->" + end;
  comment = krval(text.data(), static_cast<int32_t>(text.size()));
}

// The block's text gathers here and goes to the sink a few kilobytes at a
// time: an item is put together from about ten pieces, and a page may have
// hundreds of thousands of items, none of which needs storage of its own.
// The room is taken once; a piece longer than it goes to the sink directly,
// and without room every piece does.
class toc_block_text {
public:
  explicit toc_block_text(html_sink &out)
      : out_(out), room_(new (std::nothrow) char[room_size]), capacity_(room_ ? room_size : 0) {}
  ~toc_block_text() { flush(); }
  toc_block_text(const toc_block_text &) = delete;
  toc_block_text &operator=(const toc_block_text &) = delete;

  void add(const char *bytes, int32_t count) {
    if (count <= 0) return;
    if (capacity_ - used_ < count) {
      flush();
      if (capacity_ < count) {
        out_.write(bytes, count);
        return;
      }
    }
    std::memcpy(room_.get() + used_, bytes, static_cast<size_t>(count));
    used_ += count;
  }
  void add(const krval &value) {
    const toc_text::piece bytes = toc_text::bytes_of(value);   // a text Value's bytes in place
    add(bytes.bytes, bytes.length);
  }
  void add(const krtext &value) { add(value.text.bytes, value.text.length); }
  void add(const std::string &bytes) { add(bytes.data(), static_cast<int32_t>(bytes.size())); }

private:
  static constexpr int32_t room_size = 8192;

  void flush() {
    if (used_ > 0) out_.write(room_.get(), used_);
    used_ = 0;
  }

  html_sink &out_;
  std::unique_ptr<char[]> room_;
  const int32_t capacity_;
  int32_t used_ = 0;
};

void toc_tree::write_toc(html_sink &out, toc_node *first) {
  if (!first) return;
  indentation_length = indentation_unit.text_length();
  toc_block_text text(out);
  text.add(toc_start_marker, static_cast<int32_t>(sizeof toc_start_marker - 1));
  text.add(comment);
  text.add(layout.toc_start);
  write_chain(first, text);
  text.add(layout.toc_end);
  text.add(toc_end_marker, static_cast<int32_t>(sizeof toc_end_marker - 1));
}

void toc_tree::adopt_entries(toc_tree &other, toc_node *parent) {
  toc_node *const chain = other.first;
  if (!chain || !parent) return;
  for (toc_node *n = chain; n; n = n->next) n->parent = parent;
  if (toc_node *last = last_sibling(parent->first_child)) {
    last->next = chain;
    chain->previous = last;
  } else {
    parent->first_child = chain;
  }
  parent->child_count += other.count;
  other.first = nullptr;
  other.count = 0;
}

void toc_tree::write_list(toc_node *first, html_sink &out) {
  indentation_length = indentation_unit.text_length();   // a list written alone is indented as in a block
  toc_block_text text(out);
  write_chain(first, text);
}

// The link of an item, as every layout writes it.
void toc_tree::append_link(const toc_node *entry, toc_block_text &text) const {
  text.add(entry->number_prefix);
  text.add("<a href=\"", 9);
  text.add(entry->link_target);
  text.add("\"", 1);
  text.add(toc_anchor_attributes);
  text.add(">", 1);
  text.add(entry->entry_text);
  text.add("</a>", 4);
}

// A loop over the parent links rather than recursion, so that however the
// entries nest, rendering never runs out of stack. In a nested layout an
// item whose sub-list follows starts as a branch, and ends after it.
void toc_tree::write_chain(toc_node *first, toc_block_text &text) {
  if (!first) return;
  toc_node *const top = first->parent;
  int32_t depth = 0;
  for (const toc_node *a = first->parent; a; a = a->parent) ++depth;

  // The indentation unit once per level of depth, where there is one.
  const std::string unit = indentation_length != 0 ? indentation_unit.str() : std::string();
  std::string indentation;
  for (int32_t i = 0; i < depth; ++i) indentation += unit;
  text.add(list_start);
  toc_node *entry = first;
  for (;;) {
    text.add(indentation);
    text.add(item_start);
    if (layout.nested && entry->first_child) {
      text.add(layout.branch_start);
      append_link(entry, text);
      text.add(layout.branch_link_end);
    } else {
      append_link(entry, text);
      text.add(item_end);
    }
    if (entry->first_child) {
      entry = entry->first_child;
      indentation += unit;
      text.add(list_start);
      continue;
    }
    for (;;) {
      if (entry->next) {
        entry = entry->next;
        break;
      }
      text.add(list_end);
      if (entry->parent == top) return;
      entry = entry->parent;
      indentation.resize(indentation.size() - unit.size());
      if (layout.nested) {
        text.add(indentation);
        text.add(layout.branch_end);
        text.add(item_end);
      }
    }
  }
}
