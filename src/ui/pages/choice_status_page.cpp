#include "ui/pages/choice_status_page.h"

#include "operations/operation_request.h"
#include "ui/data_exchange.h"

namespace ui {
namespace {

constexpr int kChoiceItem = 10090;

bool IsServiceFlagItem(int item) { return item == 10240 || item == 10241 || item == 20060; }

DialogTemplate ChoiceStatusLayout() {
  using K = ControlKind;
  return {kChoiceStatusTemplate,
          "",
          237,
          160,
          {
              {kChoiceGroupIds[0], K::GroupBox, "", {6, 4, 224, 44}},
              {kChoiceIds[0], K::RadioButton, "", {16, 16, 200, 12}, kGroupStart},
              {kChoiceIds[1], K::RadioButton, "", {16, 30, 200, 12}},
              {kChoiceGroupIds[1], K::GroupBox, "", {6, 52, 224, 30}},
              {kChoiceStatusId, K::Static, "", {16, 66, 200, 10}},
          }};
}

}  // namespace

void CSvcDlgNozzleCIJ::DoDataExchange(DataExchange& dx) {
  dx.Radio(kChoiceIds[0], choice_);
  dx.Text(kChoiceStatusId, status_);
}

void CSvcDlgNozzleCIJ::Attach() {
  const operations::OperationRequest& request = *Request();
  if (request.itemNumber == kChoiceItem) {
    const int captioned[4] = {kChoiceGroupIds[0], kChoiceGroupIds[1], kChoiceIds[0], kChoiceIds[1]};
    for (std::size_t k = 0; k < 4; ++k) SetDlgItemText(captioned[k], request.pageText.text[k]);
  } else if (IsServiceFlagItem(request.itemNumber)) {
    for (const int id : {kChoiceGroupIds[0], kChoiceGroupIds[1], kChoiceIds[0], kChoiceIds[1]})
      ShowItem(id, false);
    ChangeItem(kChoiceStatusId, [](ControlState& c) { c.rect.y = 8; });  // alone at the top
  }
}

// The shown value is the state plus one: 0 could not be read, 1 off (first choice), 2 on.
bool CSvcDlgNozzleCIJ::RefreshPage() {
  if (FirstRefresh()) {
    Attach();
  }
  const operations::OperationRequest& request = *Request();
  const int state = request.shownValues[0];
  const auto& text = request.pageText.text;
  if (request.itemNumber == kChoiceItem) {
    status_ = state == 1 ? text[2] : state == 2 ? text[3] : "";
    choice_ = state == 2 ? 1 : 0;
  } else if (IsServiceFlagItem(request.itemNumber)) {
    status_ = text[0] + (state == 0 ? "  --" : state == 1 ? "  OFF" : "  ON");
  }
  EnableWhenConnected({kChoiceStatusId, kChoiceIds[0], kChoiceIds[1]});
  UpdateData(false);
  return true;
}

bool CSvcDlgNozzleCIJ::CollectInput() {
  UpdateData(true);
  Request()->selector = choice_;
  return true;
}

void AddChoiceStatusPage(PageTable& pages) {
  pages.Add(ChoiceStatusLayout(), [](const DialogTemplate& layout, const PageServices& services) {
    return std::make_unique<CSvcDlgNozzleCIJ>(layout, services.ui);
  });
}

}  // namespace ui
