#pragma once
// The message dialog: a longer text than a message box holds comfortably, with OK and CANCEL in
// four modes. 0: OK. 1: OK and CANCEL. 2: only "NG" (a CANCEL), red text, Enter ignored.
// 3: OK and CANCEL, red text.

#include <string>

#include "ui/dialog.h"

namespace ui {

inline constexpr std::uint32_t kRed = 0x0000FF;  // 0x00BBGGRR

class CMessageDlg : public CDialog {
public:
  // font: the shared message font.
  CMessageDlg(UiServices& ui, FontSpec font);

  // Shows the text modally and returns IDOK or IDCANCEL.
  int Show(const std::string& text, int mode);
  // Takes the text and mode for the next creation of the window.
  void Prepare(const std::string& text, int mode);

  const std::string& Text() const { return text_; }
  int Mode() const { return mode_; }

protected:
  bool OnInitDialog() override;
  void OnOK() override;

private:
  bool OnKey(int key);

  std::string text_;
  int mode_ = 0;
  FontSpec font_;
};

}  // namespace ui
