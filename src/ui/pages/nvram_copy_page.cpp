#include "ui/pages/nvram_copy_page.h"

#include "operations/operation_request.h"

namespace ui {
namespace {

DialogTemplate NvramCopyLayout() {
  using K = ControlKind;
  return {kNvramCopyTemplate,
          "",
          237,
          160,
          {
              {kNvramCopyLabelId, K::Static, "", {10, 10, 217, 10}},
              {kNvramCopySerialId, K::Edit, "", {10, 24, 110, 14}, kReadOnly},
              {kNvramCopyFromFileId, K::CheckBox, "", {10, 48, 217, 12}},
          }};
}

}  // namespace

bool CSvcDlgNVRAMCopy::OnInitDialog() {
  TStackedPage::OnInitDialog();
  CheckDlgButton(kNvramCopyFromFileId, 0);  // every opening starts from the work file
  return true;
}

bool CSvcDlgNVRAMCopy::RefreshPage() {
  operations::OperationRequest& request = *Request();
  const bool restorePage = request.itemNumber == kNvramCopyItem;
  for (const int id : {kNvramCopyLabelId, kNvramCopySerialId, kNvramCopyFromFileId})
    ShowItem(id, restorePage);
  SetDlgItemText(kNvramCopyLabelId, request.pageText.text[0]);
  SetDlgItemText(kNvramCopyFromFileId, request.pageText.text[1]);
  SetDlgItemText(kNvramCopySerialId, request.outputText);
  request.selector = IsDlgButtonChecked(kNvramCopyFromFileId);
  return true;
}

bool CSvcDlgNVRAMCopy::CollectInput() {
  Request()->selector = IsDlgButtonChecked(kNvramCopyFromFileId);
  return true;
}

void AddNvramCopyPage(PageTable& pages) {
  pages.Add(NvramCopyLayout(), [](const DialogTemplate& layout, const PageServices& services) {
    return std::make_unique<CSvcDlgNVRAMCopy>(layout, services.ui);
  });
}

}  // namespace ui
