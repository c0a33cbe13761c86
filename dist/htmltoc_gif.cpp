// Draws htmltoc.gif, the picture in help.html: a page whose table of contents
// links down to its headings. The committed GIF is this program's output; the
// native build checks that it still is, so the picture can be changed only by
// changing the drawing here.
//
//   htmltoc_gif OUTPUT.gif
#include <cstdint>
#include <cstdio>
#include <map>
#include <utility>
#include <vector>

namespace {

constexpr int width = 160;
constexpr int height = 120;

enum colour : uint8_t {
  white, black, border_grey, light_grey, navy, link_blue, pale_blue, pale_yellow,
  toc_border, dark_grey, shadow, text_grey, orange, very_light_grey, green, spare,
};

const uint8_t palette[16][3] = {
    {0xFF, 0xFF, 0xFF}, {0x00, 0x00, 0x00}, {0x80, 0x80, 0x80}, {0xC0, 0xC0, 0xC0},
    {0x00, 0x00, 0x80}, {0x1F, 0x4F, 0xB4}, {0xD4, 0xE4, 0xF7}, {0xFF, 0xF8, 0xD0},
    {0xD8, 0xB8, 0x40}, {0x40, 0x40, 0x40}, {0xB0, 0xB0, 0xB0}, {0x9A, 0x9A, 0x9A},
    {0xE0, 0x70, 0x10}, {0xEE, 0xEE, 0xEE}, {0x2E, 0x8B, 0x57}, {0xFF, 0x00, 0xFF},
};

struct canvas {
  std::vector<uint8_t> pixels = std::vector<uint8_t>(width * height, white);

  void set(int x, int y, uint8_t c) {
    if (x >= 0 && x < width && y >= 0 && y < height) pixels[y * width + x] = c;
  }
  void fill(int x0, int y0, int x1, int y1, uint8_t c) {  // inclusive corners
    for (int y = y0; y <= y1; ++y)
      for (int x = x0; x <= x1; ++x) set(x, y, c);
  }
  void frame(int x0, int y0, int x1, int y1, uint8_t c) {
    fill(x0, y0, x1, y0, c);
    fill(x0, y1, x1, y1, c);
    fill(x0, y0, x0, y1, c);
    fill(x1, y0, x1, y1, c);
  }
};

// A page with a folded corner, its TOC box, and arrows from two entries to the
// headings they lead to.
void draw(canvas &p) {
  const int left = 14, top = 5, right = 113, bottom = 113, fold = 10;

  p.fill(left + 3, top + 3, right + 3, bottom + 3, shadow);
  p.fill(left, top, right, bottom, white);
  p.frame(left, top, right, bottom, border_grey);
  // The folded corner: cut the top right off, then draw the flap.
  for (int i = 0; i <= fold; ++i) {
    p.fill(right - fold + i, top, right + 3, top + i - 1, white);
    p.set(right - fold + i, top + i, border_grey);
  }
  for (int i = 0; i < fold; ++i) p.fill(right - fold, top + i, right - fold + i, top + i, very_light_grey);
  p.fill(right - fold, top, right - fold, top + fold, border_grey);
  p.fill(right - fold, top + fold, right, top + fold, border_grey);
  p.fill(right + 1, top + 3, right + 3, top + fold + 2, white);

  // Title.
  p.fill(left + 8, top + 7, left + 62, top + 10, navy);

  // The TOC between its markers.
  const int tl = left + 6, tt = top + 17, tr = right - 8, tb = top + 55;
  p.fill(tl, tt, tr, tb, pale_yellow);
  p.frame(tl, tt, tr, tb, toc_border);
  struct entry { int level; int length; };
  const entry entries[] = {{0, 44}, {1, 36}, {1, 40}, {2, 30}, {0, 48}, {1, 34}};
  int y = tt + 5;
  for (const entry &e : entries) {
    int x = tl + 5 + e.level * 8;
    p.fill(x, y, x + 1, y + 1, e.level == 0 ? navy : link_blue);
    p.fill(x + 4, y, x + 4 + e.length, y + 1, link_blue);
    y += 6;
  }

  // Headings and their text.
  struct block { int y; bool heading; int length; };
  const block blocks[] = {
      {top + 62, true, 46}, {top + 68, false, 80}, {top + 72, false, 74}, {top + 76, false, 60},
      {top + 83, true, 38}, {top + 89, false, 78}, {top + 93, false, 66},
      {top + 100, true, 50}, {top + 106, false, 72},
  };
  for (const block &b : blocks) {
    if (b.heading) p.fill(left + 8, b.y, left + 8 + b.length, b.y + 2, navy);
    else p.fill(left + 8, b.y, left + 8 + b.length, b.y, text_grey);
  }

  // Links: from an entry's end out to the right margin, down, and back in to
  // its heading, with an arrow head.
  struct link { int from_y; int from_x; int to_y; int lane; };
  const link links[] = {{tt + 5, tl + 5 + 4 + 44, top + 63, right + 12},
                        {tt + 29, tl + 5 + 4 + 48, top + 101, right + 22}};
  for (const link &l : links) {
    p.fill(l.from_x + 3, l.from_y, l.lane, l.from_y + 1, orange);
    p.fill(l.lane - 1, l.from_y, l.lane, l.to_y + 1, orange);
    const int head_x = left + 8 + 56;
    p.fill(head_x + 4, l.to_y, l.lane, l.to_y + 1, orange);
    for (int i = 0; i < 4; ++i) p.fill(head_x + i, l.to_y - i, head_x + i, l.to_y + 1 + i, orange);
  }
  // Tick marks for the named anchors the tool puts into the headings.
  p.fill(left + 4, top + 62, left + 5, top + 64, green);
  p.fill(left + 4, top + 83, left + 5, top + 85, green);
  p.fill(left + 4, top + 100, left + 5, top + 102, green);
}

// Variable-width LZW as GIF wants it, packed least significant bit first.
class lzw_writer {
public:
  explicit lzw_writer(int minimum_code_size)
      : clear_code(1 << minimum_code_size), end_code(clear_code + 1),
        minimum(minimum_code_size) {
    reset();
  }

