// The dialog templates of the shared windows: message dialog, picture window, wait and progress
// dialogs, temperature dialog. The dialogs of each menu function add theirs beside this file.

#include <map>

#include "ui/dialog_template.h"
#include "ui/template_ids.h"

namespace ui {
namespace {

using K = ControlKind;

std::map<int, DialogTemplate> BuildTemplates() {
  std::map<int, DialogTemplate> t;
  auto add = [&](DialogTemplate dialog) { t.emplace(dialog.id, std::move(dialog)); };

  add({kMessageDialogTemplate,
       "GRELT Message",
       231,
       214,
       {
           {IDOK, K::Button, "OK", {119, 188, 50, 19}, kDefaultButton},
           {kMessageTextId, K::Static, "", {7, 7, 217, 176}, kSunken},
           {IDCANCEL, K::Button, "CANCEL", {174, 188, 50, 19}},
       }});
  add({kTemperatureTemplate,
       "Temperature",
       150,
       62,
       {
           {kTemperatureLabelId, K::Static, "Temperature:", {10, 12, 50, 10}},
           {kTemperatureEditId, K::Edit, "", {64, 10, 76, 14}},
           {IDOK, K::Button, "OK", {34, 38, 50, 14}, kDefaultButton},
           {IDCANCEL, K::Button, "Cancel", {90, 38, 50, 14}},
       }});
  add({kPictureTemplate,
       "Dialog",
       400,
       300,
       {
           {kPictureAreaId, K::Picture, "", {0, 0, 400, 300}},
           {IDOK, K::Button, "OK", {174, 279, 50, 14}, kDefaultButton},
       }});
  add({kWaitTemplate,
       "Please wait",
       180,
       40,
       {
           {kWaitTextId, K::Static, "Checking", {10, 14, 160, 12}, kCentered},
       }});
  add({kProgressTemplate,
       "Please wait",
       220,
       56,
       {
           {kProgressTextId, K::Static, "", {10, 8, 200, 12}},
           {kProgressBarId, K::ProgressBar, "", {10, 26, 200, 14}},
       }});
  return t;
}

const std::map<int, DialogTemplate>& Templates() {
  static const std::map<int, DialogTemplate> templates = BuildTemplates();
  return templates;
}

}  // namespace

const DialogTemplate* FindTemplate(int id) {
  const auto found = Templates().find(id);
  return found == Templates().end() ? nullptr : &found->second;
}

std::vector<int> TemplateIds() {
  std::vector<int> ids;
  for (const auto& [id, dialog] : Templates()) ids.push_back(id);
  return ids;
}

}  // namespace ui
