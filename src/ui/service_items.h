#pragma once
// What the main service dialog does with each menu item: the page it shows, whether the page
// reads values first, which action buttons it offers, and the page classes by template.

#include <memory>

#include "ui/stacked_dialog.h"

namespace ui {

inline constexpr int kNoPage = 0;
inline constexpr int kUnknownItem = -1;

struct ItemPage {
  int templateId = kUnknownItem;  // a page template, kNoPage or kUnknownItem
  bool noPrefetch = false;
  bool finished = false;  // a guided step with nothing to run counts as done when selected
};

// The page of a menu item. In guided mode a leaf item that the program has no page for is a step
// to read and tick off.
ItemPage PageOfItem(int itemNumber, bool guided, bool hasChildren);

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

ItemButtons ButtonsOfItem(int itemNumber);

// The page object of a template, or nullptr while the program has no page for it.
std::unique_ptr<TStackedPage> MakeServicePage(int templateId, UiServices& ui);

}  // namespace ui
