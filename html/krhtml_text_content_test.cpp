// Elements whose content browsers read as text (script, style, textarea and
// their like): no tag, comment or heading is found inside them, wherever the
// input is cut, and the input still comes back byte for byte.
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "html/krhtml_test_util.h"

namespace {

using parse_test::bytes_of;
using parse_test::parse;

// The markup nodes of a page in document order, each as its raw text, with
// "+" in front of an end tag that found its element; text nodes are left out.
// Checked alike at every single cut of the input.
std::string markup_of(const std::string &html) {
  std::string expected;
  for (size_t cut = 0; cut <= html.size(); ++cut) {
    parse_test::parsed p = parse(html, cut == 0 ? std::vector<size_t>{} : std::vector<size_t>{cut});
    EXPECT_EQ(p.status, 2);
    EXPECT_EQ(parse_test::written(*p.tree), html);
    std::string markup;
    for (xml_node *n = p.tree->first->next; n; n = xml_tree::next_in_order(n)) {
      if (n->kind == XML_TEXT) continue;
      markup += markup.empty() ? "" : " ";
      markup += (n->kind == XML_END_TAG && n->closed ? "+" : "") + bytes_of(n->raw_text);
    }
    if (cut == 0) expected = markup;
    else EXPECT_EQ(markup, expected) << "cut at " << cut << " of " << html;
  }
  return expected;
}

TEST(krhtml_text_content, HeadingsInScriptsStylesAndTextAreasAreText) {
  EXPECT_EQ(markup_of("<script>var s = \"<h2>Not a heading</h2>\";</script><h1>x</h1>"),
            "<script> +</script> <h1> +</h1>");
  EXPECT_EQ(markup_of("<style>/* <h3>x</h3> */</style>"), "<style> +</style>");
  EXPECT_EQ(markup_of("<textarea><h4>typed</h4></textarea>"), "<textarea> +</textarea>");
  // The text is one node in its element, which the end tag closes as usual.
  parse_test::parsed p = parse("<script>a<b>c</scrip<</script>d", {4, 11, 20});
  xml_node *script = p.tree->first->next;
  EXPECT_EQ(script->closed, 1);
  ASSERT_EQ(parse_test::child_count(script), 2);
  EXPECT_EQ(bytes_of(script->first_child->raw_text), "a<b>c</scrip<");
  EXPECT_EQ(bytes_of(script->next->raw_text), "d");
}

TEST(krhtml_text_content, EveryTextElementEndsAtItsOwnEndTagInAnyCase) {
  for (const char *name : {"script", "style", "xmp", "iframe", "noembed", "noframes", "textarea", "title"}) {
    const std::string open = std::string("<") + name + " id=a>";
    std::string shouted = std::string("</") + name + ">";
    for (char &c : shouted) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(markup_of(open + "<h1>a</h1><!-- toc --></p>" + shouted + "<h2>"),
              open + " +" + shouted + " <h2>")
        << name;
  }
  // noscript is read as markup, as browsers do without scripting.
  EXPECT_EQ(markup_of("<noscript><h1>a</h1></noscript>"), "<noscript> <h1> +</h1> +</noscript>");
}

TEST(krhtml_text_content, OnlyTheWholeNameFollowedByABlankSlashOrGreaterThanEndsIt) {
  EXPECT_EQ(markup_of("<script>a</scrip></scripts></ script><</<//script></script\tx=1>"),
            "<script> +</script\tx=1>");
  EXPECT_EQ(markup_of("<STYLE></Style\n><style></style/><p>"), "<STYLE></Style\n> <style></style/> <p>");
  EXPECT_EQ(markup_of("<title>a</title\r\n><p>"), "<title> +</title\r\n> <p>");
  // Another element's end tag does not end it.
  EXPECT_EQ(markup_of("<textarea></title></script></textarea>"), "<textarea> +</textarea>");
}

TEST(krhtml_text_content, AnElementLeftOpenReadsToTheEnd) {
  EXPECT_EQ(markup_of("<script>x<h1>a</h1><!-- toc -->"), "<script>");
  EXPECT_EQ(markup_of("<script>x</script"), "<script>");   // an end tag cut off by the end is text
  EXPECT_EQ(markup_of("<plaintext><h1>a</h1></plaintext><p>"), "<plaintext>");
  EXPECT_EQ(parse_test::child_count(parse("<plaintext>" + std::string(5000, '<')).tree->first->next), 1);
  // As in browsers, a slash before ">" does not close it.
  EXPECT_EQ(markup_of("<script src=a.js/><h1>a</h1></script><h2>"), "<script src=a.js/> </script> <h2>");
}

TEST(krhtml_text_content, AScriptInsideACommentIsNoScript) {
  EXPECT_EQ(markup_of("<!-- <script> --><h1>a</h1>"), "<!-- <script> <h1> +</h1>");
  EXPECT_EQ(markup_of("<!--#include <script>--><h1>"), "<!--#include <script>--> <h1>");
}

}  // namespace
