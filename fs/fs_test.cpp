// File operations whose contract is the same on every system.
#include <chrono>
#include <string>
#include <vector>
#include "fs/fs_test_util.h"

using namespace fs_testing;

namespace {

class files : public scratch_test {};

TEST_F(files, open_modes_lower_case_truncate_and_append) {
  write_file(file("a.txt"), "hello");

  krval name = at("a.txt");
  krval mode("R+");
  krfile h = open_file(name, mode);
  ASSERT_NE(h, krfile_invalid);
  EXPECT_EQ(mode, "r+");
  krval chunk;
  EXPECT_EQ(read_chunk(chunk, 5, h), 5);
  EXPECT_EQ(chunk, "hello");
  EXPECT_EQ(write_text(krval("!"), 1, h), 1);  // the plus form writes too
  EXPECT_TRUE(close_file(h));
  EXPECT_EQ(read_back(file("a.txt")), "hello!");

  h = open_file(name, "a");
  ASSERT_NE(h, krfile_invalid);
  EXPECT_EQ(write_text(krval("xyz"), 3, h), 3);
  EXPECT_TRUE(close_file(h));
  EXPECT_EQ(read_back(file("a.txt")), "hello!xyz");

  h = open_file(name, "w");
  ASSERT_NE(h, krfile_invalid);
  EXPECT_EQ(file_size(h).as_int(), 0);
  EXPECT_EQ(write_text(krval("new"), 3, h), 3);
  EXPECT_EQ(read_chunk(chunk, 3, h), krfile_read_failed) << "w without plus cannot read";
  EXPECT_TRUE(close_file(h));
  EXPECT_EQ(read_back(file("a.txt")), "new");

  h = open_file(name, "r");
  ASSERT_NE(h, krfile_invalid);
  EXPECT_EQ(write_text(krval("zz"), 2, h), 0) << "r without plus cannot write";
  EXPECT_TRUE(close_file(h));
  EXPECT_EQ(read_back(file("a.txt")), "new");
}

TEST_F(files, open_creates_only_where_the_mode_says) {
  krval missing = at("missing.txt");
  EXPECT_EQ(open_file(missing, "r"), krfile_invalid);
  EXPECT_EQ(open_file(missing, "r+"), krfile_invalid);
  EXPECT_EQ(open_file(missing, ""), krfile_invalid);
  EXPECT_FALSE(stdfs::exists(file("missing.txt")));

  krval appended = at("new.txt");
  krfile h = open_file(appended, "a+");
  ASSERT_NE(h, krfile_invalid);
  EXPECT_TRUE(close_file(h));
  EXPECT_TRUE(stdfs::exists(file("new.txt")));

  krval deep = at("no_such_folder/x.txt");
  EXPECT_EQ(open_file(deep, "w"), krfile_invalid);
}

TEST_F(files, only_the_query_mode_opens_a_folder) {
  stdfs::create_directory(file("sub"));
  krval sub = at("sub");
  EXPECT_EQ(open_file(sub, "r"), krfile_invalid);
  EXPECT_EQ(open_file(sub, "q"), krfile_invalid);
  krfile h = open_file(sub, "");
  ASSERT_NE(h, krfile_invalid);
  EXPECT_TRUE(close_file(h));
}

TEST_F(files, the_invalid_handle_means_no_file) {
  krval text("left over");
  EXPECT_TRUE(close_file(krfile_invalid));
  EXPECT_EQ(read_chunk(text, 10, krfile_invalid), 0);
  EXPECT_EQ(text, "");
  EXPECT_EQ(write_text(krval("abc"), 3, krfile_invalid), 0);
  EXPECT_EQ(seek_file(krfile_invalid, 0, 0), -1);
  krval size = file_size(krfile_invalid);
  EXPECT_EQ(size.tag, KR_INT);
  EXPECT_EQ(size.as_int(), -1);
}

TEST_F(files, read_chunk_delivers_exactly_what_was_read_then_nothing_at_the_end) {
  write_file(file("r.txt"), "0123456789");
  krval name = at("r.txt");
  krfile h = open_file(name, "r");
  ASSERT_NE(h, krfile_invalid);
  krval chunk("a much longer text than any chunk");
  EXPECT_EQ(read_chunk(chunk, 4, h), 4);
  EXPECT_EQ(chunk, "0123");
  EXPECT_EQ(read_chunk(chunk, 100, h), 6);
  EXPECT_EQ(chunk, "456789");
  EXPECT_EQ(read_chunk(chunk, 100, h), 0);
  EXPECT_EQ(chunk.tag, KR_TEXT);
  EXPECT_EQ(chunk.text_length(), 0);
  EXPECT_EQ(read_chunk(chunk, 0, h), 0);
  EXPECT_TRUE(close_file(h));
}

TEST_F(files, write_text_writes_the_text_form_and_never_past_it) {
  krval name = at("w.txt");
  krfile h = open_file(name, "w");
  ASSERT_NE(h, krfile_invalid);
  EXPECT_EQ(write_text(krval(-42), 3, h), 3);
  EXPECT_EQ(write_text(krval("abc"), 100, h), 3);
  EXPECT_EQ(write_text(krval("abc"), 0, h), 0);
  EXPECT_EQ(write_text(krval("abc"), -5, h), 0);
  EXPECT_TRUE(close_file(h));
  EXPECT_EQ(read_back(file("w.txt")), "-42abc");
}

TEST_F(files, seek_reports_positions_and_refuses_bad_moves) {
  write_file(file("s.txt"), "0123456789");
  krval name = at("s.txt");
  krfile h = open_file(name, "r");
  ASSERT_NE(h, krfile_invalid);
  EXPECT_EQ(seek_file(h, 0, 2), 10);
  EXPECT_EQ(seek_file(h, 3, 0), 3);
  EXPECT_EQ(seek_file(h, 2, 1), 5);
  EXPECT_EQ(seek_file(h, -1, 2), 9);
  EXPECT_EQ(seek_file(h, -20, 1), -1);
  EXPECT_EQ(seek_file(h, 0, 3), -1);
  krval chunk;
  EXPECT_EQ(seek_file(h, 7, 0), 7);
  EXPECT_EQ(read_chunk(chunk, 10, h), 3);
  EXPECT_EQ(chunk, "789");
  EXPECT_TRUE(close_file(h));
}

// A sparse file: seeking past the end and writing one byte costs no space.
void make_file_of_size(krval name, int64_t size) {
  krfile h = open_file(name, "w");
  ASSERT_NE(h, krfile_invalid);
  int64_t position = 0;
  for (int64_t left = size - 1; left > 0;) {
    int32_t step = left > 0x40000000 ? 0x40000000 : static_cast<int32_t>(left);
    position = seek_file(h, step, 1);
    left -= step;
  }
  EXPECT_EQ(position, size - 1);
  EXPECT_EQ(write_text(krval("x"), 1, h), 1);
  EXPECT_TRUE(close_file(h));
}

TEST_F(files, sizes_are_integers_below_the_bound_and_reals_from_it) {
  write_file(file("small.txt"), "12345");
  krval small_name = at("small.txt");
  krval small = file_size_by_name(small_name);
  EXPECT_EQ(small.tag, KR_INT);
  EXPECT_EQ(small.as_int(), 5);

  krval missing = at("missing.txt");
  krval none = file_size_by_name(missing);
  EXPECT_EQ(none.tag, KR_INT);
  EXPECT_EQ(none.as_int(), -1);

  make_file_of_size(at("below.bin"), 268435454);
  krval below_name = at("below.bin");
  krval below = file_size_by_name(below_name);
  EXPECT_EQ(below.tag, KR_INT);
  EXPECT_EQ(below.as_int(), 268435454);

  make_file_of_size(at("bound.bin"), 268435455);
  krval bound_name = at("bound.bin");
  krval bound = file_size_by_name(bound_name);
  EXPECT_EQ(bound.tag, KR_REAL);
  EXPECT_EQ(bound.as_real(), 268435455.0);

  make_file_of_size(at("huge.bin"), 5000000000LL);
  krval huge_name = at("huge.bin");
  krval huge = file_size_by_name(huge_name);
  EXPECT_EQ(huge.tag, KR_REAL);
  EXPECT_EQ(huge.as_real(), 5000000000.0);
}

TEST_F(files, read_whole_file_reads_all_or_reports_false) {
  write_file(file("whole.txt"), std::string("line one\r\nline\0two", 18));
  krval name = at("whole.txt");
  krval text;
  ASSERT_TRUE(read_whole_file(name, text));
  EXPECT_EQ(text.str(), std::string("line one\r\nline\0two", 18));

  write_file(file("empty.txt"), "");
  krval empty = at("empty.txt");
  krval untouched(7);
  EXPECT_TRUE(read_whole_file(empty, untouched));
  EXPECT_EQ(untouched.tag, KR_INT);
  EXPECT_EQ(untouched.as_int(), 7);

  krval missing = at("missing.txt");
  EXPECT_FALSE(read_whole_file(missing, text));

  fs_fail_reads_after(5);
  EXPECT_FALSE(read_whole_file(name, text)) << "a short read is not the whole file";
  fs_fail_reads_after(0);
  EXPECT_FALSE(read_whole_file(name, text));
}

// The page's text lives as long as its document: it is read into text of
// the page's own size (up to the limit), and a page that grew while it was
// read is read to its new end all the same.
stdfs::path grown_page;
bool page_grew = false;
TEST_F(files, read_rest_of_file_keeps_no_spare_room) {
  const std::string page(3 * 1024 * 1024 / 2 + 5, 'p'), more(5000, 'm');
  write_file(file("page.html"), page);
  krval name = at("page.html");
  auto read_up_to = [&](std::size_t most) {
    std::string bytes;
    krfile h = open_file(name, "r");
    EXPECT_TRUE(h != krfile_invalid && read_rest_of_file(h, most, bytes));
    close_file(h);
    EXPECT_LT(bytes.capacity(), bytes.size() + 8192);
    return bytes;
  };
  EXPECT_EQ(read_up_to(page.size() + 10), page);
  EXPECT_EQ(read_up_to(page.size()), page);
  EXPECT_EQ(read_up_to(1000), page.substr(0, 1000));

  grown_page = file("page.html");
  fs_hooks.read = [](krfile file, char *buffer, int32_t count, int32_t *got, int32_t *error) {
    // Windows lets nobody write to a page open for reading: there it stays.
    if (!grown_page.empty()) {
      std::ofstream more(grown_page, std::ios::binary | std::ios::app);
      page_grew = static_cast<bool>(more << std::string(5000, 'm'));
    }
    grown_page.clear();
    return fs_system_hooks().read(file, buffer, count, got, error);
  };
  std::string bytes;
  krfile h = open_file(name, "r");
  ASSERT_NE(h, krfile_invalid);
  EXPECT_TRUE(read_rest_of_file(h, 1 << 30, bytes));
  close_file(h);
  fs_restore_hooks();
  EXPECT_EQ(bytes, page_grew ? page + more : page);
#ifndef _WIN32
  EXPECT_TRUE(page_grew);
#endif
}

TEST_F(files, failed_reads_leave_no_handle_open) {
  write_file(file("leak.txt"), "some text to read");
  krval name = at("leak.txt");
  krval text;
  int before = open_handle_count();
  fs_fail_reads_after(0);
  for (int i = 0; i < 200; ++i) {
    EXPECT_FALSE(read_whole_file(name, text));
    krval size = file_size_by_name(name);
    EXPECT_EQ(size.as_int(), 17);
  }
  fs_restore_hooks();
  for (int i = 0; i < 200; ++i) EXPECT_TRUE(read_whole_file(name, text));
  EXPECT_LE(open_handle_count(), before + 2);
  EXPECT_TRUE(delete_file(name)) << "no handle keeps the file";
}

TEST_F(files, read_errors_are_negative_codes_never_end_of_file) {
  write_file(file("bad.txt"), "0123456789abcdef");
  krval name = at("bad.txt");
  krfile h = open_file(name, "r");
  ASSERT_NE(h, krfile_invalid);
  fs_fail_reads_after(10);
  krval chunk;
  EXPECT_EQ(read_chunk(chunk, 4, h), 4);
  EXPECT_EQ(read_chunk(chunk, 100, h), 6) << "a read that crosses the limit is cut at it";
  EXPECT_EQ(chunk, "456789");
  EXPECT_EQ(read_chunk(chunk, 100, h), krfile_read_failed);
  EXPECT_EQ(chunk.text_length(), 0);
  fs_restore_hooks();
  EXPECT_EQ(read_chunk(chunk, 100, h), 6);
  EXPECT_TRUE(close_file(h));
}

TEST_F(files, a_full_disk_fails_the_write_that_does_not_fit) {
  krval name = at("full.txt");
  krfile h = open_file(name, "w");
  ASSERT_NE(h, krfile_invalid);
  fs_fail_writes_after(8);
  EXPECT_EQ(write_text(krval("hello"), 5, h), 5);
  EXPECT_EQ(write_text(krval("world"), 5, h), 0);
  EXPECT_EQ(write_text(krval("!"), 1, h), 0);
  fs_restore_hooks();
  EXPECT_TRUE(close_file(h));
  EXPECT_EQ(read_back(file("full.txt")), "hellowor") << "what fitted did reach the file";
}

// Gathered writes: more pieces than one system call takes, empty ones, a
// large one, all in order; a full disk stops them where the bytes ran out.
TEST_F(files, pieces_are_written_in_order_and_a_full_disk_stops_them) {
  std::string expected;
  std::vector<std::string> texts;
  for (int i = 0; i < 3000; ++i) texts.push_back(i % 7 == 0 ? "" : std::to_string(i) + ",");
  texts.push_back(std::string(3 * 1024 * 1024, 'L'));
  texts.push_back("end");
  std::vector<krfile_piece> pieces;
  for (const std::string &t : texts) {
    pieces.push_back(krfile_piece{t.data(), static_cast<int32_t>(t.size())});
    expected += t;
  }
  krval name = at("pieces.txt");
  krfile h = open_file(name, "w");
  ASSERT_NE(h, krfile_invalid);
  EXPECT_TRUE(write_pieces(pieces.data(), static_cast<int32_t>(pieces.size()), h));
  EXPECT_TRUE(write_pieces(pieces.data(), 0, h));
  EXPECT_TRUE(close_file(h));
  EXPECT_TRUE(read_back(file("pieces.txt")) == expected);
  EXPECT_FALSE(write_pieces(pieces.data(), 1, krfile_invalid));

  krval full = at("full-pieces.txt");
  h = open_file(full, "w");
  ASSERT_NE(h, krfile_invalid);
  fs_fail_writes_after(100);
  EXPECT_FALSE(write_pieces(pieces.data(), static_cast<int32_t>(pieces.size()), h));
  fs_restore_hooks();
  EXPECT_TRUE(close_file(h));
  EXPECT_EQ(read_back(file("full-pieces.txt")), expected.substr(0, 100));
}

TEST_F(files, copy_respects_overwrite_and_never_destroys_its_source) {
  write_file(file("src.txt"), "source");
  write_file(file("dst.txt"), "old");
  krval src = at("src.txt");
  krval dst = at("dst.txt");
  EXPECT_FALSE(copy_file(src, dst, 0));
  EXPECT_EQ(read_back(file("dst.txt")), "old");
  EXPECT_TRUE(copy_file(src, dst, 1));
  EXPECT_EQ(read_back(file("dst.txt")), "source");
  krval fresh = at("fresh.txt");
  EXPECT_TRUE(copy_file(src, fresh, 0));
  EXPECT_EQ(read_back(file("fresh.txt")), "source");

  krval same = at("src.txt");
  EXPECT_FALSE(copy_file(src, same, 1));
  EXPECT_EQ(read_back(file("src.txt")), "source");

  krval missing = at("missing.txt");
  krval target = at("target.txt");
  EXPECT_FALSE(copy_file(missing, target, 1));
  EXPECT_FALSE(stdfs::exists(file("target.txt")));
}

TEST_F(files, move_and_delete) {
  write_file(file("a.txt"), "a");
  write_file(file("b.txt"), "b");
  krval a = at("a.txt");
  krval b = at("b.txt");
  krval c = at("c.txt");
  EXPECT_FALSE(move_file(a, b)) << "an existing destination stays";
  EXPECT_EQ(read_back(file("b.txt")), "b");
  EXPECT_TRUE(move_file(a, c));
  EXPECT_FALSE(stdfs::exists(file("a.txt")));
  EXPECT_EQ(read_back(file("c.txt")), "a");
  EXPECT_TRUE(delete_file(c));
  EXPECT_FALSE(delete_file(c));
  EXPECT_FALSE(stdfs::exists(file("c.txt")));
}

TEST_F(files, folders_are_made_one_level_at_a_time_and_can_be_entered) {
  krval deep = at("one/two");
  EXPECT_FALSE(create_directory(deep));
  krval one = at("one");
  EXPECT_TRUE(create_directory(one));
  EXPECT_FALSE(create_directory(one));
  krval two = at("one/two");
  EXPECT_TRUE(create_directory(two));
  EXPECT_TRUE(stdfs::is_directory(file("one") / "two"));

  EXPECT_TRUE(set_current_directory(two));
  krval here;
  int32_t length = get_current_directory(here);
  EXPECT_EQ(length, here.text_length());
  EXPECT_TRUE(stdfs::equivalent(stdfs::path(here.str()), file("one") / "two"));
  krval missing = at("missing");
  EXPECT_FALSE(set_current_directory(missing));
  EXPECT_TRUE(stdfs::equivalent(stdfs::current_path(), file("one") / "two"));
}

TEST(free_space, the_product_is_formed_in_64_bits) {
  fs_hooks_scope restore;
  krval bytes;
  fs_simulate_free_space(8, 512, 2000000);  // 8192000000 bytes: wraps in 32 bits
  EXPECT_TRUE(disk_free_space(krval("C:\\"), bytes));
  EXPECT_EQ(bytes.tag, KR_REAL);
  EXPECT_EQ(bytes.as_real(), 8192000000.0);

  fs_simulate_free_space(64, 4096, 0xFFFFFFFFu);
  EXPECT_TRUE(disk_free_space(krval("C:\\"), bytes));
  EXPECT_EQ(bytes.as_real(), 64.0 * 4096.0 * 4294967295.0);

  fs_simulate_free_space(1, 512, 7);
  EXPECT_TRUE(disk_free_space(krval("C:\\"), bytes));
  EXPECT_EQ(bytes.tag, KR_REAL);
  EXPECT_EQ(bytes.as_real(), 3584.0);

  fs_simulate_missing_drive();
  EXPECT_FALSE(disk_free_space(krval("Q:\\"), bytes));
  EXPECT_EQ(bytes.tag, KR_INT);
  EXPECT_EQ(bytes.as_int(), 0);
}

TEST(free_space, the_real_drive_of_the_temporary_folder_has_room) {
  stdfs::path root = stdfs::temp_directory_path().root_path();
  krval bytes;
  ASSERT_TRUE(disk_free_space(krval(root.string().c_str()), bytes));
  EXPECT_GT(bytes.as_real(), 0.0);
}

TEST(paths, shorten_keeps_the_drive_and_the_tail) {
  krval path("C:\\Program Files\\Some Folder\\file.htm");
  shorten_path(path, 20);
  EXPECT_EQ(path, "C:\\...older\\file.htm");
  EXPECT_EQ(path.text_length(), 20);

  krval unchanged("C:\\Program Files\\Some Folder\\file.htm");
  shorten_path(unchanged, 5);
  EXPECT_EQ(unchanged, "C:\\Program Files\\Some Folder\\file.htm");
  shorten_path(unchanged, 100);
  EXPECT_EQ(unchanged, "C:\\Program Files\\Some Folder\\file.htm");
  krval relative("folder\\sub\\file.htm");
  shorten_path(relative, 8);
  EXPECT_EQ(relative, "folder\\sub\\file.htm");

  krval shortest("D:\\abcdefgh");
  shorten_path(shortest, 6);
  EXPECT_EQ(shortest, "D:\\...");
}

TEST(paths, existing_prefix_without_a_drive_is_empty) {
  fs_hooks_scope restore;
  fs_simulate_missing_drive();
  krval path("Q:\\folder\\file.htm");
  EXPECT_FALSE(existing_path_prefix(path));
  EXPECT_EQ(path, "");
  krval empty("");
  EXPECT_FALSE(existing_path_prefix(empty));
  EXPECT_EQ(empty, "");
}

class prefixes : public scratch_test {};

TEST_F(prefixes, existing_prefix_stops_at_the_deepest_folder_or_a_file) {
  stdfs::create_directories(file("a") / "b");
  write_file(file("a") / "f.txt", "x");
  krval path = at("a/b/missing/deeper");
  ASSERT_TRUE(existing_path_prefix(path));
  EXPECT_TRUE(stdfs::equivalent(stdfs::path(path.str()), file("a") / "b"));
  EXPECT_NE(path.str().back(), '/');

  krval through_file = at("a/f.txt/more");
  ASSERT_TRUE(existing_path_prefix(through_file));
  EXPECT_TRUE(stdfs::equivalent(stdfs::path(through_file.str()), file("a") / "f.txt"));

  krval whole = at("a/b");
  ASSERT_TRUE(existing_path_prefix(whole));
  EXPECT_TRUE(stdfs::equivalent(stdfs::path(whole.str()), file("a") / "b"));
}

TEST(time, file_times_count_from_1601_and_truncate_toward_zero) {
  EXPECT_EQ(file_time_to_unix(116444736000000000LL), 0);
  EXPECT_EQ(file_time_to_unix(116444736000000000LL + 10000000), 1);
  EXPECT_EQ(file_time_to_unix(116444736000000000LL + 19999999), 1);
  EXPECT_EQ(file_time_to_unix(116444736000000000LL - 9999999), 0);
  EXPECT_EQ(file_time_to_unix(116444736000000000LL - 10000000), -1);
  EXPECT_EQ(file_time_to_unix(0), -11644473600LL);
  // 2038-01-19 03:14:08, one second past the 32-bit limit: the 64-bit result keeps it.
  EXPECT_EQ(file_time_to_unix(116444736000000000LL + 2147483648LL * 10000000), 2147483648LL);
}

TEST(time, now_is_the_system_clock_in_seconds) {
  int64_t expected = std::chrono::duration_cast<std::chrono::seconds>(
                         std::chrono::system_clock::now().time_since_epoch())
                         .count();
  int64_t now = unix_time_now();
  EXPECT_LE(now - expected, 2);
  EXPECT_GE(now - expected, -2);
}

TEST(numbers, format_number_refuses_what_is_not_a_number) {
  krval out("kept");
  EXPECT_EQ(format_number(out, krval("12a")), 0);
  EXPECT_EQ(format_number(out, krval("")), 0);
  EXPECT_EQ(format_number(out, krval("1.2.3")), 0);
  EXPECT_EQ(out, "kept");
  int32_t size = format_number(out, krval("1234567"));
  ASSERT_GT(size, 0);
  EXPECT_EQ(out.text_length(), size - 1);
  EXPECT_NE(out.str().find('1'), std::string::npos);
}

}  // namespace
