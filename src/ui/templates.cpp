// The dialog templates of the shared windows and the main dialogs: message dialog, picture
// window, wait and progress dialogs, temperature dialog, start screen, main service dialog,
// manuals dialog, the NVRAM backup utility, the firmware update and the print-file dialogs. The pages of the main service dialog keep theirs in their own files (pages/).

#include <algorithm>
#include <map>

#include "ui/bin_print_dialog.h"
#include "ui/dialog_template.h"
#include "ui/firmware_update_dialog.h"
#include "ui/nvram_backup_dialog.h"
#include "ui/pages/page_table.h"
#include "ui/template_ids.h"

namespace ui {
namespace {

using K = ControlKind;

// The start screen: each main-menu button has its explanation beside it in a frame.
DialogTemplate StartScreenTemplate() {
  static constexpr const char* kCaptions[7] = {
      "BUTTON_NVRAM", "BUTTON_INDIVIDUAL", "BUTTON_EXCHANGE", "BUTTON_FIRM",
      "BUTTON_PRINT", "BUTTON_FLAG",       "BUTTON_PANEL"};
  static constexpr int kTops[7] = {31, 65, 96, 132, 162, 196, 226};
  DialogTemplate dialog{kStartScreenTemplate, "Service Program", 350, 282, {}};
  auto& c = dialog.controls;
  c.push_back({kStartHeadingId, K::Static, "Service Program", {28, 8, 293, 12}, kCentered});
  c.push_back({kStartNoteId, K::Static, "USB memory caution", {8, 19, 334, 8}, kCentered});
  for (int n = 0; n < 7; ++n) {
    const int y = kTops[n];
    c.push_back({kMainMenuButtonIds[n],
                 K::Button,
                 kCaptions[n],
                 {8, y, 148, 25},
                 n == 5 ? unsigned{kMultiLine} : 0u});
  }
  c.push_back({IDCANCEL, K::Button, "EXIT", {290, 261, 50, 14}});
  c.push_back({kStartPrinterLabelId, K::Static, "Printer:", {8, 263, 32, 10}, kHidden});
  c.push_back({kStartPrinterListId, K::DropDownList, "", {42, 261, 240, 80}, kHidden});
  for (int n = 0; n < 7; ++n) {
    const int y = kTops[n];
    c.push_back(
        {kMainMenuTextBase + n + 1, K::Static, "TEXT", {165, y + 5, n < 5 ? 170 : 162, 18}});
    c.push_back({kMainMenuFrameBase + n + 1, K::GroupBox, "", {163, y - 2, 179, 29}});
  }
  static constexpr int kSeparators[3][2] = {{5001, 60}, {5002, 126}, {5003, 191}};
  for (const auto& line : kSeparators) {
    c.push_back({line[0], K::Static, "", {8, line[1], 332, 1}, kEtched});
  }
  return dialog;
}

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
  add(StartScreenTemplate());
  add(NvramBackupTemplate());
  add(FirmwareUpdateTemplate());
  add(BinPrintTemplate());
  add({kMainDialogTemplate,
       "Dialog",
       465,
       350,
       {
           {kMenuTreeId, K::TreeView, "", {7, 7, 206, 312}},
           {kPagePlaceholderId, K::Static, "", {220, 120, 237, 1}, kEtched},
           {kItemTitleId, K::Static, "Sample", {220, 7, 238, 12}},
           {kItemExplanationId,
            K::Edit,
            "",
            {230, 20, 209, 92},
            kMultiLine | kReadOnly | kVerticalScroll},
           {kExecuteButtonId, K::Button, "Execute", {233, 292, 50, 14}},
           {kCheckButtonId, K::Button, "Check", {295, 292, 50, 14}},
           {kInputButtonId, K::Button, "Input", {357, 292, 50, 14}},
           {kOptionButtonId, K::Button, "Option", {233, 315, 50, 14}},
           {kPictureButtonId, K::Button, "Picture", {408, 327, 50, 14}},
           {kNextButtonId, K::Button, "Next", {343, 327, 50, 14}, kHidden},
           {kPrinterStatusButtonId, K::Button, "Printer Status", {59, 327, 86, 14}, kHidden},
           {kStatusLineId, K::Static, "Sample", {7, 328, 225, 12}},
       }});
  add({kManualsTemplate,
       "Initial Fill flag set/reset",
       186,
       83,
       {
           {kManualsLabelId, K::Static, "Initial Fill Flag", {29, 6, 46, 8}},
           {kManualsSetId, K::RadioButton, "Set", {65, 15, 100, 15}, kGroupStart},
           {kManualsResetId, K::RadioButton, "Reset", {65, 30, 100, 15}},
           {IDOK, K::Button, "OK", {36, 61, 50, 14}, kDefaultButton},
           {IDCANCEL, K::Button, "FINISH", {101, 61, 50, 14}},
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
  return found == Templates().end() ? ProgramPages().FindTemplate(id) : &found->second;
}

std::vector<int> TemplateIds() {
  std::vector<int> ids = ProgramPages().TemplateIds();
  for (const auto& [id, dialog] : Templates()) ids.push_back(id);
  std::sort(ids.begin(), ids.end());
  return ids;
}

}  // namespace ui
