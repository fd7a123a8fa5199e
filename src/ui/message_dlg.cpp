#include "ui/message_dlg.h"

#include "ui/template_ids.h"
#include "ui_services/ui_services.h"

namespace ui {

CMessageDlg::CMessageDlg(UiServices& ui, FontSpec font)
    : CDialog(kMessageDialogTemplate, ui), font_(std::move(font)) {
  OnKeyDown(&CMessageDlg::OnKey);
}

// In mode 2 the only visible button is NG, which has the focus: Enter would answer NG, so it is
// taken here and does nothing. The technician must press NG on purpose.
bool CMessageDlg::OnKey(int key) { return mode_ == 2 && key == kKeyEnter; }

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
