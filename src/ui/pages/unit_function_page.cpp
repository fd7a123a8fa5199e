#include "ui/pages/unit_function_page.h"

#include "operations/operation_request.h"
#include "ui/data_exchange.h"

namespace ui {
namespace {

DialogTemplate UnitFunctionLayout() {
  using K = ControlKind;
  return {kUnitFunctionTemplate,
          "",
          237,
          160,
          {
              {kUnitFunctionLabelId, K::Static, "Function", {8, 10, 50, 10}},
              // The height holds the open list as well.
              {kUnitFunctionListId, K::DropDownList, "", {60, 8, 160, 100}},
          }};
}

}  // namespace

void CSvcDlgACCEL::DoDataExchange(DataExchange& dx) {
  dx.ListIndex(kUnitFunctionListId, function_);
}

// Every refresh starts again at the first function, so a run is never repeated by accident with
// the function picked for the one before.
bool CSvcDlgACCEL::RefreshPage() {
  if (FirstRefresh()) {
    const auto& text = Request()->pageText.text;
    SetDlgItemText(kUnitFunctionLabelId, text[kUnitFunctionCount]);
    ChangeItem(kUnitFunctionListId, [&text](ControlState& c) {
      c.items.assign(text.begin(), text.begin() + kUnitFunctionCount);
    });
  }
  function_ = 0;
  UpdateData(false);
  return true;
}

bool CSvcDlgACCEL::CollectInput() {
  UpdateData(true);
  Request()->selector = function_;
  return true;
}

void AddUnitFunctionPage(PageTable& pages) {
  pages.Add(UnitFunctionLayout(), [](const DialogTemplate& layout, const PageServices& services) {
    return std::make_unique<CSvcDlgACCEL>(layout, services.ui);
  });
}

}  // namespace ui
