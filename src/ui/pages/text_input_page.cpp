#include "ui/pages/text_input_page.h"

#include <sstream>

#include "operations/operation_request.h"
#include "operations/shared_steps.h"
#include "ui/data_exchange.h"

namespace ui {
namespace {

DialogTemplate TextInputLayout() {
  using K = ControlKind;
  return {kTextInputTemplate,
          "",
          237,
          160,
          {
              {kTextInputLabelId, K::Static, "", {8, 6, 220, 10}},
              {kTextInputPromptId, K::Static, "", {8, 19, 120, 12}, kSunken},
              {kTextInputEditId, K::Edit, "", {8, 38, 120, 13}},
              {kTextInputCounterId, K::Static, "0 / 0", {134, 40, 50, 10}},
              {kTextInputAddressId, K::AddressField, "", {8, 19, 120, 13}, kHidden},
          }};
}

}  // namespace

// Four numbers of 0 to 255 with dots between; an empty field counts as 0, as in an address
// control.
bool ParseAddressField(const std::string& text, std::string& address) {
  std::istringstream fields(text);
  std::string field;
  int values[4] = {};
  int count = 0;
  while (std::getline(fields, field, '.')) {
    if (count == 4) return false;
    int value = 0;
    if (!field.empty() && (!ParseDialogInt(field, value) || value < 0 || value > 255)) return false;
    values[count++] = value;
  }
  if (count != 4) return false;
  address = std::to_string(values[0]) + "." + std::to_string(values[1]) + "." +
            std::to_string(values[2]) + "." + std::to_string(values[3]);
  return true;
}

CSvcDlgInput::CSvcDlgInput(const DialogTemplate& layout, const PageServices& services)
    : TStackedPage(layout, services.ui), catalogue_(services.catalogue) {
  OnChange(kTextInputEditId, [this] { OnTextChanged(); });
}

void CSvcDlgInput::DoDataExchange(DataExchange& dx) {
  dx.Text(kTextInputEditId, text_);
  dx.Text(kTextInputPromptId, prompt_);
  dx.Text(kTextInputCounterId, counter_);
  dx.Text(kTextInputAddressId, address_);
}

void CSvcDlgInput::Attach() {
  const operations::OperationRequest& request = *Request();
  itemNumber_ = request.itemNumber;
  SetDlgItemText(kTextInputLabelId, request.pageText.text[0]);
  if (itemNumber_ == kSerialNumberItem) maxLength_ = kSerialInputLength;
  if (itemNumber_ == kNetworkAddressItem) {
    ShowItem(kTextInputAddressId, true);
    for (const int id : {kTextInputPromptId, kTextInputEditId, kTextInputCounterId})
      ShowItem(id, false);
  }
  counter_ = maxLength_ > 0 ? "0 / " + std::to_string(maxLength_) : "";
  ChangeItem(kTextInputEditId, [this](ControlState& c) { c.limit = maxLength_; });
  SetFocus(itemNumber_ == kNetworkAddressItem ? kTextInputAddressId : kTextInputEditId);
}

bool CSvcDlgInput::RefreshPage() {
  if (FirstRefresh()) {
    Attach();
  }
  prompt_ = Request()->outputText;
  UpdateData(false);
  return true;
}

void CSvcDlgInput::OnTextChanged() {
  UpdateData(true);
  counter_ = std::to_string(text_.size()) + "/" + std::to_string(maxLength_);
  UpdateData(false);
}

// Sockets need no start-up here, so the entry is all there is to take.
bool CSvcDlgInput::CollectInput() {
  UpdateData(true);
  operations::OperationRequest& request = *Request();
  if (itemNumber_ == kSerialNumberItem) request.inputText = text_;
  if (itemNumber_ == kNetworkAddressItem) {
    std::string address;
    if (!ParseAddressField(address_, address)) {
      catalogue_.ShowMessageById(operations::kMsgInvalidInput, kOk);
      SetFocus(kTextInputAddressId);
      return false;
    }
    request.inputText = address;
  }
  return true;
}

void AddTextInputPage(PageTable& pages) {
  pages.Add(TextInputLayout(), [](const DialogTemplate& layout, const PageServices& services) {
    return std::make_unique<CSvcDlgInput>(layout, services);
  });
}

}  // namespace ui
