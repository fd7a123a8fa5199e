#pragma once
// Data exchange between a dialog's controls and its members, in both directions. When saving,
// the first value refused shows the standard message, moves the focus to the control and makes
// UpdateData fail; the exchanges after it do nothing.

#include <string>

#include "ui/control_state.h"

namespace ui {

class CDialog;

class DataExchange {
public:
  DataExchange(CDialog& dialog, bool saveAndValidate);

  bool Saving() const { return saving_; }
  bool Failed() const { return failed_; }

  void Text(int id, std::string& value);
  void Text(int id, int& value);
  void Text(int id, double& value);
  // Validations, after the exchange of the same control.
  void MaxChars(int id, const std::string& value, int count);
  void MinMax(int id, int value, int min, int max);
  void MinMax(int id, double value, double min, double max);
  void Check(int id, int& value);
  // A radio group from firstId up to the next group start: -1 when none is checked.
  void Radio(int firstId, int& value);
  // The index of a drop-down list's selected entry; -1 for none.
  void ListIndex(int id, int& value);
  void DateTimeValue(int id, DateTime& value);

private:
  void Fail(int id, const std::string& message);
  bool Skip() const { return failed_; }

  CDialog& dialog_;
  bool saving_;
  bool failed_ = false;
};

// Number forms that dialogs accept: optional blanks around an optional sign and the digits.
bool ParseDialogInt(const std::string& text, int& value);
bool ParseDialogDouble(const std::string& text, double& value);
// A real number as the dialogs show it: the shortest form that reads back the same.
std::string FormatDialogDouble(double value);

}  // namespace ui
