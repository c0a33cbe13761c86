// xml_node: the parsed document's node record, its attributes, and the
// pool its nodes come from.
#include "html/xml_node.h"

#include <gtest/gtest.h>
#include <string>
#include "html/xml_node_pool.h"

namespace {

TEST(xml_node, StartsAsAnEmptyRootRecord) {
  xml_node n;
  EXPECT_EQ(n.kind, -1);
  EXPECT_EQ(n.closed, 0);
  EXPECT_TRUE(n.name.empty());
  EXPECT_EQ(n.raw_text.length(), 0);
  EXPECT_EQ(n.raw_text.bytes(), nullptr);   // no storage
  EXPECT_EQ(xml_node::spare().tag, KR_TEXT);
  EXPECT_EQ(xml_node::spare().text_length(), 0);
  EXPECT_EQ(n.parent, nullptr);
  EXPECT_EQ(n.first_child, nullptr);
  EXPECT_EQ(n.attributes().count(), 0);
  EXPECT_EQ(n.attributes().find_map(), nullptr);
}

TEST(xml_node, AttributesBehaveAsAnOrderedMap) {
  xml_node n;
  krval key("href"), value("x");
  krval out("stale");
  EXPECT_FALSE(n.attributes().get(key, out));
  EXPECT_EQ(out.tag, KR_INT);
  EXPECT_EQ(out.as_int(), 0);
  krval k, v;
  n.attributes().begin_iteration();
  EXPECT_FALSE(n.attributes().next(k, v));

  n.attributes().set(krval("title"), krval("t"));
  n.attributes().set(key, value);
  n.attributes().set(key, krval("y"));
  EXPECT_EQ(n.attributes().count(), 2);
  ASSERT_TRUE(n.attributes().get(key, out));
  EXPECT_TRUE(out == "y");
  n.attributes().begin_iteration();
  ASSERT_TRUE(n.attributes().next(k, v));
  EXPECT_TRUE(k == "href");
  ASSERT_TRUE(n.attributes().next(k, v));
  EXPECT_TRUE(k == "title");
  EXPECT_FALSE(n.attributes().next(k, v));

  krhash more;
  more.set(krval("a"), krval("1"));
  xml_node m;
  m.attributes().take_entries(more);
  EXPECT_EQ(m.attributes().count(), 1);
  EXPECT_EQ(more.count(), 0);
}

TEST(xml_node, PooledNodesAreReusedAndReturnedWithTheLast) {
  const size_t live_before = xml_node_pool::live_nodes();
  {
    xml_tree t;
    xml_node *last = t.insert_first_top_level(new xml_node);
    for (int i = 0; i < 200000; ++i) {
      xml_node *n = new xml_node;
      t.insert_after(n, last);
      last = n;
    }
    EXPECT_EQ(xml_node_pool::live_nodes(), live_before + 200001);
    // Freed storage is handed out again.
    xml_node *second = t.first->next;
    t.unlink_and_destroy(second);
    xml_node *again = new xml_node;
    EXPECT_EQ(again, second);
    t.insert_after(again, t.first);
  }
  EXPECT_EQ(xml_node_pool::live_nodes(), live_before);
  if (live_before == 0) {
    EXPECT_EQ(xml_node_pool::regions(), 0u);   // all returned with the last node
  }
  xml_node *n = new (std::nothrow) xml_node;
  ASSERT_NE(n, nullptr);
  delete n;
}

// A node's bytes, in place or in a record, seen or its own, against a
// plain string, across the length where they stop fitting in place; a
// tag's attributes stay those of the bytes it had when they were kept.
TEST(xml_node, BytesFollowEveryChangeAcrossTheirForms) {
#if QUENBY_NODE_ARENA
  EXPECT_EQ(sizeof(xml_node), 28u);
#endif
  const std::string source = "<p class=c id=x>" + std::string(600, 'y');
  uint32_t state = 7;
  auto next = [&](uint32_t below) { return ((state = state * 1103515245u + 12345u) >> 8 & 0xffffff) % below; };
  for (int round = 0; round < 40; ++round) {
    xml_node n;
    std::string model;
    const bool tag = round % 2 == 0;
    if (tag) {
      ASSERT_TRUE(n.raw_text.borrow(source.data(), 17));
      ASSERT_TRUE(n.attributes().keep_tag(n.raw_text.bytes(), 15));
      model = source.substr(0, 17);
    }
    for (int step = 0; step < 12; ++step) {
      const int32_t length = static_cast<int32_t>(next(2) ? 250 + next(10) : next(600));
      switch (next(3)) {
        case 0: ASSERT_TRUE(n.raw_text.borrow(source.data(), length)); model = source.substr(0, length); break;
        case 1: ASSERT_TRUE(n.raw_text.assign(source.data() + 1, length)); model = source.substr(1, length); break;
        default: ASSERT_TRUE(n.raw_text.append(source.data(), length)); model += source.substr(0, length); break;
      }
      ASSERT_EQ(n.raw_text.str(), model);
      ASSERT_EQ(n.raw_text.length(), static_cast<int32_t>(model.size()));
    }
    krval value;
    EXPECT_EQ(n.attributes().get(krval("id"), value), tag);
    if (tag) {
      EXPECT_EQ(value.str(), "x");
    }
  }
}

struct larger_node : xml_node {
  char extra[512];
};

TEST(xml_node, RecordsLargerThanANodeUseTheGeneralAllocator) {
  const size_t live_before = xml_node_pool::live_nodes();
  larger_node *n = new larger_node;
  EXPECT_EQ(xml_node_pool::live_nodes(), live_before);
  delete n;
}

TEST(xml_node, DocumentTreesFreeTheirNodes) {
  xml_tree t;
  xml_node *root = new xml_node;
  t.append_top_level(root);
  xml_node *p = new xml_node;
  p->kind = XML_START_TAG;
  p->attributes().set(krval("class"), krval("x"));
  t.append_child(p, root);
  t.append_child(new xml_node, p);
  EXPECT_EQ(xml_tree::next_in_order(xml_tree::next_in_order(root)), p->first_child);
}   // leak checkers see the tree's destructor free all three

}  // namespace
