#include "ui/message_dlg.h"

#include "ui/template_ids.h"
#include "ui_services/ui_services.h"

namespace ui {

CMessageDlg::CMessageDlg(UiServices& ui, FontSpec font)
    : CDialog(kMessageDialogTemplate, ui), font_(std::move(font)) {}

int CMessageDlg::Show(const std::string& text, int mode) {
  Prepare(text, mode);
  return DoModal();
}

void CMessageDlg::Prepare(const std::string& text, int mode) {
  text_.clear();
  mode_ = mode;
  text_ = text;
}

bool CMessageDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  SetItemFont(kMessageTextId, font_);
  if (mode_ == 0) ShowItem(IDCANCEL, false);
  if (mode_ == 2) {
    ShowItem(IDOK, false);
    SetDlgItemText(IDCANCEL, "NG");
  }
  SetDlgItemText(kMessageTextId, text_);
  if (mode_ == 2 || mode_ == 3) {
    for (int id : ItemIds()) {
      if (Item(id).kind == ControlKind::Static) {
        ChangeItem(id, [](ControlState& c) { c.textColour = kRed; });
      }
    }
  }
  return true;
}

void CMessageDlg::OnOK() {
  if (mode_ != 2) EndDialog(IDOK);
}

}  // namespace ui
