#include "state/tlist.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

struct Probe {
  explicit Probe(int v, int* alive = nullptr) : value(v), alive(alive) {
    if (alive) ++*alive;
  }
  ~Probe() {
    if (alive) --*alive;
  }
  int value;
  int* alive;
  TListLink<std::shared_ptr<Probe>>* link = nullptr;
};

using ProbeList = TList<std::shared_ptr<Probe>>;

std::shared_ptr<Probe> Add(ProbeList& list, int v, int* alive = nullptr) {
  auto p = std::make_shared<Probe>(v, alive);
  p->link = list.AddLast(p);
  return p;
}

std::vector<int> Values(const ProbeList& list) {
  std::vector<int> out;
  list.ForEach([&](Probe* p) { out.push_back(p->value); });
  return out;
}

TEST(TListTest, KeepsOrderAndCount) {
  ProbeList list;
  EXPECT_EQ(list.Count(), 0);
  EXPECT_FALSE(list.Walk().HasNext());
  for (int i = 0; i < 5; ++i) Add(list, i);
  EXPECT_EQ(list.Count(), 5);
  EXPECT_EQ(Values(list), (std::vector<int>{0, 1, 2, 3, 4}));
  std::vector<int> walked;
  for (auto w = list.Walk(); w.HasNext();) walked.push_back(w.NextObject()->value);
  EXPECT_EQ(walked, Values(list));
}

TEST(TListTest, RemoveByObjectAndByLink) {
  ProbeList list;
  auto a = Add(list, 1);
  auto b = Add(list, 2);
  auto c = Add(list, 3);
  EXPECT_TRUE(list.Remove(b.get()));
  EXPECT_FALSE(list.Remove(b.get()));
  EXPECT_EQ(Values(list), (std::vector<int>{1, 3}));
  list.RemoveLink(c->link);
  list.RemoveLink(c->link);  // a second removal changes nothing
  EXPECT_EQ(Values(list), (std::vector<int>{1}));
  EXPECT_EQ(list.Count(), 1);
  ProbeList other;
  auto d = Add(other, 4);
  list.RemoveLink(d->link);  // a link of another list is left alone
  EXPECT_EQ(other.Count(), 1);
  EXPECT_EQ(list.Count(), 1);
}

TEST(TListTest, WalkSurvivesRemovalOfTheCurrentElement) {
  ProbeList list;
  for (int i = 0; i < 6; ++i) Add(list, i);
  std::vector<int> walked;
  for (auto w = list.Walk(); w.HasNext();) {
    auto p = w.NextObject();
    walked.push_back(p->value);
    if (p->value % 2 == 0) list.RemoveLink(p->link);
  }
  EXPECT_EQ(walked, (std::vector<int>{0, 1, 2, 3, 4, 5}));
  EXPECT_EQ(Values(list), (std::vector<int>{1, 3, 5}));
}

TEST(TListTest, ElementsAppendedDuringTheWalkAreVisitedUnlessTheWalkPassedTheLast) {
  ProbeList list;
  for (int i = 0; i < 3; ++i) Add(list, i);
  std::vector<int> walked;
  // 1 appends 10 while 2 is still to come: 10 is visited. 10 is the last element when it
  // appends 11: the walk already stands on the head, so 11 waits for the next walk.
  for (auto w = list.Walk(); w.HasNext();) {
    auto p = w.NextObject();
    walked.push_back(p->value);
    if (p->value == 1) Add(list, 10);
    if (p->value == 10) Add(list, 11);
  }
  EXPECT_EQ(walked, (std::vector<int>{0, 1, 2, 10}));
  EXPECT_EQ(Values(list), (std::vector<int>{0, 1, 2, 10, 11}));

  // An element before the last appending twice: both new elements are visited.
  walked.clear();
  for (auto w = list.Walk(); w.HasNext();) {
    auto p = w.NextObject();
    walked.push_back(p->value);
    if (p->value == 10) {
      Add(list, 12);
      Add(list, 13);
    }
  }
  EXPECT_EQ(walked, (std::vector<int>{0, 1, 2, 10, 11, 12, 13}));
}

