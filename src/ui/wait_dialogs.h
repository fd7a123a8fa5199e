#pragma once
// The modeless windows that show an operation is under way: the wait dialog (one line of text)
// and the progress dialog (a text above a coloured bar).

#include <cstdint>
#include <string>

#include "ui/dialog.h"

namespace ui {

class CSvcDlgWait : public CDialog {
public:
  explicit CSvcDlgWait(UiServices& ui);
  void SetText(const std::string& text);
};

class CSvcDlgProgress : public CDialog {
public:
  explicit CSvcDlgProgress(UiServices& ui);
  void SetText(const std::string& text);
  void SetBar(std::uint32_t colour, int minimum, int maximum);
  // A position beyond the range shows a full bar.
  void SetPosition(int position);
};

// The temperature dialog: one real number between 15.0 and 30.0 degrees Celsius.
class CSvcDlgTemp : public CDialog {
public:
  CSvcDlgTemp(UiServices& ui, double initial);
  double Temperature() const { return temperature_; }

protected:
  void DoDataExchange(DataExchange& dx) override;

private:
  double temperature_;
};

}  // namespace ui
