#include "ui/bin_print_dialog.h"

#include "operations/dispatcher.h"
#include "operations/file_transfer.h"
#include "ui/data_exchange.h"

namespace ui {

DialogTemplate BinPrintTemplate() {
  using K = ControlKind;
  return {kBinPrintTemplate,
          "Service program",
          260,
          132,
          {
              {kBinPrintDescriptionId,
               K::Edit,
               "",
               {10, 8, 240, 62},
               kMultiLine | kReadOnly | kVerticalScroll},
              {kBinPrintPathId, K::Static, "", {10, 78, 188, 24}, kSunken},
              {kBinPrintReferenceId, K::Button, "Reference", {202, 78, 48, 14}},
              {IDOK, K::Button, "Print", {140, 110, 50, 14}, kDefaultButton},
              {IDCANCEL, K::Button, "EXIT", {200, 110, 50, 14}},
          }};
}

CSvcDlgBinPrint::CSvcDlgBinPrint(UiServices& ui, const operations::ServiceEnvironment& environment)
    : CDialog(kBinPrintTemplate, ui),
      environment_(environment),
      link_(operations::MakeRunLink(environment)),
      task_(ui) {
  OnCommand(kBinPrintReferenceId, &CSvcDlgBinPrint::OnReference);
}

bool CSvcDlgBinPrint::OnInitDialog() {
  CDialog::OnInitDialog();
  const menu::FunctionPageText texts =
      environment_.catalogue.ReadFunctionPageText(operations::kPrintFileFunction);
  SetWindowText(texts.text[0]);
  description_ = texts.text[1];
  SetDlgItemText(kBinPrintReferenceId, texts.button[0]);
  SetDlgItemText(IDOK, texts.button[1]);
  SetDlgItemText(IDCANCEL, texts.button[2]);
  UpdateData(false);
  return true;
}

void CSvcDlgBinPrint::DoDataExchange(DataExchange& dx) {
  dx.Text(kBinPrintDescriptionId, description_);
  dx.Text(kBinPrintPathId, path_);
}

void CSvcDlgBinPrint::OnReference() {
  path_.clear();
  std::string chosen;
  ChooseFile(Services(),
             {"*", "*.PRN", "All Files (*.PRN) | *.PRN", environment_.folders.printFile}, chosen);
  if (!chosen.empty() && operations::SendableFile(chosen)) {
    path_ = chosen;
  } else if (!chosen.empty()) {
    Services().ShowMessageDialog(operations::kFileNotFound, 2);
  }
  UpdateData(false);
}

// The dialog stays open for further prints.
void CSvcDlgBinPrint::OnPrint() {
  EnableButtons(false);
  task_.Start([this, path = path_] { operations::PrintFile(environment_, *link_, path); },
              [this] { EnableButtons(true); });
}

void CSvcDlgBinPrint::OnCancel() {
  if (!task_.Running()) CDialog::OnCancel();
}

void CSvcDlgBinPrint::EnableButtons(bool enable) {
  for (const int id : {kBinPrintReferenceId, IDOK, IDCANCEL}) EnableItem(id, enable);
}

}  // namespace ui
