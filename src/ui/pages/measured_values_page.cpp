#include "ui/pages/measured_values_page.h"

#include "operations/operation_request.h"
#include "operations/shared_steps.h"
#include "ui/data_exchange.h"

namespace ui {
namespace {

constexpr double kFeedSheetLength = 508.0;
// Rows: position sheet lines A, F, B and G.
enum Row { kRowA, kRowF, kRowB, kRowG };
constexpr int kRowTop = 16;
constexpr int kRowPitch = 18;

DialogTemplate MeasuredLayout() {
  using K = ControlKind;
  const char* names[4] = {"Line-A", "Line-F", "Line-B", "Line-G"};
  DialogTemplate layout{kMeasuredTemplate, "", 237, 160, {}};
  auto& c = layout.controls;
  c.push_back({kMeasuredPrinterHeaderId, K::Static, "Printer", {112, 4, 50, 10}});
  c.push_back({kMeasuredInputHeaderId, K::Static, "Measured", {166, 4, 60, 10}});
  for (int row = 0; row < 4; ++row) {
    const int y = kRowTop + kRowPitch * row;
    c.push_back({kMeasuredLabelIds[row], K::Static, names[row], {8, y + 2, 100, 10}});
    c.push_back({kMeasuredShownIds[row], K::Static, "", {112, y + 1, 44, 12}, kSunken});
    c.push_back({kMeasuredEditIds[row], K::Edit, "", {166, y, 50, 13}});
  }
  return layout;
}

}  // namespace

void CSvcDlgTBS::DoDataExchange(DataExchange& dx) {
  for (int row = 0; row < 4; ++row) {
    dx.Text(kMeasuredLabelIds[row], labels_[row]);
    dx.Text(kMeasuredShownIds[row], shown_[row]);
    dx.Text(kMeasuredEditIds[row], edits_[row]);
  }
}

// Rows that are shown close up to the top, in the order given.
void CSvcDlgTBS::ShowOnlyRows(std::initializer_list<int> rows) {
  for (int row = 0; row < 4; ++row) {
    for (const int id : {kMeasuredLabelIds[row], kMeasuredShownIds[row], kMeasuredEditIds[row]})
      ShowItem(id, false);
  }
  ShowItem(kMeasuredPrinterHeaderId, false);
  int slot = 0;
  for (const int row : rows) {
    const int y = kRowTop + kRowPitch * slot++;
    for (const int id : {kMeasuredLabelIds[row], kMeasuredEditIds[row]}) {
      ShowItem(id, true);
      ChangeItem(id, [y, id, row](ControlState& c) {
        c.rect.y = y + (id == kMeasuredLabelIds[row] ? 2 : 0);
      });
    }
  }
}

// What the page shows when an item selects it: labels, printer values, empty or nominal edits.
void CSvcDlgTBS::Attach() {
  const operations::OperationRequest& request = *Request();
  const auto& text = request.pageText.text;
  switch (request.itemNumber) {
    case 10040:
      labels_[kRowA] = text[0];
      labels_[kRowG] = text[1];
      labels_[kRowF] = text[2];
      labels_[kRowB] = text[3];
      shown_[kRowA] = std::to_string(request.shownValues[0]);
      shown_[kRowG] = std::to_string(request.shownValues[1]);
      shown_[kRowF] = std::to_string(request.shownValues[2]);
      shown_[kRowB] = std::to_string(request.shownValues[3]);
      for (auto& edit : edits_) edit.clear();
      break;
    case 10170:
    case 10180:
      ShowOnlyRows({kRowF});
      labels_[kRowF] = text[0];
      edits_[kRowF] = "508";
      break;
    case 10340:
      ShowOnlyRows({kRowA, kRowG});
      labels_[kRowA] = text[0];
      labels_[kRowG] = text[1];
      edits_[kRowA].clear();
      edits_[kRowG].clear();
      break;
    default: break;
  }
}

bool CSvcDlgTBS::RefreshPage() {
  if (FirstRefresh()) {
    Attach();
    UpdateData(false);
    return true;
  }
  // A sheet printed: the inspector's step is done.
  if (Request()->buttonBase == operations::kExecuteBase) Request()->printFinished = 1;
  return true;
}

bool CSvcDlgTBS::ReadEdit(int row, double empty, double& value, bool& wasEmpty) {
  const std::string& text = edits_[row];
  wasEmpty = text.find_first_not_of(' ') == std::string::npos;
  if (wasEmpty) {
    value = empty;
    return true;
  }
  if (ParseDialogDouble(text, value)) return true;
  catalogue_.ShowMessageById(operations::kMsgInvalidInput, kOk);
  SetFocus(kMeasuredEditIds[row]);
  return false;
}

// Four lines; an empty box leaves its value alone and raises its mark instead.
bool CSvcDlgTBS::CollectPosition() {
  operations::OperationRequest& request = *Request();
  const std::pair<int, std::size_t> order[4] = {{kRowA, 0}, {kRowG, 3}, {kRowF, 1}, {kRowB, 2}};
  int* marks[4] = {&request.selector, &request.colourFlags[0], &request.colourFlags[1],
                   &request.colourFlags[2]};
  for (int k = 0; k < 4; ++k) {
    const auto [row, measured] = order[k];
    double value = 0;
    bool empty = false;
    if (!ReadEdit(row, 0, value, empty)) return false;
    if (empty)
      *marks[k] = 1;
    else
      request.measured[measured] = value;
  }
  return true;
}

bool CSvcDlgTBS::CollectInput() {
  UpdateData(true);
  operations::OperationRequest& request = *Request();
  request.selector = 0;
  for (std::size_t k = 0; k < 3; ++k) request.colourFlags[k] = 0;
  bool empty = false;
  switch (request.itemNumber) {
    case 10040: return CollectPosition();
    case 10170:
    case 10180: return ReadEdit(kRowF, kFeedSheetLength, request.measured[0], empty);
    case 10340:
      return ReadEdit(kRowA, 0, request.measured[1], empty) &&
             ReadEdit(kRowG, 0, request.measured[2], empty);
    default: return true;
  }
}

void AddMeasuredValuesPage(PageTable& pages) {
  pages.Add(MeasuredLayout(), [](const DialogTemplate& layout, const PageServices& services) {
    return std::make_unique<CSvcDlgTBS>(layout, services);
  });
}

}  // namespace ui
