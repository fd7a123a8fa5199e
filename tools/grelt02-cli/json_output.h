#pragma once
// The JSON forms that grelt02-cli prints.

#include <functional>
#include <nlohmann/json.hpp>

#include "menu/menu_files.h"
#include "menu/menu_tree.h"
#include "settings/app_settings.h"
#include "ui/scripted_ui_services.h"

namespace cli {

using Json = nlohmann::ordered_json;

// Every key of the three binding tables, in table order, named exactly as in the INI files.
Json SettingsToJson(const settings::AppSettings& settings);
Json MainMenusToJson(const menu::MenuFiles& files);
Json TreeToJson(const menu::MenuFiles& files, const std::vector<menu::TreeInsertion>& plan);
Json PageTextToJson(const menu::FunctionPageText& page);
// The name of a message's icon: "error", "information", "question", "warning" or "none".
std::string IconName(unsigned style);
// Prints a command's answer on standard output.
void Print(const Json& json);
// Prints on standard error the texts the windows would have shown (messages and wait texts), one
// a line; what only a window needs (a file dialog's filter, a cursor) is left out.
void PrintShownTexts(const ui::ScriptedUiServices& ui);
// An observer for ScriptedUiServices that prints the progress dialogs on standard error as they
// go: each phase's text, then its bar every tenth ("Sending a.PRN to the printer: 40%").
std::function<void(const ui::UiCall&)> ProgressOnStderr();

}  // namespace cli