TEST(TListTest, LastElementRemovingItselfAndAppendingEndsTheWalk) {
  ProbeList list;
  Add(list, 0);
  std::vector<int> walked;
  for (auto w = list.Walk(); w.HasNext();) {
    auto p = w.NextObject();
    walked.push_back(p->value);
    list.RemoveLink(p->link);
    Add(list, p->value + 1);
  }
  EXPECT_EQ(walked, (std::vector<int>{0}));
  EXPECT_EQ(Values(list), (std::vector<int>{1}));
}

TEST(TListTest, ARemovedLinkKeepsItsSuccessor) {
  ProbeList list;
  std::vector<std::shared_ptr<Probe>> p;
  for (int i = 0; i < 4; ++i) p.push_back(Add(list, i));
  std::vector<int> walked;
  for (auto w = list.Walk(); w.HasNext();) {
    auto cur = w.NextObject();
    walked.push_back(cur->value);
    // While 0 is current the walk holds 1's link; removing 1 and then 2 leaves the walk on a
    // removed link whose successor is still 2's link, and 2's is 3's.
    if (cur->value == 0) {
      list.RemoveLink(p[1]->link);
      list.RemoveLink(p[2]->link);
    }
  }
  EXPECT_EQ(walked, (std::vector<int>{0, 1, 2, 3}));
  EXPECT_EQ(Values(list), (std::vector<int>{0, 3}));
}

TEST(TListTest, RemovedElementsLiveWhileReferencedAndAllIsReleasedWithTheList) {
  int alive = 0;
  std::shared_ptr<Probe> kept;
  {
    ProbeList list;
    for (int i = 0; i < 100000; ++i) Add(list, i, &alive);
    EXPECT_EQ(alive, 100000);
    for (auto w = list.Walk(); w.HasNext();) {
      auto p = w.NextObject();
      if (p->value == 7) {
        kept = p;
        list.RemoveLink(p->link);
      }
    }
    EXPECT_EQ(alive, 100000);  // 7 is out of the list but still referenced
    EXPECT_EQ(list.Count(), 99999);
  }
  EXPECT_EQ(alive, 1);  // a long list is released without recursing once per element
  EXPECT_EQ(kept->value, 7);
  kept.reset();
  EXPECT_EQ(alive, 0);
}

TEST(TListTest, ElementRemovedWithoutOtherReferencesIsReleasedAtOnce) {
  int alive = 0;
  ProbeList list;
  Add(list, 1, &alive);
  TListLink<std::shared_ptr<Probe>>* link = nullptr;
  list.ForEach([&](Probe* p) { link = p->link; });
  list.RemoveLink(link);
  EXPECT_EQ(alive, 0);
  EXPECT_EQ(list.Count(), 0);
  EXPECT_FALSE(list.Walk().HasNext());
}

// Decals and items live in the links themselves: one removed during a walk stays readable
// until the last walk of the list ends, one removed outside a walk goes at once, and the
// room of removed elements is used again.
TEST(TListTest, ValuesKeptInTheLinksLiveUntilTheWalksEnd) {
  int alive = 0;
  TList<Probe> list;
  for (int i = 0; i < 4; ++i) list.AddLast(i, &alive);
  std::vector<int> walked;
  {
    auto outer = list.Walk();
    Probe& first = outer.NextObject();
    for (auto inner = list.Walk(); inner.HasNext();) {
      Probe& p = inner.NextObject();
      auto* link = TList<Probe>::LinkOf(p);
      if (p.value % 2 == 0) list.RemoveLink(link);
    }
    EXPECT_EQ(alive, 4);  // the outer walk still runs
    EXPECT_EQ(first.value, 0);
    while (outer.HasNext()) walked.push_back(outer.NextObject().value);
  }
  EXPECT_EQ(walked, (std::vector<int>{1, 3}));
  EXPECT_EQ(alive, 2);
  EXPECT_EQ(list.Count(), 2);

  Probe* three = nullptr;
  list.ForEach([&](Probe* p) { three = p; });
  EXPECT_TRUE(list.Remove(three));
  EXPECT_EQ(alive, 1);
  for (int i = 10; i < 13; ++i) list.AddLast(i, &alive);
  std::vector<int> left;
  list.ForEach([&](Probe* p) { left.push_back(p->value); });
  EXPECT_EQ(left, (std::vector<int>{1, 10, 11, 12}));
  EXPECT_EQ(alive, 4);
}

}  // namespace
