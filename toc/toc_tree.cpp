#include "toc/toc_tree.h"
#include "toc/kryn_site.h"

toc_node::toc_node() : entry_text(""), link_target(""), number_prefix("") {}

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
      toc_anchor_attributes("") {}

void toc_tree::take_markup(const toc_style &style, const toc_layout &list_layout) {
  indentation_unit = style.item_indentation;
  list_start = style.list_start;
  list_end = style.list_end;
  item_start = style.item_start;
  item_end = style.item_end;
  toc_anchor_attributes = style.toc_anchor_attributes;
  layout = list_layout;
}

static void append_text(krarr &sink, const krval &text) { sink.add_copy(text); }

static void append_text(krarr &sink, const std::string &text) {
  if (!text.empty()) sink.add_copy(krval(text.data(), static_cast<int32_t>(text.size())));
}

void toc_tree::write_toc(krarr &sink, toc_node *first) {
  if (!first) return;
  indentation_length = indentation_unit.text_length();
  append_text(sink, krval(toc_start_marker));
  krval comment = toc_explanatory_comment();
  sink.add(comment);
  append_text(sink, layout.toc_start);
  write_list(first, sink);
  append_text(sink, layout.toc_end);
  append_text(sink, krval(toc_end_marker));
}

krval toc_tree::indentation_for(int32_t depth) const {
  krval indentation("");
  if (indentation_length != 0)
    for (int32_t i = 0; i < depth; ++i) indentation.append(indentation_unit);
  return indentation;
}

void toc_tree::append_item(const toc_node *entry, const krval &indentation,
                           krarr &sink) const {
  // Room for the whole item first: it is put together from ten pieces, for
  // every entry of a page of thousands.
  const int32_t length = indentation.text_length() + item_start.text_length() +
                         entry->number_prefix.text_length() + entry->link_target.text_length() +
                         toc_anchor_attributes.text_length() + entry->entry_text.text_length() +
                         item_end.text_length() + 15;
  krval item("");
  item.text.set_length(length);
  item.text.set_length(0);
  item.append(indentation);
  item.append(item_start);
  item.append(entry->number_prefix);
  item.append("<a href=\"");
  item.append(entry->link_target);
  item.append("\"");
  item.append(toc_anchor_attributes);
  item.append(">");
  item.append(entry->entry_text);
  item.append("</a>");
  item.append(item_end);
  sink.add(item);
}

void toc_tree::append_branch_start(const toc_node *entry, const krval &indentation,
                                   krarr &sink) const {
  krval item(indentation);
  item.append(item_start);
  item.append_bytes(layout.branch_start.data(), static_cast<int32_t>(layout.branch_start.size()));
  item.append(entry->number_prefix);
  item.append("<a href=\"");
  item.append(entry->link_target);
  item.append("\"");
  item.append(toc_anchor_attributes);
  item.append(">");
  item.append(entry->entry_text);
  item.append("</a>");
  item.append_bytes(layout.branch_link_end.data(),
                    static_cast<int32_t>(layout.branch_link_end.size()));
  sink.add(item);
}

void toc_tree::append_branch_end(const krval &indentation, krarr &sink) const {
  krval end(indentation);
  end.append_bytes(layout.branch_end.data(), static_cast<int32_t>(layout.branch_end.size()));
  end.append(item_end);
  sink.add(end);
}

// A loop over the parent links rather than recursion, so that however the
// entries nest, rendering never runs out of stack.
void toc_tree::write_list(toc_node *first, krarr &sink) {
  if (!first) return;
  toc_node *const top = first->parent;
  int32_t depth = 0;
  for (const toc_node *a = first->parent; a; a = a->parent) ++depth;

  krval indentation = indentation_for(depth);
  append_text(sink, list_start);
  toc_node *entry = first;
  for (;;) {
    if (layout.nested && entry->first_child)
      append_branch_start(entry, indentation, sink);
    else
      append_item(entry, indentation, sink);
    if (entry->first_child) {
      entry = entry->first_child;
      indentation = indentation_for(++depth);
      append_text(sink, list_start);
      continue;
    }
    for (;;) {
      if (entry->next) {
        entry = entry->next;
        break;
      }
      append_text(sink, list_end);
      if (entry->parent == top) return;
      entry = entry->parent;
      indentation = indentation_for(--depth);
      if (layout.nested) append_branch_end(indentation, sink);
    }
  }
}
