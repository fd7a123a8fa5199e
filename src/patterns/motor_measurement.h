#pragma once
// The load measurement of the carriage (CR) and paper-feed (PF) motors: the printer runs the
// measured moves and leaves its readings in NVRAM; the program averages and converts them into
// the motor's two load constants, judges every value against the model's limits and, when all
// pass, writes the constants back and marks the measurement done.

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "printer/model_test_settings.h"

namespace printer {
class CPrinterLink;
}

namespace patterns {

// Judgement codes of a failed measurement: below Min / above Max.
enum MotorJudgement : int {
  kCurrentHLow = -990,
  kCurrentHHigh = -991,
  kCurrentLLow = -988,
  kCurrentLHigh = -989,
  kCurrentChkLow = -986,
  kCurrentChkHigh = -987,
  kTimeHLow = -984,
  kTimeHHigh = -985,
  kTimeLLow = -982,
  kTimeLHigh = -983,
  kTimeChkLow = -980,
  kTimeChkHigh = -981,
  kKcLow = -978,
  kKcHigh = -979,
  kKdLow = -976,
  kKdHigh = -977,
  kCheckOutside = -974,
  kNoDivisor = -972,  // the readings leave nothing to divide by (all times equal, say)
};

// The raw readings of one measurement.
struct MotorReadings {
  std::array<int, 3> currentH{};
  std::array<int, 3> timeH{};
  std::array<int, 3> currentL{};
  std::array<int, 3> timeL{};
  int currentChk = 0;
  int timeChk = 0;
};

// What the readings come to: 32-bit integer arithmetic, divisions truncating toward zero,
// products wrapping.
struct MotorValues {
  int aveTi_H = 0;
  int aveTi_L = 0;
  int aveTi_CHK = 0;
  int Current_H = 0;
  int Current_L = 0;
  int Current_CHK = 0;
  int Fuka_kc = 0;
  int Fuka_kd = 0;
  int check = 0;
  bool divisible = true;  // false when N / 2^Exp1 or N / 2^Exp3 is 0
};

MotorValues ComputeMotorValues(const MotorReadings& readings,
                               const printer::MotorMeasureSettings& s);
// One test of the judgement: a value against its limits and the codes it fails with.
struct JudgedValue {
  const char* name;
  int value;
  int min;
  int max;
  int lowCode;   // below min
  int highCode;  // above max (this code when a value is both, with limits the wrong way round)
  // The value's judgement code, 1 when it passes.
  int Code() const;
};

// The tests of the judgement table, in its order (meaningful only when values.divisible).
std::vector<JudgedValue> JudgedMotorValues(const MotorValues& values,
                                           const printer::MotorMeasureSettings& s);
// The code of the last failing test, in the order of the judgement table, or 1 when all pass.
int JudgeMotorValues(const MotorValues& values, const printer::MotorMeasureSettings& s);

// Each measurement leaves in `measured` what the readings came to once they were all taken.
bool MeasureCrMotor(printer::CPrinterLink& link, std::optional<MotorValues>& measured);
bool MeasurePfMotor(printer::CPrinterLink& link, std::optional<MotorValues>& measured);

}  // namespace patterns
