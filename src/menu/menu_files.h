#pragma once
// The three menu definition files of the service folder: the start screen's main menus and the
// page texts of every function (ext_funcdata.ini), the menu tree (ext_treedata.ini) and the
// numbered message catalogue (ext_strings.ini). Files are read anew on every call, so a changed
// menu file shows at the next opening of its dialog without a restart.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ui_services/ui_services.h"

namespace menu {

inline constexpr const char* kFuncDataFile = "ext_funcdata.ini";
inline constexpr const char* kTreeDataFile = "ext_treedata.ini";
inline constexpr const char* kStringsFile = "ext_strings.ini";

inline constexpr std::size_t kTreeNodeCount = 400;
inline constexpr std::size_t kMainMenuCount = 16;
inline constexpr std::size_t kMainMenusRead = 7;
inline constexpr std::size_t kPageTextCount = 16;
// The section names of the tree file are read into a buffer of this size.
inline constexpr std::uint32_t kSectionNameBufferSize = 1600;
// What a raw read gives for an absent key.
inline constexpr const char* kMissingRawValue = "---";
inline constexpr const char* kCannotReadMenu = "Cannot Read The Menu.";

// A tree node of ext_treedata.ini, or a main-menu entry of ext_funcdata.ini.
struct MenuNode {
  int function = 0;         // ExecFunc of a tree node, FunctionID of a main-menu entry
  std::string parent;       // Parent
  std::string title;        // Title
  std::string exText;       // ExText
  std::string pictureName;  // picture_filename
  std::string section;      // the node's own section name
};

// The texts of a function's page.
struct FunctionPageText {
  std::array<std::string, kPageTextCount> button;   // Button1 .. Button16
  std::array<std::string, kPageTextCount> text;     // Text1 .. Text16
  std::array<std::string, kPageTextCount> dlgPic;   // DlgPic1 .. up to the first empty one
  std::array<std::string, kPageTextCount> dlgText;  // DlgText1 .. up to the first empty one
  std::size_t dlgPicCount = 0;
  std::size_t dlgTextCount = 0;
};

// The icon a message number shows: 1xxxxxxx information, 9xxxxxxx error, others none.
unsigned MessageIcon(int number);

class MenuFiles {
public:
  // serviceFolder holds the three files; ui shows the messages.
  MenuFiles(ui::UiServices& ui, std::string serviceFolder);

  // Reads every node of the tree file, in file order, into Nodes(). Returns false and tells the
  // technician "Cannot Read The Menu." when the file cannot be read, holds more section names
  // than the name buffer or the node table take, or has no node with a title and a parent; the
  // nodes read so far are kept.
  bool ReadTree();
  // Reads the sections MainMenu1 to MainMenu7 into MainMenus() entries 0 to 6.
  void ReadMainMenus();
  // The raw value of a key of a file in the service folder, or "---" when it is absent.
  std::string ReadMenuKey(std::string_view fileName, std::string_view section,
                          std::string_view key) const;
  // The page texts of a function.
  FunctionPageText ReadFunctionPageText(int functionId) const;
  // The text of a message, or nothing when the catalogue does not have it.
  bool LookupMessage(int number, std::string& text) const;
  // Shows a message in a message box with the given buttons and the number's icon; returns the
  // button pressed.
  int ShowMessageById(int number, unsigned buttons) const;

  const std::array<MenuNode, kTreeNodeCount>& Nodes() const { return nodes_; }
  const std::array<MenuNode, kMainMenuCount>& MainMenus() const { return mainMenus_; }

private:
  std::string PathOf(std::string_view fileName) const;

  ui::UiServices& ui_;
  std::string serviceFolder_;
  std::array<MenuNode, kTreeNodeCount> nodes_;
  std::array<MenuNode, kMainMenuCount> mainMenus_;
};

}  // namespace menu
