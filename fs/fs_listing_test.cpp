// Directory listings, path look-ups and the ordering of listing entries.
#include <set>
#include <vector>
#include "fs/fs_test_util.h"

using namespace fs_testing;

namespace {

std::vector<std::string> names_of(const krfile_node *first) {
  std::vector<std::string> names;
  for (const krfile_node *n = first; n; n = n->next) names.push_back(n->name.str());
  return names;
}

// The files of a folder in the order the system enumerates them.
std::vector<std::string> system_order_of_files(const stdfs::path &folder) {
  std::vector<std::string> names;
  for (const auto &entry : stdfs::directory_iterator(folder))
    if (!entry.is_directory()) names.push_back(entry.path().filename().string());
  return names;
}

class listing : public scratch_test {};

TEST_F(listing, a_sub_folder_and_two_files_give_the_folder_first) {
  write_file(file("b.txt"), "bb");
  write_file(file("a.htm"), "a");
  stdfs::create_directory(file("zsub"));
  krfile_tree tree;
  krval where = at("");
  ASSERT_TRUE(list_directory(where, tree, nullptr, 1, krval("*.*")));
  ASSERT_EQ(tree.count, 3);
  const krfile_node *sub = tree.first;
  EXPECT_EQ(sub->name, "zsub");
  EXPECT_EQ(sub->is_directory, 1);
  EXPECT_NE(sub->attributes & krfile_attribute_directory, 0u);
  EXPECT_EQ(names_of(sub->next), system_order_of_files(folder));
  for (const krfile_node *f = sub->next; f; f = f->next) {
    EXPECT_EQ(f->is_directory, 0);
    EXPECT_EQ(f->size.tag, KR_INT);
    EXPECT_EQ(f->size.as_int(), f->name == "b.txt" ? 2 : 1);
    EXPECT_EQ(f->parent, nullptr);
    EXPECT_EQ(f->attributes & krfile_attribute_directory, 0u);
    EXPECT_LE(std::abs(f->modification_time - static_cast<int32_t>(unix_time_now())), 120);
  }
  EXPECT_TRUE(stdfs::equivalent(stdfs::current_path(), folder))
      << "the listed folder stays the current directory";
}

TEST_F(listing, all_folders_precede_all_files_in_the_system_order) {
  // Folders made after the files and named to sort after them, so that no
  // enumeration order (creation, name) puts the folders first by chance.
  for (int i = 0; i < 6; ++i) {
    write_file(file("a_file" + std::to_string(i) + ".txt"), std::string(i, 'x'));
    stdfs::create_directory(file("z_dir" + std::to_string(i)));
  }
  krfile_tree tree;
  krval where = at("");
  ASSERT_TRUE(list_directory(where, tree, nullptr, 1, krval("*.*")));
  ASSERT_EQ(tree.count, 12);
  std::vector<std::string> expected_folders;
  for (const auto &entry : stdfs::directory_iterator(folder))
    if (entry.is_directory()) expected_folders.push_back(entry.path().filename().string());
  std::vector<std::string> expected = expected_folders;
  for (const std::string &f : system_order_of_files(folder)) expected.push_back(f);
  EXPECT_EQ(names_of(tree.first), expected);
  int32_t counted = 0;
  for (const krfile_node *n = tree.first; n; n = n->next) ++counted;
  EXPECT_EQ(counted, tree.count);
}

TEST_F(listing, a_second_listing_goes_after_the_first_and_patterns_filter) {
  stdfs::create_directories(file("one") / "inner");
  write_file(file("one") / "x.txt", "x");
  write_file(file("one") / "y.htm", "y");
  stdfs::create_directory(file("two"));
  write_file(file("two") / "z.txt", "z");
  krfile_tree tree;
  krval one = at("one");
  krval two = at("two");
  ASSERT_TRUE(list_directory(one, tree, nullptr, 1, krval("*.txt")));
  EXPECT_EQ(names_of(tree.first), std::vector<std::string>{"x.txt"});
  ASSERT_TRUE(list_directory(two, tree, nullptr, 1, krval("*")));
  EXPECT_EQ(names_of(tree.first), (std::vector<std::string>{"x.txt", "z.txt"}));
  EXPECT_EQ(tree.count, 2);
}

TEST_F(listing, entries_can_go_under_a_parent_entry) {
  stdfs::create_directory(file("inner"));
  write_file(file("f.txt"), "f");
  krfile_tree tree;
  krfile_node *top = new krfile_node;
  top->name = "top";
  tree.append_top_level(top);
  krval where = at("");
  ASSERT_TRUE(list_directory(where, tree, top, 1, krval("*.*")));
  EXPECT_EQ(tree.count, 1);
  EXPECT_EQ(top->child_count, 2);
  EXPECT_EQ(names_of(top->first_child), (std::vector<std::string>{"inner", "f.txt"}));
  EXPECT_EQ(top->first_child->next->parent, top);
}

TEST_F(listing, an_empty_or_missing_folder_finds_nothing) {
  stdfs::create_directory(file("empty"));
  krfile_tree tree;
  krval empty = at("empty");
  EXPECT_FALSE(list_directory(empty, tree, nullptr, 1, krval("*.*")));
  EXPECT_EQ(tree.count, 0);
  EXPECT_EQ(tree.first, nullptr);

  stdfs::current_path(start_directory);
  krval missing = at("missing");
  EXPECT_FALSE(list_directory(missing, tree, nullptr, 1, krval("*.*")));
  EXPECT_EQ(tree.count, 0);
  EXPECT_TRUE(stdfs::equivalent(stdfs::current_path(), start_directory));
}

TEST_F(listing, dots_stay_when_asked_for_but_do_not_count_as_found) {
  stdfs::create_directory(file("empty"));
  krfile_tree tree;
  krval empty = at("empty");
  bool found = list_directory(empty, tree, nullptr, 0, krval("*.*"));
  EXPECT_FALSE(found);
  std::set<std::string> names;
  for (const std::string &n : names_of(tree.first)) names.insert(n);
  for (const std::string &n : names) EXPECT_TRUE(n == "." || n == "..") << n;
}

class lookup : public scratch_test {};

TEST_F(lookup, a_file_a_folder_and_nothing) {
  write_file(file("f.txt"), "12345");
  stdfs::create_directory(file("d"));

  krfile_node entry;
  krval path = at("f.txt");
  ASSERT_TRUE(stat_path(entry, path));
  EXPECT_EQ(entry.name.str(), path.str()) << "the name is the whole path";
  EXPECT_EQ(entry.is_directory, 0);
  EXPECT_EQ(entry.size.as_int(), 5);

  krfile_node folder_entry;
  krval folder_path(at("d"));
  folder_path.append(krval(folder.string().find('\\') != std::string::npos ? "\\" : "/"));
  ASSERT_TRUE(stat_path(folder_entry, folder_path)) << "one trailing separator is dropped";
  EXPECT_EQ(folder_entry.is_directory, 1);
  EXPECT_NE(folder_entry.attributes & krfile_attribute_directory, 0u);
  EXPECT_EQ(folder_entry.name.str(), folder_path.str());

  krfile_node none;
  krval missing = at("missing");
  EXPECT_FALSE(stat_path(none, missing));
  krval empty("");
  EXPECT_FALSE(stat_path(none, empty));
  EXPECT_EQ(none.name, "");
}

TEST_F(lookup, listing_sizes_are_integers_up_to_2147483647) {
  for (int64_t size : {2147483647LL, 2147483648LL}) {
    krval name = at("big" + std::to_string(size));
    krfile h = open_file(name, "w");
    ASSERT_NE(h, krfile_invalid);
    seek_file(h, 0x40000000, 0);
    seek_file(h, 0x40000000, 1);
    EXPECT_EQ(seek_file(h, static_cast<int32_t>(size - 1 - 0x80000000LL), 1), size - 1);
    EXPECT_EQ(write_text(krval("x"), 1, h), 1);
    EXPECT_TRUE(close_file(h));
    krfile_node entry;
    ASSERT_TRUE(stat_path(entry, name));
    if (size == 2147483647LL) {
      EXPECT_EQ(entry.size.tag, KR_INT);
      EXPECT_EQ(entry.size.as_int(), 2147483647);
    } else {
      EXPECT_EQ(entry.size.tag, KR_REAL);
      EXPECT_EQ(entry.size.as_real(), 2147483648.0);
    }
  }
}

krfile_node *entry(const char *name, int32_t is_directory, krval size, int32_t time,
                   const char *second = "") {
  krfile_node *n = new krfile_node;
  n->name = name;
  n->is_directory = is_directory;
  n->size = size;
  n->modification_time = time;
  n->sort_text = second;
  return n;
}

TEST(ordering, folders_first_then_by_the_mode) {
  krfile_tree tree;
  krfile_node *dir = entry("zz", 1, krval(0), 0);
  krfile_node *a = entry("a", 0, krval(10), 100, "y");
  krfile_node *b = entry("b", 0, krval(3e9), -100, "x");
  krfile_node *b2 = entry("b", 0, krval(3e9), 100, "x");
  for (krfile_node *n : {dir, a, b, b2}) tree.append_top_level(n);

  const kre_tree<krfile_node> &as_tree = tree;  // the listing's order through the tree's hook
  EXPECT_LT(as_tree.compare(dir, a), 0);
  EXPECT_GT(as_tree.compare(a, dir), 0);
  EXPECT_LT(tree.compare(a, b), 0);
  EXPECT_EQ(tree.compare(b, b2), 0);

  tree.ordering_mode = 1;
  EXPECT_GT(tree.compare(a, b), 0);
  tree.ordering_mode = 2;
  EXPECT_EQ(tree.compare(a, b), -1);
  EXPECT_EQ(tree.compare(b, a), 1);
  EXPECT_EQ(tree.compare(b, b2), 0);
  tree.ordering_mode = 3;
  EXPECT_GT(tree.compare(a, b), 0);
  EXPECT_EQ(tree.compare(a, b2), 0);
  EXPECT_LT(tree.compare(dir, a), 0) << "folders first in every mode";
  tree.ordering_mode = 9;
  EXPECT_EQ(tree.compare(a, b), 0);

  tree.ordering_mode = 3;
  krfile_node *early = entry("e", 0, krval(0), INT32_MIN);
  krfile_node *late = entry("l", 0, krval(0), INT32_MAX);
  EXPECT_LT(compare_file_entries(tree, early, late), 0) << "no wrap-around";
  EXPECT_GT(compare_file_entries(tree, late, early), 0);
  EXPECT_EQ(compare_file_entries(tree, nullptr, late), 0);
  delete early;
  delete late;
}

}  // namespace
