// The name tree: names to references, found again byte for byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "palettes/nametree.h"

namespace qs {
namespace {

TEST(NameTree, FindsEachNameStoredAndNothingElse) {
  int crescendo = 1, cresc = 2, empty = 3, lower = 4, high = 5;
  TNameTree<int> tree;
  tree.Insert("CRESCENDO", &crescendo);
  tree.Insert("CRESC", &cresc);
  tree.Insert("", &empty);
  tree.Insert("cresc", &lower);
  tree.Insert("\xC4\xE8\xEC", &high);  // bytes above 127 order after ASCII
  const struct {
    const char* Name;
    int* Value;
  } cases[] = {
      {"CRESCENDO", &crescendo}, {"CRESC", &cresc}, {"cresc", &lower}, {"", &empty},
      {"\xC4\xE8\xEC", &high},   {"CRES", nullptr}, {"CRESCENDOS", nullptr}, {"Cresc", nullptr},
      {"C", nullptr},            {"\xC4", nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(tree.Find(c.Name), c.Value);
  }
  EXPECT_EQ(tree.Count(), 5u);
  TNameTree<int> none;
  EXPECT_EQ(none.Find(""), nullptr);
  EXPECT_EQ(none.Find("ALLEGRO"), nullptr);
}

TEST(NameTree, ASecondValueForANameIsRefusedAndTheFirstStays) {
  int first = 1, second = 2, other = 3;
  TNameTree<int> tree;
  tree.Insert("ALLEGRO", &first);
  try {
    tree.Insert("ALLEGRO", &second);
    FAIL() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Duplicate name: ALLEGRO");
  }
  EXPECT_EQ(tree.Find("ALLEGRO"), &first);
  // The tree goes on taking names.
  tree.Insert("ALLEGRETTO", &other);
  EXPECT_EQ(tree.Find("ALLEGRETTO"), &other);
}

TEST(NameTree, ClearingDisposesOfEachStoredValueOnce) {
  std::vector<std::string> disposed;
  TNameTree<std::string> tree;
  std::vector<std::string> names = {"PIANO", "PIU", "P", "FORTE", ""};
  for (std::string& n : names) tree.Insert(n, &n);
  // A long name does not make the clearing run out of stack.
  std::string longName(200000, 'A');
  tree.Insert(longName, &longName);
  tree.Clear([&](std::string* value) { disposed.push_back(value->substr(0, 5)); });
  EXPECT_EQ(disposed.size(), 6u);
  std::sort(disposed.begin(), disposed.end());
  EXPECT_EQ(disposed, (std::vector<std::string>{"", "AAAAA", "FORTE", "P", "PIANO", "PIU"}));
  EXPECT_EQ(tree.Find("PIANO"), nullptr);
  EXPECT_EQ(tree.Count(), 0u);
}

}  // namespace
}  // namespace qs
