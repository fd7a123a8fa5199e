#pragma once
// What the main service dialog does with each menu item: the page it shows, whether the page
// reads values first, and which action buttons it offers. One row per item, in one table.

#include <span>

namespace ui {

inline constexpr int kNoPage = 0;
inline constexpr int kUnknownItem = -1;

enum ActionButton : unsigned {
  kActionExecute = 1u << 0,
  kActionCheck = 1u << 1,
  kActionInput = 1u << 2,
  kActionOption = 1u << 3,
};

struct ItemButtons {
  unsigned shown = 0;
  unsigned alwaysEnabled = 0;  // enabled even when the printer is missing
  unsigned disabled = 0;       // shown but never enabled
};

struct ServiceItem {
  int itemNumber;
  int templateId;  // the page template, or kNoPage
  bool noPrefetch;
  ItemButtons buttons;
};

// Every item the program knows, by item number.
std::span<const ServiceItem> ServiceItems();
// The row of an item, or nullptr for an item the program does not know.
const ServiceItem* FindServiceItem(int itemNumber);

struct ItemPage {
  int templateId = kUnknownItem;  // a page template, kNoPage or kUnknownItem
  bool noPrefetch = false;
  bool finished = false;  // a guided step with nothing to run counts as done when selected
};

// The page of a menu item. In guided mode a leaf item that the program has no page for is a step
// to read and tick off.
ItemPage PageOfItem(int itemNumber, bool guided, bool hasChildren);
ItemButtons ButtonsOfItem(int itemNumber);

}  // namespace ui
