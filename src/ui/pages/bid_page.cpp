#include "ui/pages/bid_page.h"

#include "operations/operation_request.h"
#include "ui/data_exchange.h"

namespace ui {
namespace {

constexpr int kPrinterLabelIds[2] = {7801, 7802};
constexpr int kInputLabelIds[2] = {7803, 7804};

// Two rows of 54 units: the row label and the check boxes (which name the columns), then the
// printer's values, then the inputs. Column k starts at 70 + 56k.
DialogTemplate BidLayout() {
  using K = ControlKind;
  DialogTemplate layout{kBidTemplate, "", 237, 160, {}};
  auto& c = layout.controls;
  for (int row = 0; row < 2; ++row) {
    const int y = 6 + 54 * row;
    c.push_back({kBidRowLabelIds[row], K::Static, "", {8, y + 1, 60, 10}});
    for (int k = 0; k < 3; ++k)
      c.push_back({kBidCheckIds[3 * row + k], K::CheckBox, "", {70 + 56 * k, y, 50, 12}});
    c.push_back({kPrinterLabelIds[row], K::Static, "Printer", {16, y + 17, 50, 10}});
    for (int k = 0; k < 3; ++k)
      c.push_back(
          {kBidShownIds[3 * row + k], K::Static, "", {70 + 56 * k, y + 16, 40, 12}, kSunken});
    c.push_back({kInputLabelIds[row], K::Static, "Input", {16, y + 33, 50, 10}});
    for (int k = 0; k < 3; ++k)
      c.push_back({kBidInputIds[3 * row + k], K::Edit, "", {70 + 56 * k, y + 31, 40, 13}});
  }
  c.push_back({kBidPgNoneId, K::RadioButton, "", {70, 118, 50, 12}, kGroupStart});
  c.push_back({kBidPgTypeId, K::RadioButton, "", {126, 118, 50, 12}});
  return layout;
}

}  // namespace

bool CSvcDlgBidCIJ::OnInitDialog() {
  TStackedPage::OnInitDialog();
  for (int k = 0; k < 6; ++k) {
    SetDlgItemText(kBidCheckIds[k], "VSD" + std::to_string(k % 3 + 1));
    checks_[k] = 1;
  }
  SetDlgItemText(kBidPgNoneId, "PG --");
  SetDlgItemText(kBidPgTypeId, "PG Typ");
  pgChoice_ = 0;
  return true;
}

void CSvcDlgBidCIJ::DoDataExchange(DataExchange& dx) {
  for (int k = 0; k < 6; ++k) {
    dx.Text(kBidShownIds[k], shown_[k]);
    dx.Text(kBidInputIds[k], inputs_[k]);
    dx.Check(kBidCheckIds[k], checks_[k]);
  }
  dx.Radio(kBidPgNoneId, pgChoice_);
}

bool CSvcDlgBidCIJ::RefreshPage() {
  operations::OperationRequest& request = *Request();
  for (int row = 0; row < 2; ++row)
    SetDlgItemText(kBidRowLabelIds[row], request.pageText.text[static_cast<std::size_t>(row)]);
  for (std::size_t k = 0; k < 6; ++k) {
    shown_[k] = request.shownValues[k];
    inputs_[k] = 0;
  }
  for (int k = 0; k < 6; ++k)
    EnableWhenConnected({kBidShownIds[k], kBidInputIds[k], kBidCheckIds[k]});
  EnableWhenConnected({kBidPgNoneId, kBidPgTypeId});
  UpdateData(false);
  return true;
}

// A refused input keeps its value (and the message says why); the run goes ahead with the rest.
bool CSvcDlgBidCIJ::CollectInput() {
  UpdateData(true);
  operations::OperationRequest& request = *Request();
  request.selector = checks_[0];
  for (std::size_t k = 0; k < 5; ++k) request.colourFlags[k] = checks_[k + 1];
  for (std::size_t k = 0; k < 6; ++k) request.enteredValues[k] = inputs_[k];
  request.pgChoice = pgChoice_;
  return true;
}

void AddBidPage(PageTable& pages) {
  pages.Add(BidLayout(), [](const DialogTemplate& layout, const PageServices& services) {
    return std::make_unique<CSvcDlgBidCIJ>(layout, services.ui);
  });
}

}  // namespace ui
