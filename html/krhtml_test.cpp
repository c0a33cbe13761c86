#include "html/krhtml.h"

#include <gtest/gtest.h>
#include <utility>

#include "html/krhtml_test_util.h"

namespace {

using parse_test::describe;
using parse_test::parse;
using parse_test::written;

// The tree of one input, without the root line every tree starts with.
std::string tree_of(const std::string &html) {
  parse_test::parsed p = parse(html);
  EXPECT_EQ(p.status, 2) << html;
  EXPECT_EQ(written(*p.tree), html);
  EXPECT_TRUE(parse_test::links_consistent(*p.tree));
  std::string d = describe(*p.tree);
  const std::string root = "0 k-1 c0 ||\n";
  EXPECT_EQ(d.compare(0, root.size(), root), 0);
  return d.substr(root.size());
}

TEST(krhtml_tags, NamesAndAttributeNamesAreLowerCasedValuesKeptAsWritten) {
  EXPECT_EQ(tree_of("<P CLASS=Intro>"), "0 k1 c0 <p> class=\"Intro\" |<P CLASS=Intro>|\n");
  EXPECT_EQ(tree_of("</DIV >"), "0 k2 c0 <div> |</DIV >|\n");
}

// A name is its name bytes, lower-cased, whether the tag holds nothing else
// or a byte further on makes it one to read in full.
TEST(krhtml_tags, NamesAreReadAlikeInPlainAndOtherTags) {
  const std::pair<const char *, const char *> tags[] = {
      {"<H1:X_y-2.3>", "0 k1 c0 <h1:x_y-2.3> |<H1:X_y-2.3>|\n"},
      {"<Ab\x01" "c>", "0 k1 c0 <abc> |<Ab\\x01c>|\n"},
      {"</TD\x7f>", "0 k2 c0 <td> |</TD\\x7f>|\n"},
      {"<DIV\xe9>", "0 k1 c0 <div> |<DIV\\xe9>|\n"},
      {"<P =x>", "0 k1 c0 <p> =\"x\" |<P =x>|\n"},
      {"</a b>", "0 k2 c0 <a> |</a b>|\n"},
      {"<Q/>", "0 k3 c1 <q> |<Q/>|\n"},
      {"<p9>", "0 k1 c0 <p9> |<p9>|\n"},
      {"<_X>", "0 k1 c0 <_x> |<_X>|\n"},
      {"</:>", "0 k2 c0 <:> |</:>|\n"},
      {"<-x>", "0 k18 c1 |<-x>|\n"},
  };
  for (const auto &[tag, tree] : tags) EXPECT_EQ(tree_of(tag), tree) << tag;
}

TEST(krhtml_tags, VoidElementsAndSlashClosedTagsAreComplete) {
  EXPECT_EQ(tree_of("<br><br/><img src=x><META name=x><p/>"),
            "0 k3 c1 <br> |<br>|\n"
            "0 k3 c1 <br> |<br/>|\n"
            "0 k3 c1 <img> src=\"x\" |<img src=x>|\n"
            "0 k3 c1 <meta> name=\"x\" |<META name=x>|\n"
            "0 k3 c1 <p> |<p/>|\n");
  for (const char *name : {"area", "br", "basefont", "base", "col", "frame", "hr", "img", "input",
                           "isindex", "link", "meta", "param"})
    EXPECT_EQ(tree_of(std::string("<") + name + ">").substr(0, 5), "0 k3 ") << name;
  for (const char *name : {"b", "ar", "hb", "cor", "im", "aref", "bas", "mesa", "lint", "frames",
                           "inpux", "paras", "isindey", "basefonts", "col2"})
    EXPECT_EQ(tree_of(std::string("<") + name + ">").substr(0, 5), "0 k1 ") << name;
  // Only the exact names are void; "/" must be the byte before ">".
  EXPECT_EQ(tree_of("<brx><p / >"),
            "0 k1 c0 <brx> |<brx>|\n"
            "1 k1 c0 <p> |<p / >|\n");
}

TEST(krhtml_tags, AStartTagClosedAtOnceBecomesOneCompleteElement) {
  EXPECT_EQ(tree_of("<a name=\"x\"></a><td></TD>"),
            "0 k3 c1 <a> name=\"x\" |<a name=\"x\"></a>|\n"
            "0 k3 c1 <td> |<td></TD>|\n");
}

TEST(krhtml_tags, AnUnfinishedTagAtTheEndIsText) {
  EXPECT_EQ(tree_of("x<p class"), "0 k18 c1 |x<p class|\n");   // one text with the text before it
}

TEST(krhtml_tags, TheFirstGreaterThanEndsATagEvenInQuotes) {
  EXPECT_EQ(tree_of("<a title=\"x>y\">"),
            "0 k1 c0 <a> title=\"x\" |<a title=\"x>|\n"
            "1 k18 c1 |y\">|\n");
}

TEST(krhtml_tags, ALessThanInsideATagIsContent) {
  EXPECT_EQ(tree_of("<a<b>"), "0 k1 c0 <ab> |<a<b>|\n");
}

TEST(krhtml_attributes, ValuelessBlanksAroundEqualsQuotesAndDuplicates) {
  EXPECT_EQ(tree_of("<td nowrap>"), "0 k1 c0 <td> nowrap=\"\" |<td nowrap>|\n");
  EXPECT_EQ(tree_of("<a href = \"x\">"), "0 k1 c0 <a> href=\"x\" |<a href = \"x\">|\n");
  EXPECT_EQ(tree_of("<a b='1 2' c=\"'\" B=3 d>"),
            "0 k1 c0 <a> b=\"1 2\" c=\"'\" d=\"\" |<a b='1 2' c=\"'\" B=3 d>|\n");
  EXPECT_EQ(tree_of("<a x=\"unterminated>"), "0 k1 c0 <a> x=\"unterminated\" |<a x=\"unterminated>|\n");
  // Values run to a blank; quotes mid-value replace what came before.
  EXPECT_EQ(tree_of("<a href=p/q.html#r-1 v=ab\"cd\">"),
            "0 k1 c0 <a> href=\"p/q.html#r-1\" v=\"cd\" |<a href=p/q.html#r-1 v=ab\"cd\">|\n");
}

TEST(krhtml_attributes, BytesOutsideWordsAreIgnored) {
  // A word cannot start with a digit; "=" before the element name is done is
  // skipped; a quoted run outside a value is skipped whole.
  EXPECT_EQ(tree_of("<a 9x=1 y>"), "0 k1 c0 <a> x=\"1\" y=\"\" |<a 9x=1 y>|\n");
  EXPECT_EQ(tree_of("<a=b c>"), "0 k1 c0 <ab> c=\"\" |<a=b c>|\n");
  EXPECT_EQ(tree_of("<a \"q r\" s>"), "0 k1 c0 <a> s=\"\" |<a \"q r\" s>|\n");
  EXPECT_EQ(tree_of("<h1\t\r\nid=\xe9t\xe9>"), "0 k1 c0 <h1> id=\"\\xe9t\\xe9\" |<h1\\x09\\x0d\\x0aid=\\xe9t\\xe9>|\n");
}

TEST(krhtml_attributes, EndTagsYieldOnlyTheirName) {
  EXPECT_EQ(tree_of("</p class=x>"), "0 k2 c0 <p> |</p class=x>|\n");
  EXPECT_EQ(tree_of("</>"), "0 k2 c0 |</>|\n");
}

TEST(krhtml_tokens, CommentsEndAtTheFirstGreaterThanIncludesAtTheirCloser) {
  EXPECT_EQ(tree_of("<!-- a > b -->"), "0 k5 c1 |<!-- a >|\n0 k18 c1 | b -->|\n");
  EXPECT_EQ(tree_of("<!--#include file=x -->"), "0 k14 c1 |<!--#include file=x -->|\n");
  EXPECT_EQ(tree_of("<!--#a>b-->c"), "0 k14 c1 |<!--#a>b-->|\n0 k18 c1 |c|\n");
  EXPECT_EQ(tree_of("<!-->"), "0 k5 c1 |<!-->|\n");
  EXPECT_EQ(tree_of("<!--#-->"), "0 k14 c1 |<!--#-->|\n");
  EXPECT_EQ(tree_of("<!--#->"), "0 k18 c1 |<!--#->|\n");   // "-->" must not overlap "<!--#"
}

TEST(krhtml_tokens, DeclarationsInstructionsAndLoneLessThanStayText) {
  EXPECT_EQ(tree_of("<!DOCTYPE html>"), "0 k18 c1 |<!DOCTYPE html>|\n");
  EXPECT_EQ(tree_of("<?xml version=1.0?>"), "0 k18 c1 |<?xml version=1.0?>|\n");
  EXPECT_EQ(tree_of("a < b"), "0 k18 c1 |a < b|\n");   // texts side by side are one node
  EXPECT_EQ(tree_of("<<<<"), "0 k18 c1 |<<<<|\n");
  EXPECT_EQ(tree_of("<![CDATA[<p>]]>"), "0 k18 c1 |<![CDATA[|\n0 k1 c0 <p> |<p>|\n1 k18 c1 |]]>|\n");
  for (const char *text : {"<!ELEMENT x>", "<!ENTITY x>", "<!ATTLIST x>", "<%= x %>", "<#x>", "<!x>",
                           "<!-x>", "<!doctype x>", "<1>", "<!DOCTYPX>"})
    EXPECT_EQ(tree_of(text), "0 k18 c1 |" + std::string(text) + "|\n") << text;
}

TEST(krhtml_tokens, AGreaterThanBeforeClassificationEndsKeepsTheKindReached) {
  EXPECT_EQ(tree_of("<>"), "0 k15 c1 |<>|\n");
  EXPECT_EQ(tree_of("<!>"), "0 k4 c1 |<!>|\n");
  EXPECT_EQ(tree_of("<!DOC>"), "0 k4 c1 |<!DOC>|\n");
}

TEST(krhtml_tokens, CharacterReferencesStayAsWritten) {
  EXPECT_EQ(tree_of("&amp;&lt;p&gt;<b title=&quot;>"),
            "0 k18 c1 |&amp;&lt;p&gt;|\n0 k1 c0 <b> title=\"&quot;\" |<b title=&quot;>|\n");
}

TEST(krhtml_nesting, UnclosedStartTagsNest) {
  EXPECT_EQ(tree_of("<p>a<p>b"),
            "0 k1 c0 <p> |<p>|\n"
            "1 k18 c1 |a|\n"
            "1 k1 c0 <p> |<p>|\n"
            "2 k18 c1 |b|\n");
}

TEST(krhtml_nesting, AnEndTagClosesItsAncestorAndFollowsItsContent) {
  EXPECT_EQ(tree_of("<div><p>x</div>y"),
            "0 k1 c1 <div> |<div>|\n"
            "1 k1 c0 <p> |<p>|\n"
            "2 k18 c1 |x|\n"
            "1 k2 c1 <div> |</div>|\n"
            "0 k18 c1 |y|\n");
  // Several levels up; what follows belongs to the closed element's parent.
  EXPECT_EQ(tree_of("<ul><li><b>x</ul><p>"),
            "0 k1 c1 <ul> |<ul>|\n"
            "1 k1 c0 <li> |<li>|\n"
            "2 k1 c0 <b> |<b>|\n"
            "3 k18 c1 |x|\n"
            "1 k2 c1 <ul> |</ul>|\n"
            "0 k1 c0 <p> |<p>|\n");
  // An open start tag of another name does not stop the climb.
  EXPECT_EQ(tree_of("<div><p></div>"),
            "0 k1 c1 <div> |<div>|\n"
            "1 k1 c0 <p> |<p>|\n"
            "1 k2 c1 <div> |</div>|\n");
}

TEST(krhtml_nesting, AnUnmatchedEndTagStaysOpenWhereItStands) {
  EXPECT_EQ(tree_of("</x>z"), "0 k2 c0 <x> |</x>|\n0 k18 c1 |z|\n");
  EXPECT_EQ(tree_of("<p></x>z"),   // right after a start tag it is its child
            "0 k1 c0 <p> |<p>|\n"
            "1 k2 c0 <x> |</x>|\n"
            "1 k18 c1 |z|\n");
  // A closed element is not matched twice.
  EXPECT_EQ(tree_of("<b><i>x</b></b>y"),
            "0 k1 c1 <b> |<b>|\n"
            "1 k1 c0 <i> |<i>|\n"
            "2 k18 c1 |x|\n"
            "1 k2 c1 <b> |</b>|\n"
            "0 k2 c0 <b> |</b>|\n"
            "0 k18 c1 |y|\n");
}

TEST(krhtml_nesting, MatchedElementsInSequence) {
  EXPECT_EQ(tree_of("<ul><li>a</li><li>b</li></ul>"),
            "0 k1 c1 <ul> |<ul>|\n"
            "1 k1 c1 <li> |<li>|\n"
            "2 k18 c1 |a|\n"
            "2 k2 c1 <li> |</li>|\n"
            "1 k1 c1 <li> |<li>|\n"
            "2 k18 c1 |b|\n"
            "2 k2 c1 <li> |</li>|\n"
            "1 k2 c1 <ul> |</ul>|\n");
}

TEST(krhtml, ContentGoesAfterTheRootNode) {
  xml_tree tree;
  xml_node *root = new xml_node;
  tree.append_top_level(root);
  krhtml parser;
  parser.set_tree(&tree);
  krval chunk("<html><body>x</body></html>");
  parser.add(chunk);
  EXPECT_EQ(parser.step(), 0);
  EXPECT_EQ(tree.count, 2);   // the root and html
  parser.mark_input_complete();
  EXPECT_EQ(parser.step(), 2);
  EXPECT_EQ(parser.step(), 2);   // nothing more
  EXPECT_EQ(tree.first, root);
  EXPECT_EQ(root->first_child, nullptr);
  EXPECT_EQ(root->next->name.str(), "html");
  EXPECT_EQ(root->next->closed, 1);
}

// The landmarks are the nodes the caller's test accepts, asked as each is
// attached (a start tag that a later end tag makes a complete element is
// asked as a start tag), in document order, wherever the chunks were cut.
TEST(krhtml, LandmarksAreTheNodesTheCallerAsksForInDocumentOrder) {
  const std::string page =
      "<!-- first --><HTML><BODY class=x><h1>A</h1><H2/><hr><br><h7>x</h7><h2></h2>"
      "<head><p>t<!--#include file=y --><hx>z<bodyx><h12>n</h12><!---->";
  const krhtml::node_test start_tags_and_comments = [](const xml_node &n) {
    return n.kind == XML_START_TAG || n.kind == XML_COMMENT;
  };
  for (const std::vector<size_t> &cuts : {std::vector<size_t>{}, std::vector<size_t>{3, 20, 21, 40, 77}}) {
    auto r = parse(page, cuts, true, start_tags_and_comments);
    ASSERT_EQ(r.status, 2);
    std::vector<std::string> seen;
    for (xml_node *n : r.landmarks) seen.push_back(parse_test::bytes_of(n->raw_text));
    EXPECT_EQ(seen, (std::vector<std::string>{"<!-- first -->", "<HTML>", "<BODY class=x>", "<h1>", "<h7>",
                                              "<h2></h2>", "<head>", "<p>", "<hx>", "<bodyx>", "<h12>",
                                              "<!---->"}));
    // Each is a node of the tree, met in the same order by a walk.
    size_t next = 0;
    for (xml_node *n = r.tree->first; n && next < r.landmarks.size(); n = xml_tree::next_in_order(n))
      if (n == r.landmarks[next]) ++next;
    EXPECT_EQ(next, r.landmarks.size());
  }
}

TEST(krhtml, WithoutATreeStepsReportTheFailure) {
  krhtml parser;
  krval chunk("text<p>");
  parser.add(chunk);
  EXPECT_EQ(parser.step(), 3);
  EXPECT_EQ(parser.token.str(), "text");   // kept for a retry
}

TEST(krsgml, TheBareTokenizerEmitsNothingAndFinishes) {
  krsgml tokenizer;
  EXPECT_EQ(tokenizer.size_limit, 65536);
  krval chunk("a<b>c");
  tokenizer.add(chunk);
  EXPECT_EQ(tokenizer.step(), 0);
  EXPECT_EQ(tokenizer.kind, 1);
  tokenizer.mark_input_complete();
  EXPECT_EQ(tokenizer.step(), 2);
}

}  // namespace
