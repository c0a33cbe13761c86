// Where a parsed document keeps its bytes: node texts as views of the node
// text store, attributes read from the stored tag on first use, tag names read by
// the plain-tag shortcut. Each must give what a copy would have given, for as
// long as the nodes live, whatever order the parser and the tree go in.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "html/krhtml_test_util.h"
#include "html/large_region.h"
#include "html/node_text_store.h"
#include "html/xml_node_pool.h"

namespace {

using parse_test::bytes_of;
using parse_test::describe;
using parse_test::parse;
using parse_test::written;

const std::string kPage =
    "<HTML><body class=\"main\" id=top><h2>Intro</h2>\r\n<p>one<a name=\"x\"></a>"
    "<img src=a.gif alt='pic'><!-- note --></body></html>";

xml_node *find_named(xml_tree &t, const char *name) {
  for (xml_node *n = t.first; n; n = xml_tree::next_in_order(n))
    if (n->name == name) return n;
  return nullptr;
}

TEST(node_storage, ParsedTextsAreViewsThatOutliveTheParserEitherWay) {
  const bool store_empty_before = node_text_store::blocks() == 0 && xml_node_pool::live_nodes() == 0;
  std::string expected_tree = describe(*parse(kPage).tree);
  {
    // The parser goes first (as in the file job): the nodes still see their bytes.
    parse_test::parsed p = parse(kPage, {7, 30});
    xml_node *h2 = find_named(*p.tree, "h2");
    ASSERT_NE(h2, nullptr);
    EXPECT_TRUE(h2->raw_text.is_view());
    EXPECT_EQ(written(*p.tree), kPage);
    EXPECT_EQ(describe(*p.tree), expected_tree);
  }
  if (store_empty_before) {
    EXPECT_EQ(node_text_store::blocks(), 0u);   // all returned with the last node
  }

  // The tree goes first: the parser's chunks are views too, and it can go on.
  xml_tree *tree = new xml_tree;
  tree->append_top_level(new xml_node);
  {
    krhtml parser;
    parser.set_tree(tree);
    krval chunk(kPage.data(), 20);
    parser.add(chunk);
    ASSERT_EQ(parser.step(), 0);
    delete tree;
    tree = new xml_tree;
    tree->append_top_level(new xml_node);
    parser.set_tree(tree);
    parser.current = nullptr;
    krval rest(kPage.data() + 20, static_cast<int32_t>(kPage.size() - 20));
    parser.add(rest);
    parser.mark_input_complete();
    ASSERT_EQ(parser.step(), 2);
  }
  // The token cut at byte 20 was carried over in the parser.
  EXPECT_EQ(written(*tree), kPage.substr(kPage.rfind('<', 20)));
  delete tree;
  if (store_empty_before) {
    EXPECT_EQ(node_text_store::blocks(), 0u);
  }
}

// Text and nodes share the pool's regions; a piece cut short gives its end
// to the next one, and a piece too large for a region gets its own block.
// While a parser holds the store, its regions stay even with no node alive.
TEST(node_storage, TextSharesTheNodeRegionsUntilNothingHoldsThem) {
  if (node_text_store::blocks() != 0 || xml_node_pool::live_nodes() != 0) GTEST_SKIP();
  node_text_store::hold();
  char *first = node_text_store::allocate(100);
  ASSERT_NE(first, nullptr);
  std::memset(first, 'a', 10);
  node_text_store::shorten_latest(first, 100, 10);
  char *second = node_text_store::allocate(5);
  EXPECT_EQ(second, first + 10);
  EXPECT_EQ(node_text_store::blocks(), 1u);

  xml_node *node = new xml_node;   // from the same region
  EXPECT_EQ(node_text_store::blocks(), 1u);
  char *large = node_text_store::allocate(1 << 20);
  ASSERT_NE(large, nullptr);
  large[(1 << 20) - 1] = 'z';
  EXPECT_EQ(node_text_store::blocks(), 2u);

  delete node;   // the parser still holds the store: its bytes stay
  EXPECT_EQ(first[9], 'a');
  EXPECT_EQ(node_text_store::blocks(), 2u);
  node_text_store::let_go();
  EXPECT_EQ(node_text_store::blocks(), 0u);
  EXPECT_EQ(xml_node_pool::regions(), 0u);
}

// With regions faulted in ahead, the nodes get the reserved pages, stay
// intact when the reserve ends while they live, and every region goes back
// once they are gone. The helper faults in no page beyond the reserve.
TEST(node_storage, PrefaultedRegionsServeTheNodesAndOutliveTheReserve) {
  if (node_text_store::blocks() != 0 || xml_node_pool::live_nodes() != 0) GTEST_SKIP();
  std::vector<xml_node *> nodes;
  auto fill = [&](std::size_t regions_wanted) {
    while (xml_node_pool::regions() < regions_wanted) {
      xml_node *n = new xml_node;
      n->kind = static_cast<int8_t>(nodes.size() % 19);
      nodes.push_back(n);
    }
  };
  const std::size_t reserved = 4;
  {
    large_region::prefaulting ahead(reserved * 2 * 1024 * 1024);
    fill(2);   // the first regions are small ones, whatever the reserve
    EXPECT_EQ(large_region::prefaulting::pages_taken(), 0u);
    fill(2 + reserved + 2);   // past the reserve: mapped one by one as before
    if (large_region::prefaulting::pages_taken() == 0) {
      for (xml_node *n : nodes) delete n;
      GTEST_SKIP() << "regions are small in this build";
    }
    EXPECT_EQ(large_region::prefaulting::pages_taken(), reserved);
    EXPECT_LE(large_region::prefaulting::pages_faulted_ahead(), reserved);
  }
  fill(2 + reserved + 3);   // the pool goes on after the reserve is over
  for (std::size_t i = 0; i < nodes.size(); ++i)
    ASSERT_EQ(nodes[i]->kind, static_cast<int8_t>(i % 19)) << i;
  for (xml_node *n : nodes) delete n;
  EXPECT_EQ(xml_node_pool::live_nodes(), 0u);
  EXPECT_EQ(xml_node_pool::regions(), 0u);

  // A reserve that is never used only maps and gives back; so does a second
  // one while the first lives, which is refused.
  {
    large_region::prefaulting unused(8 * 1024 * 1024);
    large_region::prefaulting second(8 * 1024 * 1024);
  }
  xml_node *n = new xml_node;
  EXPECT_EQ(large_region::prefaulting::pages_taken(), 0u);
  delete n;
}

// A reserve takes a run of free slots of the arena, which grows back as the
// documents go: a long batch of large pages keeps getting its reserves
// (these 300 take more slots than the arena has).
TEST(node_storage, ReservesKeepComingInALongBatch) {
  if (node_text_store::blocks() != 0 || xml_node_pool::live_nodes() != 0) GTEST_SKIP();
  for (int page = 0; page < 300; ++page) {
    large_region::prefaulting ahead(32 * 2 * 1024 * 1024);
    std::vector<xml_node *> nodes;
    while (xml_node_pool::regions() < 3) nodes.push_back(new xml_node);
    const std::size_t taken = large_region::prefaulting::pages_taken();
    for (xml_node *n : nodes) delete n;
    if (page == 0 && taken == 0) GTEST_SKIP() << "regions are small in this build";
    ASSERT_EQ(taken, 1u) << page;
  }
}

// Nodes link to nodes in other regions of every sort (small, faulted in
// ahead, huge pages), and again once all regions went back and came anew.
TEST(node_storage, LinksReachAcrossRegions) {
  if (node_text_store::blocks() != 0 || xml_node_pool::live_nodes() != 0) GTEST_SKIP();
  for (int round = 0; round < 2; ++round) {
    large_region::prefaulting ahead(2 * 2 * 1024 * 1024);
    xml_tree t;
    std::vector<xml_node *> nodes{new xml_node};
    t.append_top_level(nodes[0]);
    while (xml_node_pool::regions() < 7) {   // a heap's shape: parents far behind, in older regions
      nodes.push_back(new xml_node);
      t.append_child(nodes.back(), nodes[(nodes.size() - 2) / 2]);
    }
    std::size_t walked = 0;
    for (xml_node *n = t.first; n; n = xml_tree::next_in_order(n)) ++walked;
    EXPECT_EQ(walked, nodes.size());
    for (std::size_t i = 1; i < nodes.size(); ++i) {
      const xml_node *parent = nodes[(i - 1) / 2], *n = nodes[i];
      ASSERT_EQ(static_cast<const xml_node *>(n->parent), parent) << i;
      const bool first = i % 2 == 1;
      ASSERT_EQ(static_cast<const xml_node *>(first ? parent->first_child : n->previous),
                first ? n : nodes[i - 1]) << i;
      ASSERT_EQ(static_cast<const xml_node *>(n->next), first && i + 1 < nodes.size() ? nodes[i + 1] : nullptr)
          << i;
    }
  }
  EXPECT_EQ(xml_node_pool::live_nodes(), 0u);
  EXPECT_EQ(xml_node_pool::regions(), 0u);
}

TEST(node_storage, TokensAcrossChunksAreCopiesAndChangesNeverReachTheSource) {
  // Cut inside "<h2>" and inside the anchor's end tag.
  const size_t in_h2 = kPage.find("<h2>") + 2;
  const size_t in_end_a = kPage.find("</a>") + 2;
  parse_test::parsed p = parse(kPage, {in_h2, in_end_a});
  xml_node *h2 = find_named(*p.tree, "h2");
  ASSERT_NE(h2, nullptr);
  EXPECT_FALSE(h2->raw_text.is_view());
  EXPECT_EQ(bytes_of(h2->raw_text), "<h2>");

  // <a name="x"></a> is one element: one view when its two tags stand
  // together, a copy when a chunk ends between them.
  xml_node *a = find_named(*p.tree, "a");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->kind, XML_ELEMENT);
  EXPECT_EQ(bytes_of(a->raw_text), "<a name=\"x\"></a>");
  parse_test::parsed whole = parse(kPage);
  xml_node *a_whole = find_named(*whole.tree, "a");
  ASSERT_NE(a_whole, nullptr);
  EXPECT_TRUE(a_whole->raw_text.is_view());
  EXPECT_EQ(bytes_of(a_whole->raw_text), "<a name=\"x\"></a>");

