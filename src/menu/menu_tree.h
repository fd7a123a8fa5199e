#pragma once
// Which tree nodes the main service dialog shows, and under which parent.

#include <span>
#include <string_view>
#include <vector>

#include "menu/menu_files.h"

namespace menu {

inline constexpr int kTreeRoot = -1;

struct TreeInsertion {
  int node;    // index into the node table
  int parent;  // index of the parent node, or kTreeRoot
};

// The nodes to insert, in insertion order. A node is shown when it has a title and a parent;
// the parent is either topName (the node is top-level) or the first node whose section name
// equals it, and that node must have been inserted before. So a child listed before its parent
// in the file, or one whose parent is missing or hidden, is left out.
std::vector<TreeInsertion> PlanMenuTree(std::span<const MenuNode> nodes, std::string_view topName);

}  // namespace menu
