// The parts of the file layer that are the same on every system: they reach
// the system only through fs_hooks and the other operations of fs.h.
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <filesystem>
#include "fs/fs.h"
#include "fs/fs_backend.h"
#include "fs/fs_test_hooks.h"
#include "value/krarr.h"

krval size_from_parts(uint32_t high, uint32_t low, uint32_t largest_integer) {
  if (high == 0 && low <= largest_integer) return krval(static_cast<int32_t>(low));
  return krval(static_cast<double>(high) * 4294967296.0 + static_cast<double>(low));
}

bool is_number_text(const char *text, int32_t length) {
  int32_t digits = 0;
  int32_t points = 0;
  for (int32_t i = length > 0 && text[0] == '-' ? 1 : 0; i < length; ++i) {
    if (text[i] >= '0' && text[i] <= '9')
      ++digits;
    else if (text[i] != '.' || ++points > 1)
      return false;
  }
  return digits > 0;
}

krfile open_file(krval &name, const char *mode) {
  krval mode_value(mode);
  return open_file(name, mode_value);
}

int32_t read_chunk(krval &out, int32_t count, krfile file) {
  // Shrinking first keeps the storage, so a chunk Value reused for a whole
  // file is allocated once.
  out.set_length(0);
  if (file == krfile_invalid || count <= 0) return 0;
  out.set_length(count);
  int32_t got = read_bytes(out.text_bytes(), count, file);
  out.set_length(got > 0 ? got : 0);
  return got;
}

int32_t read_bytes(char *into, int32_t count, krfile file) {
  if (file == krfile_invalid || count <= 0 || !into) return 0;
  int32_t got = 0;
  int32_t system_error = 0;
  if (!fs_hooks.read(file, into, count, &got, &system_error)) return read_error_result(system_error);
  if (got < 0 || got > count) got = 0;
  return got;
}

int32_t write_text(const krval &text, int32_t count, krfile file) {
  if (file == krfile_invalid || count <= 0) return 0;
  // The length first: reading it renders a non-text Value's text anew, which
  // would leave an earlier c_str() pointing at freed storage.
  int32_t length = text.text_length();
  const char *bytes = text.c_str();
  if (count > length) count = length;
  return write_bytes(bytes, count, file);
}

int32_t write_bytes(const char *bytes, int32_t count, krfile file) {
  if (file == krfile_invalid || count <= 0 || !bytes) return 0;
  int32_t written = 0;
  return fs_hooks.write(file, bytes, count, &written) ? count : 0;
}

bool write_pieces(const krfile_piece *pieces, int32_t count, krfile file) {
  if (file == krfile_invalid) return false;
  if (count <= 0) return true;
  return pieces && fs_hooks.write_pieces(file, pieces, count);
}

bool disk_free_space(const krval &root, krval &out) {
  out = 0;
  fs_disk_geometry geometry;
  if (!fs_hooks.free_space(root.c_str(), &geometry)) return false;
  // In 32 bits this product wraps on a drive with 4 GiB or more free, and a
  // roomy drive would look too small for the installation.
  uint64_t bytes_per_cluster =
      static_cast<uint64_t>(geometry.sectors_per_cluster) * geometry.bytes_per_sector;
  out = static_cast<double>(bytes_per_cluster) * static_cast<double>(geometry.free_clusters);
  return true;
}

krval file_size_by_name(krval &name) {
  krfile file = open_file(name, "");
  if (file == krfile_invalid) return krval(-1);
  krval size = file_size(file);
  close_file(file);
  return size;
}

namespace {

// The largest text a Value can grow to: its capacity n + n/16 + 2 must stay
// within 32 bits.
constexpr int64_t largest_value_text = (static_cast<int64_t>(INT32_MAX) - 2) * 16 / 17;

bool read_open_file(krfile file, krval &out) {
  int64_t size = seek_file(file, 0, 2);
  if (size < 0 || size > largest_value_text) return false;
  if (size == 0) return true;
  if (seek_file(file, 0, 0) != 0) return false;
  int32_t wanted = static_cast<int32_t>(size);
  return read_chunk(out, wanted, file) == wanted;
}

}  // namespace

bool read_whole_file(krval &name, krval &out) {
  krfile file = open_file(name, "r");
  if (file == krfile_invalid) return false;
  bool whole = read_open_file(file, out);
  close_file(file);
  return whole;
}