  // Changing one node's text leaves every other node's bytes as they were.
  xml_node *body = find_named(*whole.tree, "body");
  ASSERT_NE(body, nullptr);
  ASSERT_TRUE(body->raw_text.append("<!-- added -->", 14));
  std::string capital = a_whole->raw_text.str();
  capital[1] = 'A';
  ASSERT_TRUE(a_whole->raw_text.assign(capital.data(), static_cast<int32_t>(capital.size())));
  std::string expected = kPage;
  expected.insert(kPage.find("<h2>"), "<!-- added -->");
  expected[expected.find("<a name")+1] = 'A';
  EXPECT_EQ(written(*whole.tree), expected);
}

TEST(node_storage, KeptTagsGiveTheMapTheReaderBuilds) {
  const char *tags[] = {
      "<p", "<a href=x", "<img SRC = \"a b\" alt='q' src=dup", "<td nowrap width=3 nowrap",
      "<x a= b=c \"stray\" =d e", "<br/", "<input value=\"\">",
  };
  for (const char *tag : tags) {
    const int32_t length = static_cast<int32_t>(std::strlen(tag));
    krtag_reader reader;
    krval name;
    krhash direct;
    reader.read(tag, length, name, &direct);

    xml_node node;
    ASSERT_TRUE(node.attributes().keep_tag(tag, length));
    EXPECT_EQ(node.attributes().count(), direct.count()) << tag;
    krval key, value, expected_key, expected_value;
    node.attributes().begin_iteration();
    direct.begin_iteration();
    while (direct.next(expected_key, expected_value)) {
      ASSERT_TRUE(node.attributes().next(key, value)) << tag;
      EXPECT_EQ(key.str(), expected_key.str()) << tag;
      EXPECT_EQ(value.str(), expected_value.str()) << tag;
    }
    EXPECT_FALSE(node.attributes().next(key, value)) << tag;
  }

  // A map written before the tag is kept: the tag's entries join it, and
  // as among the tag's own, the first of a name counts.
  xml_node written_first;
  written_first.attributes().set(krval("id"), krval("early"));
  ASSERT_TRUE(written_first.attributes().keep_tag("<p class=c id=late", 18));
  krval value;
  EXPECT_EQ(written_first.attributes().count(), 2);
  EXPECT_TRUE(written_first.attributes().get(krval("id"), value));
  EXPECT_EQ(value.str(), "early");

  // A parsed tag becomes its map; writing adds to the same map.
  parse_test::parsed p = parse(kPage);
  xml_node *body = find_named(*p.tree, "body");
  ASSERT_NE(body, nullptr);
  EXPECT_TRUE(body->attributes().get(krval("id"), value));
  EXPECT_EQ(value.str(), "top");
  body->attributes().set(krval("lang"), krval("en"));
  EXPECT_EQ(body->attributes().count(), 3);
  EXPECT_TRUE(body->attributes().has(krval("class")));
  xml_node *h2 = find_named(*p.tree, "h2");
  EXPECT_EQ(h2->attributes().count(), 0);
  EXPECT_EQ(h2->attributes().find_map(), nullptr);
}

