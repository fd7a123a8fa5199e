#include "ui/pages/counter_reset_page.h"

#include "operations/operation_request.h"
#include "operations/shared_steps.h"
#include "ui/data_exchange.h"

namespace ui {
namespace {

constexpr const char* kNone = "---";

DialogTemplate CounterLayout() {
  using K = ControlKind;
  DialogTemplate layout{kCounterTemplate, "", 237, 160, {}};
  auto& c = layout.controls;
  c.push_back({kCounterCurrentLabelId, K::Static, "Current", {56, 6, 60, 10}});
  c.push_back({kCounterLifeLabelId, K::Static, "Life", {120, 6, 60, 10}});
  c.push_back({kCounterRateLabelId, K::Static, "Rate", {184, 6, 30, 10}});
  for (int row = 0; row < 2; ++row) {
    const int y = 18 + 18 * row;
    const unsigned second = row == 1 ? kHidden : 0u;
    c.push_back({kCounterCheckIds[row],
                 K::CheckBox,
                 row == 0 ? "Pos1" : "Pos2",
                 {6, y + 1, 48, 12},
                 kHidden});
    c.push_back({kCounterCurrentIds[row], K::Edit, "", {56, y, 60, 13}, kReadOnly | second});
    c.push_back({kCounterLifeIds[row], K::Edit, "", {120, y, 60, 13}, kReadOnly | second});
    c.push_back({kCounterRateIds[row], K::Edit, "", {184, y, 28, 13}, kReadOnly | second});
    c.push_back({kCounterPercentIds[row],
                 K::Static,
                 "%",
                 {215, y + 2, 10, 10},
                 row == 1 ? kHidden | kDisabled : 0u});
  }
  return layout;
}

}  // namespace

int RatedLife(int itemNumber, int row) {
  switch (itemNumber) {
    case 20010: return row == 0 ? 4800000 : 0;
    case 20020: return row == 0 ? 400000 : 0;
    case 20030: return row == 0 ? 7800 : 0;
    case 20040: return row == 0 ? 1017339000 : 895733000;
    case 20050: return row == 0 ? 3600 : 0;
    default: return 0;
  }
}

void CSvcDlgReset::DoDataExchange(DataExchange& dx) {
  dx.Text(kCounterCurrentLabelId, labels_[0]);
  dx.Text(kCounterLifeLabelId, labels_[1]);
  dx.Text(kCounterRateLabelId, labels_[2]);
  for (int row = 0; row < 2; ++row) {
    dx.Text(kCounterCurrentIds[row], current_[row]);
    dx.Text(kCounterLifeIds[row], life_[row]);
    dx.Text(kCounterRateIds[row], rate_[row]);
    dx.Check(kCounterCheckIds[row], checks_[row]);
  }
}

void CSvcDlgReset::Attach() {
  const operations::OperationRequest& request = *Request();
  for (std::size_t k = 0; k < 3; ++k) labels_[k] = request.pageText.text[k];
  if (request.itemNumber != kTwoCounterItem) return;
  for (int row = 0; row < 2; ++row) {
    ShowItem(kCounterCheckIds[row], true);
    SetDlgItemText(kCounterCheckIds[row], request.pageText.text[3 + static_cast<std::size_t>(row)]);
  }
  for (const int id : {kCounterCurrentIds[1], kCounterLifeIds[1], kCounterRateIds[1]})
    ShowItem(id, true);
  ShowItem(kCounterPercentIds[1], true);
  EnableItem(kCounterPercentIds[1], true);
}

bool CSvcDlgReset::RefreshPage() {
  if (FirstRefresh()) {
    Attach();
  }
  const operations::OperationRequest& request = *Request();
  const bool unread = request.printerMissing == 1 || request.shownValues[0] == operations::kNotRead;
  for (int row = 0; row < 2; ++row) {
    const int life = RatedLife(request.itemNumber, row);
    life_[row] = life != 0 ? std::to_string(life) : kNone;
    const int current = request.shownValues[static_cast<std::size_t>(row)];
    const bool shown = !unread && (row == 0 || request.itemNumber == kTwoCounterItem);
    current_[row] = shown ? std::to_string(current) : kNone;
    rate_[row] = shown && life != 0
                     ? std::to_string(static_cast<int>(static_cast<double>(current) / life * 100))
                     : kNone;
  }
  UpdateData(false);
  return true;
}

bool CSvcDlgReset::CollectInput() {
  UpdateData(true);
  operations::OperationRequest& request = *Request();
  if (request.itemNumber == kTwoCounterItem) {
    request.selector = checks_[0];
    request.colourFlags[0] = checks_[1];
  }
  return true;
}

void AddCounterResetPage(PageTable& pages) {
  pages.Add(CounterLayout(), [](const DialogTemplate& layout, const PageServices& services) {
    return std::make_unique<CSvcDlgReset>(layout, services.ui);
  });
}

}  // namespace ui
