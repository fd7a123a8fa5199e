#include "ui/pages/mac_address_page.h"

#include <cstdio>
#include <iterator>

#include "driver/product_constants.h"
#include "operations/operation_request.h"
#include "ui/data_exchange.h"

namespace ui {
namespace {

constexpr int kFieldLength = 2;
constexpr int kSeparatorIds[2][5] = {{7821, 7822, 7823, 7824, 7825},
                                     {7826, 7827, 7828, 7829, 7830}};

DialogTemplate MacLayout() {
  using K = ControlKind;
  DialogTemplate layout{kMacTemplate, "", 237, 160, {}};
  auto& c = layout.controls;
  c.push_back({kMacPrinterLabelId, K::Static, "", {8, 6, 200, 10}});
  for (int k = 0; k < 6; ++k) {
    c.push_back({kMacShownIds[k], K::Static, "", {8 + 26 * k, 19, 18, 12}, kSunken | kCentered});
    if (k < 5) c.push_back({kSeparatorIds[0][k], K::Static, ":", {28 + 26 * k, 20, 4, 10}});
  }
  c.push_back({kMacNewLabelId, K::Static, "", {8, 42, 200, 10}});
  for (int k = 0; k < 6; ++k) {
    c.push_back({kMacEditIds[k], K::Edit, "", {8 + 26 * k, 54, 18, 13}});
    if (k < 5) c.push_back({kSeparatorIds[1][k], K::Static, ":", {28 + 26 * k, 56, 4, 10}});
  }
  c.push_back({kMacUnlockId, K::CheckBox, "", {8, 76, 200, 12}});
  return layout;
}

std::string Hex(int byte) {
  char text[8];
  std::snprintf(text, sizeof text, "%02X", byte & 0xFF);
  return text;
}

// One or two hexadecimal digits; anything else is no byte.
bool ParseHexByte(const std::string& text, int& value) {
  if (text.empty() || text.size() > kFieldLength ||
      text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
    return false;
  value = std::stoi(text, nullptr, 16);
  return true;
}

}  // namespace

CSvcDlgMAC::CSvcDlgMAC(const DialogTemplate& layout, UiServices& ui) : TStackedPage(layout, ui) {
  OnCommand(kMacUnlockId, &CSvcDlgMAC::OnControlChanged);
  for (int k = 0; k < 5; ++k) {
    // Field 6 is the last: it keeps the focus when full.
    OnChange(kMacEditIds[k], [this, k] { OnFieldChanged(k); });
  }
}

bool CSvcDlgMAC::OnInitDialog() {
  TStackedPage::OnInitDialog();
  for (const int id : kMacEditIds) ChangeItem(id, [](ControlState& c) { c.limit = kFieldLength; });
  LockPrefix();
  return true;
}

void CSvcDlgMAC::DoDataExchange(DataExchange& dx) {
  dx.Text(kMacPrinterLabelId, labels_[0]);
  dx.Text(kMacNewLabelId, labels_[1]);
  dx.Text(kMacUnlockId, unlockCaption_);
  dx.Check(kMacUnlockId, unlock_);
  for (int k = 0; k < 6; ++k) {
    dx.Text(kMacShownIds[k], shown_[k]);
    dx.Text(kMacEditIds[k], fields_[k]);
  }
}

void CSvcDlgMAC::LockPrefix() {
  for (int k = 0; k < 3; ++k)
    ChangeItem(kMacEditIds[k], [this](ControlState& c) { c.readOnly = unlock_ == 0; });
}

bool CSvcDlgMAC::RefreshPage() {
  const operations::OperationRequest& request = *Request();
  for (int k = 0; k < 2; ++k) labels_[k] = request.pageText.text[static_cast<std::size_t>(k)];
  unlockCaption_ = request.pageText.text[2];
  for (std::size_t k = 0; k < 6; ++k) {
    shown_[k] = Hex(request.shownValues[k]);
    fields_[k].clear();
  }
  if (unlock_ == 0) {
    for (std::size_t k = 0; k < 3; ++k) fields_[k] = Hex(driver::kMacVendorPrefix[k]);
  }
  for (int k = 0; k < 6; ++k) EnableWhenConnected({kMacShownIds[k], kMacEditIds[k]});
  EnableWhenConnected({kMacUnlockId});
  UpdateData(false);
  return true;
}

void CSvcDlgMAC::OnControlChanged() {
  UpdateData(true);
  LockPrefix();
}

// A full field hands the keyboard on to the next field, never past the last one: what is typed
// goes on into the fields that follow, and nothing lands where it cannot be seen.
void CSvcDlgMAC::OnFieldChanged(int field) {
  if (field + 1 >= static_cast<int>(std::size(kMacEditIds))) return;
  if (static_cast<int>(GetDlgItemText(kMacEditIds[field]).size()) >= kFieldLength)
    SetFocus(kMacEditIds[field + 1]);
}

bool CSvcDlgMAC::CollectInput() {
  UpdateData(true);
  operations::OperationRequest& request = *Request();
  for (std::size_t k = 0; k < 6; ++k) {
    int value = 0;
    if (ParseHexByte(fields_[k], value)) request.enteredValues[k] = value;
  }
  request.selector = unlock_;
  return true;
}

void AddMacAddressPage(PageTable& pages) {
  pages.Add(MacLayout(), [](const DialogTemplate& layout, const PageServices& services) {
    return std::make_unique<CSvcDlgMAC>(layout, services.ui);
  });
}

}  // namespace ui
