#include "ui/pages/cleaning_page.h"

#include "operations/operation_request.h"
#include "ui/data_exchange.h"

namespace ui {
namespace {

constexpr int kOrangeGreen = 2;  // the row pair the eight-row heads do not have
constexpr const char* kUnknownModel = "Unknown Model";

DialogTemplate CleaningLayout() {
  using K = ControlKind;
  DialogTemplate layout{kCleaningTemplate, "", 237, 160, {}};
  auto& c = layout.controls;
  c.push_back({kCleaningGroupId, K::GroupBox, "", {6, 4, 224, 36}});
  const char* strengths[4] = {"CL1", "CL2", "CL3", "CL4"};
  for (int k = 0; k < 4; ++k)
    c.push_back({kCleaningChoiceIds[k], K::RadioButton, strengths[k], {16 + 52 * k, 20, 48, 12},
                 k == 0 ? kGroupStart : 0u});
  c.push_back({kCleaningRowsGroupId, K::GroupBox, "Nozzle", {6, 46, 224, 40}});
  const char* rows[5] = {"Bk/Lk", "C/M", "Or/Gr", "LLK(Vi)/Y", "Lm/Lc"};
  const int widths[5] = {34, 30, 34, 52, 38};
  int x = 12;
  for (int k = 0; k < 5; ++k) {
    c.push_back({kCleaningRowIds[k], K::CheckBox, rows[k], {x, 62, widths[k], 14},
                 kPushLike | (k == 0 ? kGroupStart : 0u)});
    x += widths[k] + 4;
  }
  return layout;
}

}  // namespace

void CSvcDlgCleaning::DoDataExchange(DataExchange& dx) {
  dx.Radio(kCleaningChoiceIds[0], choice_);
  for (int k = 0; k < 5; ++k) dx.Check(kCleaningRowIds[k], rows_[k]);
}

// Two choices: all slots (CL1) or slots 3 and 10 (CL3).
void CSvcDlgCleaning::SetUpSlotCleaning() {
  for (const int id : {kCleaningGroupId, kCleaningChoiceIds[1], kCleaningChoiceIds[3],
                       kCleaningRowsGroupId})
    ShowItem(id, false);
  for (const int id : kCleaningRowIds) ShowItem(id, false);
  SetDlgItemText(kCleaningChoiceIds[0], Request()->pageText.text[0]);
  SetDlgItemText(kCleaningChoiceIds[2], Request()->pageText.text[1]);
}

// Every row pair starts chosen; the model decides which pairs its head has.
void CSvcDlgCleaning::SetUpHeadCleaning() {
  const operations::OperationRequest& request = *Request();
  SetDlgItemText(kCleaningGroupId, request.pageText.text[0]);
  for (int& row : rows_) row = 1;
  const std::string model = request.romVersion.substr(0, 2);
  if (model == "NW" || model == "NN") {
    ShowItem(kCleaningRowIds[kOrangeGreen], false);
  } else if (model != "LW" && model != "LN") {
    for (const int id : kCleaningRowIds) ShowItem(id, false);
    Services().MessageBox(kUnknownModel, kApplicationTitle, kOk | kIconInformation);
  }
}

bool CSvcDlgCleaning::RefreshPage() {
  if (!FirstRefresh()) return true;
  if (Request()->itemNumber == kSlotCleaningItem)
    SetUpSlotCleaning();
  else
    SetUpHeadCleaning();
  UpdateData(false);
  return true;
}

// A hidden row pair keeps its value and goes to the request with the others.
bool CSvcDlgCleaning::CollectInput() {
  UpdateData(true);
  operations::OperationRequest& request = *Request();
  request.selector = choice_;
  for (std::size_t k = 0; k < 5; ++k) request.colourFlags[k] = rows_[k];
  return true;
}

void AddCleaningPage(PageTable& pages) {
  pages.Add(CleaningLayout(), [](const DialogTemplate& layout, const PageServices& services) {
    return std::make_unique<CSvcDlgCleaning>(layout, services.ui);
  });
}

}  // namespace ui
