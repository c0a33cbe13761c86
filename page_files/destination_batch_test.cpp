// Many pages written at once and made durable together: nothing is replaced
// before the batch's flush, and a page whose flush or move fails stays as
// it was while the others get their new text, whichever way the batch
// flushes.
#include "page_files/destination_batch.h"
#include "page_files/make_toc_file.h"

#include <gtest/gtest.h>
#include <filesystem>
#include <string>
#include <vector>
#include "regex/regex_binding.h"
#include "test_support/scratch_folder.h"

namespace {

using test_support::read_file;
using test_support::scratch_folder;
using test_support::write_file;

std::string page(int i) {
  return "<html><body>\r\n<h1>Page " + std::to_string(i) + "</h1>\r\n<h2>Part</h2>\r\n</body></html>";
}

// What a run by itself makes of a page.
std::string made_alone(const scratch_folder &folder, int i) {
  const std::string path = folder.file("alone.html");
  EXPECT_TRUE(write_file(path, page(i)));
  toc_tree tree;
  toc_request job;
  job.options.stamp = 77;
  job.tree = &tree;
  toc_file_result result;
  EXPECT_EQ(make_toc_with_options(krval(path.c_str()), krval(path.c_str()), job, replacement_rules(), result), 0);
  return read_file(path);
}

std::string failing_flush, failing_move;
bool fail_chosen(destination_step step, const std::string &destination) {
  return destination != (step == destination_step::flush ? failing_flush : failing_move);
}

TEST(destination_batch, a_failed_flush_or_move_leaves_that_page_old_and_the_others_new) {
  ASSERT_TRUE(load_regex_library());
  for (auto how : {destination_batch::flushing::together, destination_batch::flushing::each}) {
    scratch_folder folder;
    constexpr int pages = 6;
    std::vector<std::string> paths;
    for (int i = 0; i < pages; ++i) {
      paths.push_back(folder.file("p" + std::to_string(i) + ".html"));
      ASSERT_TRUE(write_file(paths[i], page(i)));
    }
    destination_batch batch(how);
    failing_flush = paths[2];
    failing_move = paths[4];
    batch.step_allowed = fail_chosen;
    for (int i = pages; i-- > 0;) {   // added out of order: results come in the keys' order
      toc_tree tree;
      toc_request job;
      job.options.stamp = 77;
      job.tree = &tree;
      replacement_rules batched;
      batched.batch = &batch;
      batched.batch_key = static_cast<std::size_t>(i);
      toc_file_result result;
      ASSERT_EQ(make_toc_with_options(krval(paths[i].c_str()), krval(paths[i].c_str()), job, batched, result), 0);
    }
    for (int i = 0; i < pages; ++i) EXPECT_EQ(read_file(paths[i]), page(i)) << "replaced before the flush";
    std::vector<std::string> problems;
    const std::vector<destination_batch::result> results = batch.commit(problems);
    EXPECT_TRUE(problems.empty());
    ASSERT_EQ(results.size(), static_cast<size_t>(pages));
    for (int i = 0; i < pages; ++i) {
      const bool fails = i == 2 || i == 4;
      EXPECT_EQ(results[i].key, static_cast<size_t>(i));
      EXPECT_EQ(results[i].replaced, !fails);
      EXPECT_EQ(results[i].message, fails ? "Can't write file: " + paths[i] : "");
      EXPECT_EQ(read_file(paths[i]), fails ? page(i) : made_alone(folder, i)) << i;
    }
    std::filesystem::remove(folder.file("alone.html"));
    std::string expected;
    for (int i = 0; i < pages; ++i) expected += "p" + std::to_string(i) + ".html ";
    EXPECT_EQ(folder.listing(), expected);   // no temporary file left behind
    EXPECT_TRUE(batch.commit(problems).empty());
  }
}

}  // namespace
