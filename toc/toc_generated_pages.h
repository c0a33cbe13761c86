// Generated pages for the engine's property tests: every construct the
// transform cares about, mixed by a seed.
#pragma once
#include <cstdint>
#include <string>

namespace toc_test {

struct sequence {
  uint32_t state;
  explicit sequence(uint32_t seed) : state(seed * 2654435761u + 1) {}
  uint32_t next(uint32_t n) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state % n;
  }
};

// Pages mixing every construct the transform cares about. Anchors of the
// page's own close with "</A>", so that every "</a>" of an output is one the
// transform inserted.
inline std::string generated_page(uint32_t seed, bool with_headings) {
  sequence r(seed);
  static const char *const texts[] = {"Intro", "a &amp; b", "x\r\ny", " ", "caf\xe9", "1 < 2",
                                      "\n", "tail text"};
  std::string out;
  bool body = r.next(2) == 0;
  if (body) out += r.next(2) ? "<html><body class=\"main\">\r\n" : "<HTML><BODY>";
  int pieces = 1 + static_cast<int>(r.next(25));
  int toc_comments = 0;
  for (int i = 0; i < pieces; ++i) {
    switch (r.next(with_headings ? 14 : 9)) {
      case 0: out += texts[r.next(8)]; break;
      case 1: out += "<p>"; out += texts[r.next(8)]; if (r.next(2)) out += "</p>"; break;
      case 2: out += "<div id=d" + std::to_string(i) + ">"; break;
      case 3: out += "</div>"; break;
      case 4: out += r.next(2) ? "<!-- note -->" : "<!--#include file=x -->"; break;
      case 5:
        if (toc_comments++ < 2) out += r.next(2) ? "<!-- toc -->" : "<!--\tTOC\r\n-->";
        break;
      case 6: out += "<br><img src=x.gif>"; break;
      case 7: out += "<h7>not a heading</h7><h0>nor</h0><hr>"; break;
      case 8: out += "<h2></h2><h3/><span>s</span>"; break;
      default: {
        int level = 1 + static_cast<int>(r.next(6));
        std::string tag = (r.next(4) ? "h" : "H") + std::to_string(level);
        out += "<" + tag + (r.next(3) ? ">" : " class=x>");
        switch (r.next(6)) {
          case 0: out += "<a name=\"own" + std::to_string(i) + "\">Own</A>"; break;
          case 1: out += "<a name=\"x\"></A>Empty anchor"; break;
          case 2: out += "<b>Bold</b> &amp; more"; break;
          case 3: out += "<a href=\"#up\">up</A> and on"; break;
          default: out += texts[r.next(8)]; break;
        }
        if (r.next(8)) out += "</" + tag + ">";
        break;
      }
    }
    if (r.next(3) == 0) out += "\r\n";
  }
  if (body) out += "</body></html>\r\n";
  return out;
}

}  // namespace toc_test