bool read_rest_of_file(krfile file, std::size_t most, std::string &bytes) {
  constexpr std::size_t step = 1024 * 1024;   // what is read at a time
  const int32_t size = file_size(file).as_int();
  std::size_t got = 0;
  bytes.resize(std::min(most, size > 0 ? static_cast<std::size_t>(size) : step));
  for (;;) {
    if (got == bytes.size()) {
      if (got >= most) break;
      // Whether it grew since its size was taken (or is of no size the
      // system knows) is asked with a small read: growing the text by a
      // step at once would keep a step of zeros, and the page's text lives
      // as long as its document.
      char probe[4096];
      const int32_t n = read_bytes(probe, static_cast<int32_t>(std::min(sizeof probe, most - got)), file);
      if (n < 0) return false;
      if (n == 0) break;
      bytes.append(probe, static_cast<std::size_t>(n));
      bytes.resize(std::min(most, std::max(bytes.size(), got + step)));
      got += static_cast<std::size_t>(n);
    }
    const int32_t n = read_bytes(&bytes[got], static_cast<int32_t>(std::min(bytes.size() - got, step)), file);
    if (n < 0) return false;
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  bytes.resize(got);
  return true;
}

// Through the C library, whose errno says why on every system.
bool read_file_bytes(const std::string &path, std::string &bytes) {
  std::FILE *f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  bytes.clear();
  char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
  const bool whole = !std::ferror(f);
  const int error = errno;
  std::fclose(f);
  errno = error;
  return whole;
}

bool existing_path_prefix(krval &path) {
  prepare_path(path);
  const krval separator(fs_separator);
  krarr parts;
  split(separator, path, parts);
  // On POSIX only an absolute path has a drive: its first component is empty
  // and the drive root is "/".
  bool has_drive = parts.count() > 0 && (fs_separator != '/' || parts.at(0).empty());
  krval drive = has_drive ? parts.at(0) : krval("");
  krval root(drive);
  root.append(separator);
  krval free_bytes;
  if (!has_drive || !disk_free_space(root, free_bytes)) {
    path = "";
    return false;
  }
  krval prefix(drive);
  krval component;
  parts.reset_cursor();
  parts.next(component);  // the drive
  while (parts.next(component)) {
    if (component.empty()) continue;  // doubled or trailing separator
    krval extension(prefix);
    extension.append(separator);
    extension.append(component);
    krfile_node entry;
    krval probe(extension);
    if (!stat_path(entry, probe)) break;  // the walk ends at the folder above
    prefix = extension;
    if (!entry.is_directory) break;       // an existing file ends the walk
  }
  if (prefix.text_length() == drive.text_length()) prefix = root;
  path = prefix;
  return true;
}

void shorten_path(krval &path, int32_t n) {
  if (n < 6) return;
  int32_t length = path.text_length();
  if (length <= n) return;
  const char *text = path.c_str();
  krval shortened;
  int32_t tail;
  if (text[1] == ':') {
    shortened = krval(text[0]);
    shortened.append(":\\...");
    tail = n - 6;
  } else if (fs_separator == '/' && text[0] == '/') {
    shortened = "/...";
    tail = n - 4;
  } else {
    return;
  }
  shortened.append_bytes(text + length - tail, tail);
  path = shortened;
}

int64_t file_time_to_unix(int64_t file_time) {
  constexpr int64_t file_time_of_1970 = 0x019DB1DED53E8000;
  return (file_time - file_time_of_1970) / 10000000;
}

int32_t compare_file_entries(const krfile_tree &tree, const krfile_node *a, const krfile_node *b) {
  if (!a || !b) return 0;
  int32_t directories_first = b->is_directory - a->is_directory;
  if (directories_first != 0) return directories_first;
  switch (tree.ordering_mode.as_int()) {
    case 0:
      return a->name.compare(b->name);
    case 1:
      return a->sort_text.compare(b->sort_text);
    case 2: {
      double difference = a->size.as_real() - b->size.as_real();
      return difference > 0 ? 1 : difference < 0 ? -1 : 0;
    }
    case 3: {
      // In 64 bits, so that times far apart cannot wrap to the wrong sign.
      int64_t difference = static_cast<int64_t>(a->modification_time) - b->modification_time;
      if (difference > INT32_MAX) return INT32_MAX;
      if (difference < INT32_MIN) return INT32_MIN;
      return static_cast<int32_t>(difference);
    }
    default:
      return 0;
  }
}

int32_t krfile_tree::compare(const krfile_node *a, const krfile_node *b) const {
  return compare_file_entries(*this, a, b);
}

std::string folder_of(const std::string &path) {
  const std::string folder = std::filesystem::path(path).parent_path().string();
  return folder.empty() ? "." : folder;
}
