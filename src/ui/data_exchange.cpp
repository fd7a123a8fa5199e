#include "ui/data_exchange.h"

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <limits>

#include "platform/text.h"
#include "ui/dialog.h"
#include "ui_services/ui_services.h"

namespace ui {

bool ParseDialogInt(const std::string& text, int& value) {
  const std::string_view trimmed = platform::TrimBlanks(text);
  std::string_view digits = trimmed;
  if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
  if (digits.empty()) return false;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  return error == std::errc() && end == digits.data() + digits.size();
}

bool ParseDialogDouble(const std::string& text, double& value) {
  const std::string trimmed(platform::TrimBlanks(text));
  if (trimmed.empty()) return false;
  errno = 0;
  char* end = nullptr;
  const double parsed = std::strtod(trimmed.c_str(), &end);
  if (end != trimmed.c_str() + trimmed.size() || errno == ERANGE) return false;
  value = parsed;
  return true;
}

std::string FormatDialogDouble(double value) {
  char text[64];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

DataExchange::DataExchange(CDialog& dialog, bool saveAndValidate)
    : dialog_(dialog), saving_(saveAndValidate) {}

void DataExchange::Fail(int id, const std::string& message) {
  failed_ = true;
  dialog_.Services().MessageBox(message, kApplicationTitle, kOk | kIconWarning);
  dialog_.SetFocus(id);
}

void DataExchange::Text(int id, std::string& value) {
  if (Skip()) return;
  if (saving_) {
    value = dialog_.GetDlgItemText(id);
  } else {
    dialog_.SetDlgItemText(id, value);
  }
}

void DataExchange::Text(int id, int& value) {
  if (Skip()) return;
  if (!saving_) {
    dialog_.SetDlgItemText(id, std::to_string(value));
  } else if (!ParseDialogInt(dialog_.GetDlgItemText(id), value)) {
    Fail(id, "Please enter an integer.");
  }
}

void DataExchange::Text(int id, double& value) {
  if (Skip()) return;
  if (!saving_) {
    dialog_.SetDlgItemText(id, FormatDialogDouble(value));
  } else if (!ParseDialogDouble(dialog_.GetDlgItemText(id), value)) {
    Fail(id, "Please enter a number.");
  }
}

void DataExchange::MaxChars(int id, const std::string& value, int count) {
  if (Skip()) return;
  if (!saving_) {
    dialog_.ChangeItem(id, [count](ControlState& c) { c.limit = count; });
  } else if (static_cast<int>(value.size()) > count) {
    Fail(id, "Enter no more than " + std::to_string(count) + " characters.");
  }
}

void DataExchange::MinMax(int id, int value, int min, int max) {
  if (Skip() || !saving_) return;
  if (value < min || value > max) {
    Fail(id, "Please enter an integer between " + std::to_string(min) + " and " +
                 std::to_string(max) + ".");
  }
}

void DataExchange::MinMax(int id, double value, double min, double max) {
  if (Skip() || !saving_) return;
  if (value < min || value > max) {
    Fail(id, "Please enter a number between " + FormatDialogDouble(min) + " and " +
                 FormatDialogDouble(max) + ".");
  }
}

void DataExchange::Check(int id, int& value) {
  if (Skip()) return;
  if (saving_) {
    value = dialog_.IsDlgButtonChecked(id);
  } else {
    dialog_.CheckDlgButton(id, value);
  }
}

void DataExchange::Radio(int firstId, int& value) {
  if (Skip()) return;
  const std::vector<int> group = dialog_.RadioGroup(firstId);
  if (saving_) {
    value = -1;
    for (std::size_t i = 0; i < group.size(); ++i) {
      if (dialog_.IsDlgButtonChecked(group[i]) != 0) value = static_cast<int>(i);
    }
  } else {
    for (std::size_t i = 0; i < group.size(); ++i) {
      dialog_.CheckDlgButton(group[i], static_cast<int>(i) == value ? 1 : 0);
    }
  }
}

void DataExchange::ListIndex(int id, int& value) {
  if (Skip()) return;
  if (saving_) {
    value = dialog_.Item(id).selection;
  } else {
    dialog_.ChangeItem(id, [&value](ControlState& c) { c.selection = value; });
  }
}

void DataExchange::DateTimeValue(int id, DateTime& value) {
  if (Skip()) return;
  if (saving_) {
    value = dialog_.Item(id).dateTime;
  } else {
    dialog_.ChangeItem(id, [&value](ControlState& c) { c.dateTime = value; });
  }
}

}  // namespace ui
