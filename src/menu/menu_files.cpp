#include "menu/menu_files.h"

#include <algorithm>

#include "platform/paths.h"
#include "platform/profile.h"
#include "settings/ini_binding.h"

namespace menu {
namespace {

using settings::IniBinding;

std::string Key(const char* prefix, std::size_t n) { return prefix + std::to_string(n); }

// Reads prefix1, prefix2, ... up to the first empty value; returns how many were read.
std::size_t ReadUntilEmpty(const platform::ProfileFile& file, const std::string& section,
                           const char* prefix, std::array<std::string, kPageTextCount>& dest) {
  for (std::size_t i = 0; i < dest.size(); ++i) {
    const IniBinding binding = IniBinding::Text(section, Key(prefix, i + 1), dest[i]);
    settings::LoadIniBindings({&binding, 1}, file);
    if (dest[i].empty()) return i;
  }
  return dest.size();
}

}  // namespace

unsigned MessageIcon(int number) {
  switch (number / 10'000'000) {
    case 1: return ui::kIconInformation;
    case 9: return ui::kIconError;
    default: return 0;
  }
}

MenuFiles::MenuFiles(ui::UiServices& ui, std::string serviceFolder)
    : ui_(ui), serviceFolder_(std::move(serviceFolder)) {}

std::string MenuFiles::PathOf(std::string_view fileName) const {
  return platform::JoinPath(serviceFolder_, fileName);
}

bool MenuFiles::ReadTree() {
  const platform::ProfileFile file = platform::ProfileFile::Load(PathOf(kTreeDataFile));
  std::array<char, kSectionNameBufferSize> names{};
  const std::uint32_t length = file.GetSectionNames(names.data(), kSectionNameBufferSize);
  bool complete = file.Readable() && length != kSectionNameBufferSize - 2;

  // Names are NUL-separated; an empty name ends the list.
  nodes_.fill(MenuNode{});
  std::size_t named = 0;
  for (std::size_t start = 0; start < names.size() && names[start] != '\0';) {
    std::string name(names.data() + start);
    start += name.size() + 1;
    if (named == nodes_.size()) {
      complete = false;  // more sections than the node table holds
      break;
    }
    nodes_[named++].section = std::move(name);
  }

  std::vector<IniBinding> table;
  table.reserve(named * 5);
  for (std::size_t i = 0; i < named; ++i) {
    MenuNode& node = nodes_[i];
    table.push_back(IniBinding::Text(node.section, "Parent", node.parent));
    table.push_back(IniBinding::Text(node.section, "Title", node.title));
    table.push_back(IniBinding::Text(node.section, "ExText", node.exText));
    table.push_back(IniBinding::Text(node.section, "picture_filename", node.pictureName));
    table.push_back(IniBinding::Integer(node.section, "ExecFunc", node.function, 0));
  }
  settings::LoadIniBindings(table, file);
  // A file that is not a tree at all (a garbage file, an empty one) would give an empty dialog.
  const auto usable = [](const MenuNode& node) {
    return !node.title.empty() && !node.parent.empty();
  };
  complete = complete && std::any_of(nodes_.begin(), nodes_.begin() + named, usable);

  if (!complete) ui_.MessageBox(kCannotReadMenu, ui::kApplicationTitle, ui::kOk | ui::kIconError);
  return complete;
}

void MenuFiles::ReadMainMenus() {
  std::vector<IniBinding> table;
  for (std::size_t n = 1; n <= kMainMenusRead; ++n) {
    MenuNode& entry = mainMenus_[n - 1];
    entry.section = Key("MainMenu", n);
    table.push_back(IniBinding::Text(entry.section, "Title", entry.title));
    table.push_back(IniBinding::Text(entry.section, "ExText", entry.exText));
    table.push_back(IniBinding::Integer(entry.section, "FunctionID", entry.function, 0));
  }
  settings::LoadIniBindings(table, PathOf(kFuncDataFile));
}

std::string MenuFiles::ReadMenuKey(std::string_view fileName, std::string_view section,
                                   std::string_view key) const {
  std::array<char, settings::kIniValueBufferSize> buffer{};
  platform::GetPrivateProfileString(section, key, kMissingRawValue, buffer.data(),
                                    settings::kIniValueBufferSize, PathOf(fileName));
  return buffer.data();
}

FunctionPageText MenuFiles::ReadFunctionPageText(int functionId) const {
  FunctionPageText page;
  const platform::ProfileFile file = platform::ProfileFile::Load(PathOf(kFuncDataFile));
  const std::string section = std::to_string(functionId);
  for (std::size_t i = 0; i < kPageTextCount; ++i) {
    const IniBinding binding = IniBinding::Text(section, Key("Text", i + 1), page.text[i]);
    settings::LoadIniBindings({&binding, 1}, file);
  }
  for (std::size_t i = 0; i < kPageTextCount; ++i) {
    const IniBinding binding = IniBinding::Text(section, Key("Button", i + 1), page.button[i]);
    settings::LoadIniBindings({&binding, 1}, file);
  }
  page.dlgPicCount = ReadUntilEmpty(file, section, "DlgPic", page.dlgPic);
  page.dlgTextCount = ReadUntilEmpty(file, section, "DlgText", page.dlgText);
  return page;
}

bool MenuFiles::LookupMessage(int number, std::string& text) const {
  std::string value;
  const IniBinding binding = IniBinding::Text("MESSAGE", std::to_string(number), value);
  settings::LoadIniBindings({&binding, 1}, PathOf(kStringsFile));
  text = std::move(value);
  return !text.empty();
}

int MenuFiles::ShowMessageById(int number, unsigned buttons) const {
  std::string text;
  // A catalogue without the number still tells the technician which message was meant.
  if (!LookupMessage(number, text)) {
    text = "Message " + std::to_string(number) + " is missing from " + kStringsFile + ".";
  }
  return ui_.MessageBox(text, ui::kApplicationTitle, buttons | MessageIcon(number));
}

}  // namespace menu
