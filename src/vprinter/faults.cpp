#include "vprinter/faults.h"

#include <stdexcept>

namespace vprinter {
namespace {

// A flag is on or off; a number is given when it is 0 or more; a range is two numbers.
enum class Form { Flag, Number, Range };

struct FaultRow {
  std::string_view name;
  Form form;
  std::string_view key;
  bool Faults::*flag = nullptr;
  int Faults::*number = nullptr;
  std::string_view key2 = {};  // a range's upper end
  int Faults::*number2 = nullptr;
};

constexpr FaultRow kFaults[] = {
    {"paper-out", Form::Flag, "paperOut", &Faults::paperOut},
    {"paper-jam", Form::Flag, "paperJam", &Faults::paperJam},
    {"disconnect", Form::Flag, "disconnected", &Faults::disconnected},
    {"boot-mode", Form::Flag, "bootMode", &Faults::bootMode},
    {"erase-fails", Form::Flag, "eraseFails", &Faults::eraseFails},
    {"erase-hangs", Form::Flag, "eraseHangs", &Faults::eraseHangs},
    {"motor-fails", Form::Flag, "motorFails", &Faults::motorFails},
    {"unit-offline", Form::Flag, "unitOffline", &Faults::unitOffline},
    {"unit-detached", Form::Flag, "unitDetached", &Faults::unitDetached},
    {"unit-calibration", Form::Flag, "unitCalibrationFails", &Faults::unitCalibrationFails},
    {"unit-no-colorimetry", Form::Flag, "unitColorimetryFails", &Faults::unitColorimetryFails},
    {"rom-read-fails", Form::Flag, "romReadFails", &Faults::romReadFails},
    {"stuck-status", Form::Number, "stuckStatus", nullptr, &Faults::stuckStatus},
    {"read-fail", Form::Range, "readFailFrom", nullptr, &Faults::readFailFrom, "readFailTo",
     &Faults::readFailTo},
    {"write-fail", Form::Range, "writeFailFrom", nullptr, &Faults::writeFailFrom, "writeFailTo",
     &Faults::writeFailTo},
    {"stuck-bytes", Form::Range, "stuckFrom", nullptr, &Faults::stuckFrom, "stuckTo",
     &Faults::stuckTo},
    {"aid-never-starts", Form::Flag, "aidNeverStarts", &Faults::aidNeverStarts},
    {"aid-never-ends", Form::Flag, "aidNeverEnds", &Faults::aidNeverEnds},
    {"aid-weak-runs", Form::Number, "aidWeakRuns", nullptr, &Faults::aidWeakRuns},
    {"aid-fail-run", Form::Number, "aidFailRun", nullptr, &Faults::aidFailRun},
    {"aid-fail-code", Form::Number, "aidFailCode", nullptr, &Faults::aidFailCode},
    {"aid-sum-run", Form::Number, "aidSumRun", nullptr, &Faults::aidSumRun},
    {"aid-sum", Form::Number, "aidSum", nullptr, &Faults::aidSum},
    {"ims-paper-reading", Form::Number, "imsPaperReading", nullptr, &Faults::imsPaperReading},
    {"ims-marks-fail", Form::Flag, "imsMarksFail", &Faults::imsMarksFail},
    {"own-work", Form::Number, "ownWorkPolls", nullptr, &Faults::ownWorkPolls},
    {"own-work-after", Form::Number, "ownWorkAfter", nullptr, &Faults::ownWorkAfter},
};

// A whole decimal or 0x-hexadecimal number of 0 or more.
bool ParseCount(std::string_view text, int& value) {
  const std::string digits(text);
  std::size_t used = 0;
  try {
    value = std::stoi(digits, &used, 0);
  } catch (const std::exception&) {
    return false;
  }
  return !digits.empty() && used == digits.size() && value >= 0;
}

int ToInt(const std::string& text) {
  try {
    return std::stoi(text);
  } catch (const std::exception&) {
    return -1;
  }
}

}  // namespace

bool ParseFault(std::string_view text, Faults& faults) {
  const std::size_t equals = text.find('=');
  const std::string_view name = text.substr(0, equals);
  const std::string_view value =
      equals == std::string_view::npos ? std::string_view() : text.substr(equals + 1);
  for (const FaultRow& row : kFaults) {
    if (row.name != name) continue;
    switch (row.form) {
      case Form::Flag:
        if (equals != std::string_view::npos) return false;
        faults.*row.flag = true;
        return true;
      case Form::Number: return ParseCount(value, faults.*row.number);
      case Form::Range: {
        const std::size_t dash = value.find('-');
        int from = 0, to = 0;
        if (dash == std::string_view::npos || !ParseCount(value.substr(0, dash), from) ||
            !ParseCount(value.substr(dash + 1), to) || to < from)
          return false;
        faults.*row.number = from;
        faults.*row.number2 = to;
        return true;
      }
    }
  }
  return false;
}

std::vector<std::string> DescribeFaults(const Faults& faults) {
  std::vector<std::string> given;
  for (const FaultRow& row : kFaults) {
    const std::string name(row.name);
    if (row.form == Form::Flag && faults.*row.flag) given.push_back(name);
    if (row.form == Form::Number && faults.*row.number >= 0)
      given.push_back(name + "=" + std::to_string(faults.*row.number));
    if (row.form == Form::Range && faults.*row.number >= 0) {
      given.push_back(name + "=" + std::to_string(faults.*row.number) + "-" +
                      std::to_string(faults.*row.number2));
    }
  }
  return given;
}

std::string FaultForms() {
  std::string forms;
  for (const FaultRow& row : kFaults) {
    if (!forms.empty()) forms += ", ";
    forms += row.name;
    if (row.form == Form::Number) forms += "=N";
    if (row.form == Form::Range) forms += "=FROM-TO";
  }
  return forms;
}

std::string SaveFaults(const Faults& faults) {
  std::string lines;
  for (const FaultRow& row : kFaults) {
    const std::string key(row.key);
    if (row.form == Form::Flag) lines += key + "=" + (faults.*row.flag ? "1" : "0") + "\n";
    if (row.form != Form::Flag) lines += key + "=" + std::to_string(faults.*row.number) + "\n";
    if (row.form == Form::Range)
      lines += std::string(row.key2) + "=" + std::to_string(faults.*row.number2) + "\n";
  }
  return lines;
}

void LoadFaults(const std::map<std::string, std::string>& values, Faults& faults) {
  auto take = [&values](std::string_view key, auto apply) {
    const auto found = values.find(std::string(key));
    if (found != values.end()) apply(ToInt(found->second));
  };
  for (const FaultRow& row : kFaults) {
    if (row.form == Form::Flag) take(row.key, [&](int v) { faults.*row.flag = v > 0; });
    if (row.form != Form::Flag) take(row.key, [&](int v) { faults.*row.number = v; });
    if (row.form == Form::Range) take(row.key2, [&](int v) { faults.*row.number2 = v; });
  }
}

}  // namespace vprinter