// A tag cut by a chunk boundary is a copy, not a view: its attributes must
// still come from bytes that stay, whatever becomes of the node's text.
TEST(node_storage, TagsAcrossChunksKeepTheirAttributes) {
  const std::string page = "<p>x</p><img src=\"picture.gif\" alt='A B'>tail";
  const size_t cut = page.find("picture") + 3;
  parse_test::parsed p = parse(page, {cut});
  xml_node *img = find_named(*p.tree, "img");
  ASSERT_NE(img, nullptr);
  EXPECT_FALSE(img->raw_text.is_view());
  img->raw_text = "<img>";   // the text changes before the map is first read
  krval value;
  EXPECT_TRUE(img->attributes().get(krval("src"), value));
  EXPECT_EQ(value.str(), "picture.gif");
  EXPECT_TRUE(img->attributes().get(krval("alt"), value));
  EXPECT_EQ(value.str(), "A B");
  EXPECT_EQ(describe(*p.tree, false), describe(*parse(page).tree, false));
}

// A name too long for a region is kept apart, yet read and matched as any.
TEST(node_storage, NamesLongerThanARegionMatchTheirEndTags) {
  const std::string name(300000, 'q');
  const std::string page = "<body><" + name + ">x</" + name + "><h2>y</h2></body>";
  parse_test::parsed p = parse(page, {7, 150000});
  xml_node *element = find_named(*p.tree, name.c_str());
  ASSERT_NE(element, nullptr);
  EXPECT_EQ(element->closed, 1);
  EXPECT_EQ(static_cast<xml_node *>(element->parent), find_named(*p.tree, "body"));
  EXPECT_EQ(written(*p.tree), page);
}

// A plain tag ("<p", "</td") is read by a shortcut; a blank after it sends
// the same bytes down the general reading, which must name it alike.
TEST(node_storage, PlainTagNamesMatchTheGeneralReading) {
  const char alphabet[] = "<</!aZq9-._:= \"'x\x80\x00";
  std::mt19937 random(7);
  for (int round = 0; round < 20000; ++round) {
    std::string tag(1 + random() % 8, ' ');
    for (char &c : tag) c = alphabet[random() % (sizeof alphabet - 1)];
    std::string general = tag + " ";
    krtag_reader reader;
    krval name, general_name;
    reader.read(tag.data(), static_cast<int32_t>(tag.size()), name, static_cast<attribute_sink *>(nullptr));
    reader.read(general.data(), static_cast<int32_t>(general.size()), general_name,
                static_cast<attribute_sink *>(nullptr));
    ASSERT_EQ(name.str(), general_name.str()) << parse_test::escaped(tag);
  }
}

}  // namespace
