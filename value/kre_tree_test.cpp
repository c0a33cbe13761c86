#include "value/kre_tree.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>


namespace {

struct tnode : krnode<tnode> {
  explicit tnode(std::string id_) : id(std::move(id_)) { ++live; }
  ~tnode() { --live; }
  std::string id;
  static int live;
};
int tnode::live = 0;

using ttree = kre_tree<tnode>;

// Every link must agree with its counterpart and every count with its chain;
// returns the first disagreement found.
std::string check_links(const ttree &t) {
  int top = 0;
  for (tnode *n = t.first; n; n = n->next) {
    if (n->parent) return n->id + ": top-level node with a parent";
    if (n->previous ? n->previous->next != n : n != t.first) return n->id + ": bad previous";
    ++top;
  }
  if (top != t.count) return "top-level count " + std::to_string(t.count) + " for " + std::to_string(top);
  for (tnode *n = t.first; n; n = ttree::next_in_order(n)) {
    int children = 0;
    for (tnode *c = n->first_child; c; c = c->next) {
      if (c->parent != n) return c->id + ": parent is not " + n->id;
      if (c->previous ? c->previous->next != c : c != n->first_child) return c->id + ": bad previous";
      ++children;
    }
    if (children != n->child_count)
      return n->id + ": child count " + std::to_string(n->child_count) + " for " + std::to_string(children);
  }
  return "";
}

// "a(b c) d": ids in document order, children in parentheses.
std::string shape(tnode *first) {
  std::string out;
  for (tnode *n = first; n; n = n->next) {
    if (!out.empty()) out += ' ';
    out += n->id;
    if (n->first_child) out += "(" + shape(n->first_child) + ")";
  }
  return out;
}

std::string order(const ttree &t) {
  std::string out;
  for (tnode *n = t.first; n; n = ttree::next_in_order(n)) out += n->id;
  return out;
}

// a(b(c) d) e
struct small_tree : ::testing::Test {
  ttree t;
  tnode *a = new tnode("a"), *b = new tnode("b"), *c = new tnode("c"), *d = new tnode("d"),
        *e = new tnode("e");
  void SetUp() override {
    t.append_top_level(a);
    t.append_top_level(e);
    t.append_child(b, a);
    t.append_child(d, a);
    t.append_child(c, b);
  }
  void TearDown() override {
    t.clear();
    EXPECT_EQ(tnode::live, 0);
  }
};

TEST_F(small_tree, BuildsTheShapeWithConsistentLinks) {
  EXPECT_EQ(shape(t.first), "a(b(c) d) e");
  EXPECT_EQ(check_links(t), "");
  EXPECT_EQ(a->child_count, 2);
  EXPECT_EQ(t.count, 2);
}

TEST_F(small_tree, WalksInDocumentOrder) {
  EXPECT_EQ(order(t), "abcde");
  EXPECT_EQ(ttree::next_in_order(c), d);   // leaf: sibling of its nearest ancestor
  EXPECT_EQ(ttree::next_in_order(d), e);
  EXPECT_EQ(ttree::next_in_order(e), nullptr);
  EXPECT_EQ(ttree::next_in_order(nullptr), nullptr);
  EXPECT_EQ(ttree::next_after_subtree(a), e);
  EXPECT_EQ(ttree::next_after_subtree(b), d);
  EXPECT_EQ(ttree::next_after_subtree(d), e);
}

TEST_F(small_tree, InsertsAtEveryPlace) {
  t.insert_before(new tnode("x"), b);   // before a first child
  EXPECT_EQ(a->first_child->id, "x");
  t.insert_before(new tnode("y"), a);   // before the tree's first node
  EXPECT_EQ(t.first->id, "y");
  t.insert_after(new tnode("z"), c);
  t.insert_first_child(new tnode("w"), e);
  t.insert_first_child(new tnode("v"), e);
  t.append_after_last_sibling(new tnode("u"), b);
  EXPECT_EQ(t.insert_first_top_level(new tnode("s"))->id, "s");
  EXPECT_EQ(shape(t.first), "s y a(x b(c z) d u) e(v w)");
  EXPECT_EQ(check_links(t), "");
}

TEST_F(small_tree, AppendingAtTheTopRaisesTheCountByOne) {
  tnode *f = new tnode("f");
  t.append_top_level(f);
  EXPECT_EQ(t.count, 3);
  EXPECT_EQ(e->next, f);
  EXPECT_EQ(f->previous, e);
  EXPECT_EQ(check_links(t), "");
}

TEST_F(small_tree, UnlinkKeepsChildrenAndReportsWhereTheNodeWas) {
  krunlinked<tnode> was = t.unlink(b);
  EXPECT_EQ(was.parent, a);
  EXPECT_EQ(was.next, d);
  EXPECT_EQ(a->first_child, d);
  EXPECT_EQ(a->child_count, 1);
  EXPECT_EQ(b->first_child, c);
  EXPECT_EQ(check_links(t), "");
  t.relink(b, was.parent, was.next);
  EXPECT_EQ(shape(t.first), "a(b(c) d) e");
  EXPECT_EQ(check_links(t), "");

  was = t.unlink(nullptr);
  EXPECT_EQ(was.parent, nullptr);
  EXPECT_EQ(was.next, nullptr);
}

TEST_F(small_tree, UnlinkingTheOnlyChildEmptiesTheParent) {
  t.unlink(c);
  EXPECT_EQ(b->first_child, nullptr);
  EXPECT_EQ(b->child_count, 0);
  EXPECT_EQ(check_links(t), "");
  t.relink(c, b, nullptr);
  EXPECT_EQ(shape(t.first), "a(b(c) d) e");
}

TEST_F(small_tree, UnlinkingTheFirstTopLevelNodeMovesTheFirst) {
  krunlinked<tnode> was = t.unlink(a);
  EXPECT_EQ(was.next, e);
  EXPECT_EQ(t.first, e);
  EXPECT_EQ(t.count, 1);
  EXPECT_EQ(check_links(t), "");
  t.relink(a, nullptr, nullptr);   // at the end of the top level
  EXPECT_EQ(shape(t.first), "e a(b(c) d)");
  t.relink(t.first, nullptr, nullptr);  // already first: stays, no count change
  EXPECT_EQ(t.count, 2);
  EXPECT_EQ(check_links(t), "");
}

TEST(kre_tree, RelinkIntoAnEmptyTree) {
  ttree t;
  tnode *n = new tnode("n");
  t.relink(n, nullptr, nullptr);
  EXPECT_EQ(t.first, n);
  EXPECT_EQ(t.count, 1);
  EXPECT_EQ(check_links(t), "");
}

TEST_F(small_tree, DestroySubtreeTakesTheFollowingSiblingsAndLeavesNoDanglingLink) {
  t.destroy_subtree(b);   // b, c and b's follower d
  EXPECT_EQ(tnode::live, 2);
  EXPECT_EQ(a->first_child, nullptr);
  EXPECT_EQ(a->child_count, 0);
  EXPECT_EQ(shape(t.first), "a e");
  EXPECT_EQ(check_links(t), "");
}

TEST_F(small_tree, DestroySubtreeFromAMiddleSiblingCutsTheChain) {
  tnode *f = new tnode("f");
  t.append_top_level(f);
  t.destroy_subtree(e);   // e and f
  EXPECT_EQ(shape(t.first), "a(b(c) d)");
  EXPECT_EQ(t.count, 1);
  EXPECT_EQ(check_links(t), "");
}

TEST_F(small_tree, UnlinkAndDestroyTakesOnlyTheNodesOwnSubtree) {
  t.unlink_and_destroy(b);
  EXPECT_EQ(tnode::live, 3);
  EXPECT_EQ(shape(t.first), "a(d) e");
  EXPECT_EQ(check_links(t), "");
}

TEST_F(small_tree, DestroyingFromTheFirstNodeEmptiesTheTree) {
  t.destroy_subtree(t.first);
  EXPECT_EQ(tnode::live, 0);
  EXPECT_EQ(t.first, nullptr);
  EXPECT_EQ(t.count, 0);
}

TEST(kre_tree, NullArgumentsAreIgnored) {
  ttree t;
  tnode *n = new tnode("n");
  tnode *refused = new tnode("refused");
  t.append_top_level(n);
  t.insert_before(nullptr, n);
  t.insert_before(refused, nullptr);
  t.insert_after(refused, nullptr);
  t.append_child(nullptr, n);
  t.append_child(refused, nullptr);
  t.destroy_subtree(nullptr);
  t.unlink_and_destroy(nullptr);
  EXPECT_EQ(t.insert_first_top_level(nullptr), nullptr);
  EXPECT_EQ(shape(t.first), "n");
  EXPECT_EQ(check_links(t), "");
  EXPECT_EQ(refused->parent, nullptr);
  EXPECT_EQ(refused->next, nullptr);
  delete refused;
}

struct reversed_tree : ttree {
  int32_t compare(const tnode *a, const tnode *b) const override { return b->id.compare(a->id); }
};

TEST(kre_tree, CompareIsNeutralUnlessOverridden) {
  tnode x("x"), y("y");
  ttree plain;
  reversed_tree reversed;
  const ttree &as_base = reversed;
  EXPECT_EQ(plain.compare(&x, &y), 0);
  EXPECT_GT(as_base.compare(&x, &y), 0);
}

constexpr int kMillion = 1000000;

TEST(kre_tree, AMillionTopLevelNodesAreWalkedAndDestroyedWithoutRecursion) {
  {
    ttree t;
    tnode *last = t.insert_first_top_level(new tnode(""));
    for (int i = 1; i < kMillion; ++i) {
      tnode *n = new tnode("");
      t.insert_after(n, last);
      last = n;
    }
    int walked = 0;
    for (tnode *n = t.first; n; n = ttree::next_in_order(n)) ++walked;
    EXPECT_EQ(walked, kMillion);
    EXPECT_EQ(t.count, kMillion);
    t.destroy_subtree(t.first->next);
    EXPECT_EQ(tnode::live, 1);
    EXPECT_EQ(t.count, 1);
  }
  EXPECT_EQ(tnode::live, 0);
}

TEST(kre_tree, AMillionNestingLevelsAreWalkedAndDestroyedWithoutRecursion) {
  ttree t;
  tnode *deepest = new tnode("");
  t.append_top_level(deepest);
  tnode *second = nullptr;
  for (int i = 1; i < kMillion; ++i) {
    tnode *n = new tnode("");
    t.append_child(n, deepest);
    if (i == 1) second = n;
    deepest = n;
  }
  t.append_top_level(new tnode("tail"));
  int walked = 0;
  for (tnode *n = t.first; n; n = ttree::next_in_order(n)) ++walked;
  EXPECT_EQ(walked, kMillion + 1);
  EXPECT_EQ(ttree::next_in_order(deepest)->id, "tail");   // climbs a million levels

  t.unlink_and_destroy(second);
  EXPECT_EQ(tnode::live, 2);
  EXPECT_EQ(t.first->child_count, 0);

  tnode *again = t.first;
  for (int i = 0; i < kMillion; ++i) {
    tnode *n = new tnode("");
    t.insert_first_child(n, again);
    again = n;
  }
  t.clear();
  EXPECT_EQ(tnode::live, 0);
}

}  // namespace
