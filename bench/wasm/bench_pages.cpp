// Writes the pages the WebAssembly bench runs on into a folder: toc_bench's
// own page of just under 4 MiB and its dense page of the same size.
//
//   wasm_bench_pages DIR
#include <cstdio>
#include <string>
#include "bench/gen_html.h"

namespace {

bool write_page(const std::string &path, const std::string &bytes) {
  std::FILE *file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

}  // namespace

int main(int argc, char **argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: wasm_bench_pages DIR\n");
    return 2;
  }
  const std::string folder = argv[1];
  const size_t size = 4 * 1024 * 1024 - 1;
  if (!write_page(folder + "/own-4MiB.html", generate_html(size)) ||
      !write_page(folder + "/dense-4MiB.html", generate_html(size, 1, dense_page_shape()))) {
    std::fprintf(stderr, "wasm_bench_pages: cannot write into %s\n", folder.c_str());
    return 1;
  }
  return 0;
}
