#include "bench/gen_html.h"

#include <vector>

namespace {

// xorshift32: the same sequence everywhere, unlike the standard distributions.
class bench_random {
public:
  explicit bench_random(uint32_t seed) : state(seed ? seed : 2463534242u) {}
  uint32_t next() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
  }
  uint32_t below(uint32_t n) { return next() % n; }
  bool chance(uint32_t percent) { return below(100) < percent; }

private:
  uint32_t state;
};

const char *const kWords[] = {
    "table",    "contents", "chapter", "section", "reader",  "document", "example", "install",  "setup",
    "program",  "folder",   "window",  "option",  "menu",    "button",   "heading", "anchor",   "list",
    "file",     "source",   "target",  "remake",  "create",  "the",      "a",       "of",       "and",
    "to",       "in",       "is",      "for",     "with",    "on",       "that",    "this",     "by",
    "from",     "as",       "it",      "be",      "are",     "each",     "every",   "which",    "when",
    "page",     "link",     "name",    "level",   "order",   "style",    "marker",  "comment",  "text",
    "byte",     "output",   "input",   "copy",    "keep",    "write",    "read",    "parse",    "tree",
    "node",     "element",  "value",   "user",    "manual",  "guide",    "note",    "warning",  "step",
    "first",    "second",   "last",    "next",    "previous","quickly",  "simply",  "exactly",  "again",
};
const char *const kReferences[] = {"&amp;", "&nbsp;", "&eacute;", "&#8212;", "&lt;", "&gt;", "&quot;", "&copy;"};
const char *const kInline[] = {"b", "i", "em", "strong", "code", "span", "a"};

class html_writer {
public:
  html_writer(size_t max_bytes, uint32_t seed, page_shape shape)
      : limit(max_bytes), rng(seed), shape(shape) {}

  std::string document() {
    const std::string tail = "</body>\r\n</html>\r\n";
    put("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\r\n<html>\r\n<head>\r\n");
    put("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">\r\n");
    put("<title>Generated manual</title>\r\n<link rel=stylesheet href=\"style.css\">\r\n</head>\r\n");
    put("<body bgcolor=\"#FFFFFF\">\r\n");
    const size_t reserve = tail.size();
    size_t since_heading = 0;
    while (true) {
      std::string block;
      if (since_heading > shape.heading_gap_least + rng.below(shape.heading_gap_spread)) {
        block = heading();
        since_heading = 0;
      } else {
        block = body_block();
      }
      if (out.size() + block.size() + reserve > limit) break;
      since_heading += block.size();
      out += block;
    }
    // Fill the last gap with plain text so that the size lands close to the limit.
    while (out.size() + reserve + 16 < limit) {
      std::string w = std::string(word()) + " ";
      if (out.size() + w.size() + reserve > limit) break;
      out += w;
    }
    if (out.size() + reserve <= limit) out += tail;
    return out;
  }

private:
  void put(const char *s) { out += s; }
  const char *word() { return kWords[rng.below(sizeof kWords / sizeof *kWords)]; }

  std::string words(uint32_t least, uint32_t spread) {
    std::string s;
    uint32_t n = least + rng.below(spread);
    for (uint32_t i = 0; i < n; ++i) {
      if (i) s += ' ';
      s += word();
    }
    return s;
  }

  std::string sentence_run(uint32_t least, uint32_t spread) {
    std::string s;
    uint32_t n = least + rng.below(spread);
    for (uint32_t i = 0; i < n; ++i) {
      if (i) s += ' ';
      uint32_t roll = rng.below(100);
      if (roll < 6) {
        const char *tag = kInline[rng.below(sizeof kInline / sizeof *kInline)];
        if (tag[0] == 'a')
          s += "<a href=\"#sect" + std::to_string(rng.below(400)) + "\">" + words(1, 3) + "</a>";
        else if (tag[0] == 's' && tag[1] == 'p')
          s += "<span class=note>" + words(1, 4) + "</span>";
        else
          s += std::string("<") + tag + ">" + words(1, 3) + "</" + tag + ">";
      } else if (roll < 8) {
        s += kReferences[rng.below(sizeof kReferences / sizeof *kReferences)];
      } else {
        s += word();
      }
      if (rng.chance(4)) s += (rng.chance(50) ? "\r\n" : ", ");
    }
    return s;
  }

  std::string heading() {
    uint32_t roll = rng.below(10);
    const char *level = roll == 0 ? "1" : roll < 4 ? "2" : roll < 7 || shape.deepest_level < 4 ? "3" : "4";
    std::string h = std::string("<h") + level;
    if (rng.chance(30)) h += " align=center";
    h += ">" + words(2, 5) + "</h" + level + ">\r\n";
    if (rng.chance(10)) h = "<!-- section " + std::to_string(rng.below(1000)) + " -->\r\n" + h;
    return h;
  }

  std::string body_block() {
    uint32_t roll = rng.below(100);
    if (roll < 62) {
      std::string p = rng.chance(20) ? "<p class=\"body\">" : "<P>";
      p += sentence_run(25, 70);
      p += rng.chance(70) ? "</p>\r\n" : "\r\n";
      return p;
    }
    if (roll < 76) {
      const char *kind = rng.chance(70) ? "ul" : "ol";
      std::string l = std::string("<") + kind + ">\r\n";
      uint32_t items = 2 + rng.below(7);
      for (uint32_t i = 0; i < items; ++i)
        l += "  <li>" + sentence_run(4, 14) + (rng.chance(60) ? "</li>\r\n" : "\r\n");
      return l + "</" + kind + ">\r\n";
    }
    if (roll < 86) {
      std::string t = "<table border=1 cellpadding=\"4\" width=\"100%\">\r\n";
      uint32_t rows = 2 + rng.below(6), columns = 2 + rng.below(3);
      for (uint32_t r = 0; r < rows; ++r) {
        t += "<tr>";
        for (uint32_t c = 0; c < columns; ++c)
          t += std::string(r == 0 ? "<th>" : "<td valign=top>") + words(1, 5) + (r == 0 ? "</th>" : "</td>");
        t += "</tr>\r\n";
      }
      return t + "</table>\r\n";
    }
    if (roll < 91) return "<!-- " + words(3, 8) + " -->\r\n";
    if (roll < 95) return "<pre>\r\n" + words(8, 30) + "\r\n" + words(8, 30) + "\r\n</pre>\r\n";
    if (roll < 98)
      return "<p><img src=\"images/fig" + std::to_string(rng.below(90)) + ".gif\" alt=\"" + words(2, 3) +
             "\" width=120 height=80><br>\r\n" + words(4, 8) + "</p>\r\n";
    return "<hr>\r\n<div align=\"right\"><a href=\"#top\">Back to top</a></div>\r\n";
  }

  size_t limit;
  bench_random rng;
  page_shape shape;
  std::string out;
};

}  // namespace

std::string generate_html(size_t max_bytes, uint32_t seed, page_shape shape) {
  html_writer writer(max_bytes, seed, shape);
  std::string doc = writer.document();
  if (doc.size() > max_bytes) doc.resize(max_bytes);   // only for tiny limits
  return doc;
}
