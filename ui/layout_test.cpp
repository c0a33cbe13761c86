#include "ui/layout.h"

#include <gtest/gtest.h>

TEST(ScaleLength, RoundsHalfAwayFromZeroLikeMulDiv) {
  EXPECT_EQ(scale_length(328, 96, 120), 262);   // 262.4
  EXPECT_EQ(scale_length(201, 96, 120), 161);   // 160.8
  EXPECT_EQ(scale_length(5, 96, 120), 4);       // 4.0
  EXPECT_EQ(scale_length(-13, 96, 120), -10);   // -10.4
  EXPECT_EQ(scale_length(25, 96, 120), 20);
  EXPECT_EQ(scale_length(7, 1, 2), 4);          // 3.5 goes up
  EXPECT_EQ(scale_length(-7, 1, 2), -4);
}

TEST(ScaleLength, SameResolutionOrNoDesignResolutionKeepsTheValue) {
  EXPECT_EQ(scale_length(154, 120, 120), 154);
  EXPECT_EQ(scale_length(154, 96, 0), 154);
  ui_rect r{9, 25, 392, 24};
  EXPECT_EQ(scale_rect(r, 96, 96), r);
  EXPECT_EQ(scale_rect(r, 144, 96), (ui_rect{14, 38, 588, 36}));
}

namespace {

layout_node node(int parent, align_kind align, ui_rect place) {
  layout_node n;
  n.parent = parent;
  n.align = align;
  n.place = place;
  return n;
}

}  // namespace

// The main window's shape: a filling tab control with two filling pages,
// two bands on the first page and fixed controls in the bands.
TEST(Realign, PagesFillTheTabAreaAndBandsFollowTheWidth) {
  std::vector<layout_node> nodes;
  nodes.push_back(node(-1, align_kind::client, {0, 0, 10, 10}));     // 0 tab control
  nodes[0].client = {4, 24, 4, 4};
  nodes.push_back(node(0, align_kind::client, {0, 0, 1, 1}));        // 1 page one
  nodes.push_back(node(1, align_kind::top, {3, 3, 7, 65}));          // 2 band
  nodes[2].owns_window_area = false;
  nodes.push_back(node(2, align_kind::none, {9, 25, 392, 24}));      // 3 edit in the band
  nodes.push_back(node(1, align_kind::top, {0, 0, 5, 120}));         // 4 second band
  nodes[4].owns_window_area = false;
  nodes.push_back(node(1, align_kind::none, {328, 201, 154, 24}));   // 5 button on the page
  nodes.push_back(node(0, align_kind::client, {0, 0, 1, 1}));        // 6 page two

  realign(nodes, 500, 300);
  EXPECT_EQ(nodes[0].place, (ui_rect{0, 0, 500, 300}));
  EXPECT_EQ(nodes[1].place, (ui_rect{4, 24, 492, 272}));
  EXPECT_EQ(nodes[6].place, nodes[1].place);
  EXPECT_EQ(nodes[2].place, (ui_rect{0, 0, 492, 65}));
  EXPECT_EQ(nodes[4].place, (ui_rect{0, 65, 492, 120}));
  EXPECT_EQ(nodes[3].place, (ui_rect{9, 25, 392, 24}));
  EXPECT_EQ(nodes[5].place, (ui_rect{328, 201, 154, 24}));

  // A wider window widens the bands and pages; fixed controls stay.
  realign(nodes, 700, 400);
  EXPECT_EQ(nodes[1].place, (ui_rect{4, 24, 692, 372}));
  EXPECT_EQ(nodes[4].place, (ui_rect{0, 65, 692, 120}));
  EXPECT_EQ(nodes[3].place, (ui_rect{9, 25, 392, 24}));
  EXPECT_EQ(nodes[5].place, (ui_rect{328, 201, 154, 24}));
}

TEST(Realign, AFillTakesWhatBandsAtBothEdgesLeaveWhateverTheirOrder) {
  std::vector<layout_node> nodes;
  nodes.push_back(node(-1, align_kind::top, {0, 0, 0, 57}));     // header
  nodes.push_back(node(-1, align_kind::client, {0, 0, 0, 0}));   // page, before the bottom bar
  nodes.push_back(node(-1, align_kind::client, {0, 0, 0, 0}));   // another page
  nodes.push_back(node(-1, align_kind::bottom, {0, 0, 0, 41}));  // button bar
  realign(nodes, 535, 340);
  EXPECT_EQ(nodes[0].place, (ui_rect{0, 0, 535, 57}));
  EXPECT_EQ(nodes[3].place, (ui_rect{0, 299, 535, 41}));
  EXPECT_EQ(nodes[1].place, (ui_rect{0, 57, 535, 242}));
  EXPECT_EQ(nodes[2].place, nodes[1].place);
}

TEST(Realign, AContainerSmallerThanItsBandsGivesEmptyFillsNotNegativeOnes) {
  std::vector<layout_node> nodes;
  nodes.push_back(node(-1, align_kind::top, {0, 0, 0, 80}));
  nodes.push_back(node(-1, align_kind::client, {0, 0, 0, 0}));
  realign(nodes, 0, 50);
  EXPECT_EQ(nodes[0].place.width, 0);
  EXPECT_EQ(nodes[1].place.width, 0);
  EXPECT_EQ(nodes[1].place.height, 0);
}

TEST(WindowParent, FramesLendTheirOffsetToTheirChildren) {
  std::vector<layout_node> nodes;
  nodes.push_back(node(-1, align_kind::none, {10, 20, 300, 200}));  // 0 panel
  nodes.push_back(node(0, align_kind::none, {5, 65, 290, 120}));    // 1 frame
  nodes[1].owns_window_area = false;
  nodes.push_back(node(1, align_kind::none, {3, 4, 5, 6}));         // 2 frame in frame
  nodes[2].owns_window_area = false;
  nodes.push_back(node(2, align_kind::none, {1, 1, 10, 10}));       // 3 edit
  nodes.push_back(node(-1, align_kind::none, {1, 2, 3, 4}));        // 4 on the form
  EXPECT_EQ(window_parent(nodes, 3), 0);
  EXPECT_EQ(place_in_window_parent(nodes, 3), (ui_rect{9, 70, 10, 10}));
  EXPECT_EQ(window_parent(nodes, 1), 0);
  EXPECT_EQ(place_in_window_parent(nodes, 1), nodes[1].place);
  EXPECT_EQ(window_parent(nodes, 0), -1);
  EXPECT_EQ(window_parent(nodes, 4), -1);
}
