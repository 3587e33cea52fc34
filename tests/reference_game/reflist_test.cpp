// The reference's list must walk the way the game's lists are defined to, or every
// comparison built on it would prove nothing.
#include <gtest/gtest.h>

#include <vector>

#include "reference_game.h"

namespace {

using refgame::RefList;

struct Node {
  int v;
  RefList<Node>::Link* link = nullptr;
};

std::shared_ptr<Node> Add(RefList<Node>& list, int v) {
  auto n = std::make_shared<Node>(Node{v});
  n->link = list.AddLast(n);
  return n;
}

TEST(RefList, WalkSurvivesRemovingTheCurrentElementAndSeesAppendsBeforeTheEnd) {
  RefList<Node> list;
  for (int v = 1; v <= 3; ++v) Add(list, v);
  std::vector<int> seen;
  list.Walk([&](const std::shared_ptr<Node>& n) {
    seen.push_back(n->v);
    if (n->v == 1) Add(list, 10);         // not the last element: visited in this walk
    if (n->v == 2) list.Remove(n->link);  // the walk goes on with 3
    if (n->v == 10) Add(list, 20);        // the last element: not visited
  });
  EXPECT_EQ(seen, (std::vector<int>{1, 2, 3, 10}));
  seen.clear();
  list.Walk([&](const std::shared_ptr<Node>& n) { seen.push_back(n->v); });
  EXPECT_EQ(seen, (std::vector<int>{1, 3, 10, 20}));
  EXPECT_EQ(list.Count(), 4);
}

TEST(ScriptInput, KeysStayHeldPressesCountOnlyFromUpAndThePointerLastsOneFrame) {
  refgame::ScriptInput in(
      "# comment\n0 down 87\n0 pointer -4\n1 down 27\n1 up 27\n2 down 27\n3 down 27\n"
      "3 down mouse1\n4 up 87\n",
      801);
  refgame::FrameInput f = in.Next();
  EXPECT_TRUE(f.held[87]);
  EXPECT_EQ(f.pointerX, 396);
  EXPECT_FALSE(f.escapePressed);
  f = in.Next();
  EXPECT_EQ(f.pointerX, 400);
  EXPECT_TRUE(f.escapePressed);
  EXPECT_FALSE(f.held[27]);
  EXPECT_TRUE(in.Next().escapePressed);
  f = in.Next();  // 27 is still held: a second down counts nothing
  EXPECT_FALSE(f.escapePressed);
  EXPECT_TRUE(f.mouse1);
  f = in.Next();
  EXPECT_FALSE(f.held[87]);
  EXPECT_TRUE(f.held[27]);
}

}  // namespace