  std::vector<uint8_t> encode(const std::vector<uint8_t> &pixels) {
    put(clear_code);
    int prefix = -1;
    for (uint8_t pixel : pixels) {
      if (prefix < 0) {
        prefix = pixel;
        continue;
      }
      auto found = table.find({prefix, pixel});
      if (found != table.end()) {
        prefix = found->second;
        continue;
      }
      put(prefix);
      add_entry(prefix, pixel);
      prefix = pixel;
    }
    if (prefix >= 0) {
      put(prefix);
      // The reader adds an entry on this last code as on any other, and may
      // widen its codes before it reads the end code.
      ++next_code;
      if (next_code > (1 << code_size) && code_size < 12) ++code_size;
    }
    put(end_code);
    if (bit_count > 0) bytes.push_back(static_cast<uint8_t>(bit_buffer));
    return bytes;
  }

private:
  void reset() {
    table.clear();
    next_code = end_code + 1;
    code_size = minimum + 1;
  }
  void add_entry(int prefix, uint8_t pixel) {
    table[{prefix, pixel}] = next_code++;
    if (next_code > (1 << code_size) && code_size < 12) ++code_size;
    if (next_code == 4096) {
      put(clear_code);
      reset();
    }
  }
  void put(int code) {
    bit_buffer |= static_cast<uint32_t>(code) << bit_count;
    bit_count += code_size;
    while (bit_count >= 8) {
      bytes.push_back(static_cast<uint8_t>(bit_buffer));
      bit_buffer >>= 8;
      bit_count -= 8;
    }
  }

  const int clear_code, end_code, minimum;
  std::map<std::pair<int, uint8_t>, int> table;
  int next_code = 0;
  int code_size = 0;
  uint32_t bit_buffer = 0;
  int bit_count = 0;
  std::vector<uint8_t> bytes;
};

void put16(std::vector<uint8_t> &out, int value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}

std::vector<uint8_t> gif_file(const canvas &p) {
  std::vector<uint8_t> out = {'G', 'I', 'F', '8', '9', 'a'};
  put16(out, width);
  put16(out, height);
  out.push_back(0xF3);  // global colour table of 16 entries, 8 bits per primary
  out.push_back(white);
  out.push_back(0);
  for (const auto &rgb : palette) out.insert(out.end(), rgb, rgb + 3);

  out.push_back(0x2C);
  put16(out, 0);
  put16(out, 0);
  put16(out, width);
  put16(out, height);
  out.push_back(0);
  out.push_back(4);
  std::vector<uint8_t> data = lzw_writer(4).encode(p.pixels);
  for (size_t at = 0; at < data.size(); at += 255) {
    size_t n = data.size() - at < 255 ? data.size() - at : 255;
    out.push_back(static_cast<uint8_t>(n));
    out.insert(out.end(), data.begin() + static_cast<long>(at), data.begin() + static_cast<long>(at + n));
  }
  out.push_back(0);
  out.push_back(0x3B);
  return out;
}

}  // namespace

int main(int argc, char **argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: htmltoc_gif OUTPUT.gif\n");
    return 2;
  }
  canvas picture;
  draw(picture);
  std::vector<uint8_t> bytes = gif_file(picture);
  std::FILE *f = std::fopen(argv[1], "wb");
  if (!f) {
    std::perror(argv[1]);
    return 1;
  }
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = std::fclose(f) == 0 && ok;
  if (!ok) std::perror(argv[1]);
  return ok ? 0 : 1;
}
