// Directory listings and path lookups on top of the back ends' enumeration:
// where each entry goes in the tree is the same on every system.
#include <string>
#include <vector>
#include "fs/fs.h"
#include "fs/fs_backend.h"

namespace {

void fill_entry(krfile_node &entry, const fs_found_item &item) {
  entry.is_directory = item.is_directory ? 1 : 0;
  if (!item.is_directory)
    entry.size = size_from_parts(item.size_high, item.size_low, entry_size_largest_integer);
  entry.modification_time = item.modification_time;
  entry.attributes = item.attributes;
}

bool is_dot_entry(const char *name) {
  return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

struct listing {
  krfile_tree *tree;
  krfile_node *parent;
  bool skip_dots;
  bool found = false;
  krfile_node *last = nullptr;  // appending after it costs nothing, unlike walking the chain
  std::vector<krfile_node *> files;

  void append(krfile_node *entry) {
    if (last)
      tree->insert_after(entry, last);
    else if (parent)
      tree->append_child(entry, parent);
    else
      tree->append_top_level(entry);
    last = entry;
  }
};

void take_item(const fs_found_item &item, void *context) {
  listing &list = *static_cast<listing *>(context);
  bool dots = is_dot_entry(item.name);
  if (dots && list.skip_dots) return;
  if (!dots) list.found = true;
  krfile_node *entry = new krfile_node;
  entry->name = item.name;
  fill_entry(*entry, item);
  if (entry->is_directory)
    list.append(entry);
  else
    list.files.push_back(entry);
}

}  // namespace

bool list_directory(krval &folder, krfile_tree &tree, krfile_node *parent, uint8_t skip_dots,
                    const krval &pattern) {
  if (!set_current_directory(folder)) return false;
  listing list;
  list.tree = &tree;
  list.parent = parent;
  list.skip_dots = skip_dots != 0;
  enumerate_current_directory(pattern.c_str(), take_item, &list);
  for (krfile_node *file : list.files) list.append(file);
  return list.found;
}

bool stat_path(krfile_node &out, krval &path) {
  const char *text = prepare_path(path);
  std::string lookup(text, path.text_length());
  if (lookup.empty()) return false;
  if (lookup.size() > 1 && lookup.back() == fs_separator) lookup.pop_back();
  fs_found_item item;
  if (!find_path(lookup.c_str(), item)) return false;
  out.name = path;
  fill_entry(out, item);
  return true;
}
