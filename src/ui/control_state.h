#pragma once
// What a control shows and accepts, kept by the dialog object and drawn by the front end.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ui/dialog_template.h"
#include "ui/font_spec.h"

namespace ui {

// A date and a time of day, in local time.
struct DateTime {
  int year = 2000;
  int month = 1;
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;
  bool operator==(const DateTime&) const = default;
};

// A rectangle in screen pixels, for windows that size themselves to their content.
struct PixelRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  bool operator==(const PixelRect&) const = default;
};

inline constexpr int kNoTreeItem = 0;

// The items of a tree view. Handles start at 1; kNoTreeItem is the invisible root.
class TreeItems {
public:
  struct Item {
    int parent = kNoTreeItem;
    std::string text;
    std::intptr_t data = 0;
    int image = -1;
    int selectedImage = -1;
    std::vector<int> children;
  };

  // Appends an item under parent and returns its handle.
  int Insert(int parent, std::string text, std::intptr_t data);
  void Clear();
  const Item* Find(int handle) const;
  Item* Find(int handle);
  const std::vector<int>& Children(int handle) const;
  // The item after this one under the same parent, or kNoTreeItem.
  int NextSibling(int handle) const;
  int Selected() const { return selected_; }
  void Select(int handle) { selected_ = handle; }
  std::size_t Size() const { return items_.size(); }

private:
  std::vector<Item> items_;  // handle h is items_[h - 1]
  std::vector<int> roots_;
  int selected_ = kNoTreeItem;
};

struct ControlState {
  int id = 0;
  ControlKind kind = ControlKind::Static;
  unsigned style = 0;
  DialogRect rect;  // dialog units, from the template

  std::string text;
  bool visible = true;
  bool enabled = true;
  int checked = 0;
  bool readOnly = false;
  int limit = 0;                               // most characters an edit takes; 0: no limit
  std::vector<std::string> items;              // drop-down list; a table's column headings
  std::vector<std::vector<std::string>> rows;  // a table's cells, row by row
  int selection = -1;
  TreeItems tree;
  std::vector<int> treeImages;  // bitmap resources of the tree's image list, by image index
  int rangeMin = 0;  // a progress bar's range; a date picker's first and last year (0: any)
  int rangeMax = 100;
  int position = 0;
  std::optional<std::uint32_t> barColour;   // 0x00BBGGRR
  std::optional<std::uint32_t> textColour;  // 0x00BBGGRR
  std::optional<FontSpec> font;
  DateTime dateTime;
  std::string picturePath;             // picture area
  std::optional<PixelRect> pixelRect;  // replaces rect when set
};

}  // namespace ui
