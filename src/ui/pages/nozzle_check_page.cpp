#include "ui/pages/nozzle_check_page.h"

#include "operations/operation_request.h"
#include "ui/data_exchange.h"

namespace ui {
namespace {

constexpr int kFileVariant = 3;

DialogTemplate NozzleCheckLayout() {
  using K = ControlKind;
  return {kNozzleCheckTemplate,
          "",
          237,
          160,
          {
              {kNozzleCheckGroupId, K::GroupBox, "Nozzle Check", {6, 4, 224, 58}},
              {kNozzleVariantIds[0], K::RadioButton, "", {16, 16, 200, 12}, kGroupStart},
              {kNozzleVariantIds[1], K::RadioButton, "", {16, 30, 200, 12}},
              {kNozzleVariantIds[2], K::RadioButton, "", {16, 44, 200, 12}},
              {kNozzleVariantIds[3], K::RadioButton, "", {16, 58, 200, 12}},
              {kNozzleMissingGroupId, K::GroupBox, "Almost Nozzle Missing Check", {6, 66, 224, 38}},
              {kNozzleOptionIds[0], K::CheckBox, "Check1", {16, 76, 200, 12}, kGroupStart},
              {kNozzleOptionIds[1], K::CheckBox, "Check2", {16, 89, 200, 12}, kDisabled},
          }};
}

}  // namespace

CSvcDlgNozzleLL::CSvcDlgNozzleLL(const DialogTemplate& layout, UiServices& ui)
    : TStackedPage(layout, ui) {
  for (const int id : kNozzleVariantIds) OnCommand(id, &CSvcDlgNozzleLL::OnControlChanged);
  OnCommand(kNozzleOptionIds[0], &CSvcDlgNozzleLL::OnControlChanged);
}

void CSvcDlgNozzleLL::DoDataExchange(DataExchange& dx) {
  dx.Radio(kNozzleVariantIds[0], variant_);
  dx.Check(kNozzleOptionIds[0], options_[0]);
  dx.Check(kNozzleOptionIds[1], options_[1]);
}

// The captions are the item's first eight texts; the fourth variant and the second group stay
// hidden on these printers.
bool CSvcDlgNozzleLL::RefreshPage() {
  if (FirstRefresh()) {
    ShowItem(kNozzleMissingGroupId, false);
    ShowItem(kNozzleVariantIds[3], false);
    const int captioned[8] = {kNozzleCheckGroupId,  kNozzleMissingGroupId, kNozzleVariantIds[0],
                              kNozzleVariantIds[1], kNozzleVariantIds[2],  kNozzleVariantIds[3],
                              kNozzleOptionIds[0],  kNozzleOptionIds[1]};
    for (std::size_t k = 0; k < 8; ++k)
      SetDlgItemText(captioned[k], Request()->pageText.text[k]);
  }
  UpdateData(true);
  variant_ = 0;
  UpdateData(false);
  return true;
}

void CSvcDlgNozzleLL::OnControlChanged() {
  UpdateData(true);
  const bool file = variant_ == kFileVariant;
  EnableItem(kNozzleOptionIds[0], !file);
  if (file) {
    EnableItem(kNozzleOptionIds[1], false);
  } else {
    options_[0] = 1;
    UpdateData(false);
  }
}

bool CSvcDlgNozzleLL::CollectInput() {
  UpdateData(true);
  operations::OperationRequest& request = *Request();
  request.selector = variant_;
  request.colourFlags[0] = options_[0];
  request.colourFlags[1] = options_[1];
  return true;
}

void AddNozzleCheckPage(PageTable& pages) {
  pages.Add(NozzleCheckLayout(), [](const DialogTemplate& layout, const PageServices& services) {
    return std::make_unique<CSvcDlgNozzleLL>(layout, services.ui);
  });
}

}  // namespace ui
