#include "menu/menu_tree.h"

namespace menu {

std::vector<TreeInsertion> PlanMenuTree(std::span<const MenuNode> nodes, std::string_view topName) {
  std::vector<TreeInsertion> plan;
  std::vector<bool> inserted(nodes.size(), false);
  for (std::size_t i = 0; i < nodes.size(); ++i) {
    const MenuNode& node = nodes[i];
    if (node.title.empty() || node.parent.empty()) continue;
    int parent = kTreeRoot;
    if (node.parent != topName) {
      std::size_t p = 0;
      while (p < nodes.size() && nodes[p].section != node.parent) ++p;
      if (p == nodes.size() || !inserted[p]) continue;
      parent = static_cast<int>(p);
    }
    inserted[i] = true;
    plan.push_back({static_cast<int>(i), parent});
  }
  return plan;
}

}  // namespace menu
