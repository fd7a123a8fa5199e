#pragma once
// Dialog templates as data: every window of the program is a template of numbered controls laid
// out in dialog units. The dialog classes work on the controls by id; the front end draws them.

#include <string>
#include <vector>

namespace ui {

enum class ControlKind {
  Static,
  Edit,
  Button,
  CheckBox,
  RadioButton,
  GroupBox,
  TreeView,
  DropDownList,
  ProgressBar,
  DatePicker,
  TimePicker,
  AddressField,
  Picture,
  Table,  // read-only rows of cells under column headings
};

enum ControlStyle : unsigned {
  kDefaultButton = 1u << 0,
  kMultiLine = 1u << 1,
  kReadOnly = 1u << 2,
  kHidden = 1u << 3,
  kDisabled = 1u << 4,
  kGroupStart = 1u << 5,  // first control of a radio group; also ends the group before it
  kPushLike = 1u << 6,
  kEtched = 1u << 7,
  kSunken = 1u << 8,
  kCentered = 1u << 9,
  kVerticalScroll = 1u << 10,
};

// Standard command ids of dialog buttons.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;

struct DialogRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  bool operator==(const DialogRect&) const = default;
};

struct ControlTemplate {
  int id;
  ControlKind kind;
  std::string text;
  DialogRect rect;
  unsigned style = 0;
};

struct DialogTemplate {
  int id;
  std::string caption;
  int width;  // dialog units
  int height;
  std::vector<ControlTemplate> controls;  // in tab order
};

// The template with this id, or nullptr.
const DialogTemplate* FindTemplate(int id);
// Every template the program has, by id.
std::vector<int> TemplateIds();

}  // namespace ui
