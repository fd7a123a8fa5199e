#include "menu/menu_tree.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using menu::MenuNode;
using menu::TreeInsertion;

MenuNode Node(std::string section, std::string parent, std::string title = "T") {
  MenuNode node;
  node.section = std::move(section);
  node.parent = std::move(parent);
  node.title = std::move(title);
  return node;
}

std::vector<std::pair<int, int>> Plan(const std::vector<MenuNode>& nodes,
                                      std::string_view top = "TOP") {
  std::vector<std::pair<int, int>> out;
  for (const TreeInsertion& step : menu::PlanMenuTree(nodes, top))
    out.emplace_back(step.node, step.parent);
  return out;
}

using Steps = std::vector<std::pair<int, int>>;
constexpr int kRoot = menu::kTreeRoot;

TEST(MenuTree, ChildrenHangUnderTheFirstSectionOfTheirParentsName) {
  const std::vector<MenuNode> nodes = {Node("A", "TOP"), Node("A1", "A"), Node("B", "TOP"),
                                       Node("A2", "A"), Node("A1a", "A1")};
  EXPECT_EQ(Plan(nodes), (Steps{{0, kRoot}, {1, 0}, {2, kRoot}, {3, 0}, {4, 1}}));
}

TEST(MenuTree, NodesWithoutTitleOrParentAreSkippedAndSoAreTheirChildren) {
  const std::vector<MenuNode> nodes = {Node("A", "TOP", ""), Node("A1", "A"), Node("B", ""),
                                       Node("B1", "B"), Node("C", "TOP")};
  EXPECT_EQ(Plan(nodes), (Steps{{4, kRoot}}));
}

TEST(MenuTree, AChildBeforeItsParentOrWithAnUnknownParentIsLeftOut) {
  const std::vector<MenuNode> nodes = {Node("Early", "Late"), Node("Late", "TOP"),
                                       Node("Orphan", "Nowhere"), Node("Self", "Self")};
  EXPECT_EQ(Plan(nodes), (Steps{{1, kRoot}}));
}

TEST(MenuTree, TheTopNameIsMatchedExactlyAndOnlyTheFirstSectionOfANameCounts) {
  // "Dup" appears twice: the second one is never a parent, even though it is shown.
  const std::vector<MenuNode> nodes = {Node("Dup", "top"), Node("Dup", "TOP"), Node("Kid", "Dup")};
  EXPECT_EQ(Plan(nodes), (Steps{{1, kRoot}}));
  EXPECT_TRUE(Plan(nodes, "---").empty());
}

}  // namespace
