#include "patterns/motor_measurement.h"

#include "driver/nvram_map.h"

#include <limits>

#include "encoder/factory_commands.h"
#include "printer/printer_link.h"

namespace patterns {
namespace {

using printer::CPrinterLink;
using printer::MotorMeasureSettings;

// 32-bit arithmetic as the measurement defines it: products wrap, divisions truncate.
int Mul(int a, int b) {
  return static_cast<int>(static_cast<std::uint32_t>(a) * static_cast<std::uint32_t>(b));
}
int Add(int a, int b) {
  return static_cast<int>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}
int Sub(int a, int b) {
  return static_cast<int>(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b));
}
int Div(int a, int b) {
  if (b == -1) return Sub(0, a);  // wraps for the lowest int instead of trapping
  return a / b;
}
int Pow2(int n) { return n >= 0 && n < 31 ? 1 << n : 0; }

int Average(const std::array<int, 3>& r) { return Div(Add(Add(r[0], r[1]), r[2]), 3); }

int Current(int raw, const MotorMeasureSettings& s) {
  return s.CurGainDen == 0 ? 0 : Add(Div(Mul(raw, s.CurGainNum), s.CurGainDen), s.CurOffset);
}

struct Addresses {
  int motor;  // 1 carriage, 2 paper feed
  int flag;
  int current;
  int time;
  int kc;
  int kd;
};
constexpr Addresses kCr{1,    135, driver::nvram::kCarriageCurrent, driver::nvram::kCarriageTime,
                        7828, 7830};
constexpr Addresses kPf{2,    136, driver::nvram::kPaperFeedCurrent, driver::nvram::kPaperFeedTime,
                        7832, 7834};

// One measured move, sent, and the two-byte reading it left.
bool Reading(CPrinterLink& link, const Addresses& a, int mode, int target, bool current,
             int& value) {
  std::uint8_t bytes[2];
  if (!encoder::Factory7D_13EC89(link, a.motor, mode, static_cast<std::uint32_t>(target)) ||
      !link.FlushJob() || !link.ReadPrdNvramMulti(current ? a.current : a.time, 2, bytes)) {
    return false;
  }
  value = bytes[0] | (bytes[1] << 8);
  return true;
}

bool Readings(CPrinterLink& link, const Addresses& a, int mode, const std::array<int, 3>& targets,
              bool current, std::array<int, 3>& values) {
  for (std::size_t i = 0; i < 3; ++i) {
    if (!Reading(link, a, mode, targets[i], current, values[i])) return false;
  }
  return true;
}

// Opens the measurement: the flag goes to 0xFF and must read back so.
bool OpenMeasurement(CPrinterLink& link, const Addresses& a) {
  std::uint8_t flag = 0;
  if (!link.WritePrdNvram(a.flag, 0xFF) || !link.FlushJob() || !link.ReadPrdNvram(a.flag, flag))
    return false;
  if (flag != 0xFF) {
    link.SetLastError(printer::kReadBackDiffers);
    return false;
  }
  return true;
}

// Writes two result bytes and checks them.
bool StoreWord(CPrinterLink& link, int address, int value) {
  const std::uint8_t bytes[2] = {static_cast<std::uint8_t>(value),
                                 static_cast<std::uint8_t>(value >> 8)};
  std::uint8_t back[2];
  if (!link.WritePrdNvramMulti(address, 2, bytes) || !encoder::Factory7C_08F704(link, 0) ||
      !link.FlushJob() || !link.ReadPrdNvramMulti(address, 2, back)) {
    return false;
  }
  if (back[0] != bytes[0] || back[1] != bytes[1]) {
    link.SetLastError(printer::kReadBackDiffers);
    return false;
  }
  return true;
}

// Computes, judges and, when everything passed, stores the constants and closes the measurement.
bool Conclude(CPrinterLink& link, const Addresses& a, const MotorReadings& readings,
              const MotorMeasureSettings& s, std::optional<MotorValues>& measured) {
  const MotorValues values = ComputeMotorValues(readings, s);
  measured = values;
  // A code left by an earlier operation on this link must not fail a good measurement.
  link.SetLastError(JudgeMotorValues(values, s));
  if (link.LastError() != printer::kLinkFresh) return false;
  if (!StoreWord(link, a.kc, values.Fuka_kc) || !StoreWord(link, a.kd, values.Fuka_kd))
    return false;
  std::uint8_t flag = 0;
  if (!link.WritePrdNvram(a.flag, 1) || !link.FlushJob() || !link.ReadPrdNvram(a.flag, flag))
    return false;
  if (flag != 1) {
    link.SetLastError(printer::kReadBackDiffers);
    return false;
  }
  return true;
}

}  // namespace

MotorValues ComputeMotorValues(const MotorReadings& r, const MotorMeasureSettings& s) {
  MotorValues v;
  v.aveTi_H = Average(r.timeH);
  v.aveTi_L = Average(r.timeL);
  v.aveTi_CHK = r.timeChk;
  v.Current_H = Current(Average(r.currentH), s);
  v.Current_L = Current(Average(r.currentL), s);
  v.Current_CHK = Current(r.currentChk, s);
  const int n = Sub(Mul(s.Level2, v.aveTi_L), Mul(s.Level1, v.aveTi_H));
  const int kcDivisor = Pow2(s.Exp1) == 0 ? 0 : Div(n, Pow2(s.Exp1));
  const int kdDivisor = Pow2(s.Exp3) == 0 ? 0 : Div(n, Pow2(s.Exp3));
  if (kcDivisor == 0 || kdDivisor == 0 || Pow2(s.Exp2) == 0 || Pow2(s.Exp2 - s.Exp3) == 0 ||
      s.Divisor == 0) {
    v.divisible = false;
    return v;
  }
  v.Fuka_kc = Div(Sub(Mul(s.Level2, v.Current_L), Mul(s.Level1, v.Current_H)), kcDivisor);
  v.Fuka_kd = Div(Mul(Div(Mul(s.Level1, s.Level2), Pow2(s.Exp2)),
                      Sub(Mul(v.aveTi_H, v.Current_L), Mul(v.aveTi_L, v.Current_H))),
                  kdDivisor);
  v.check = Add(Sub(Div(Mul(Pow2(s.Exp2 - s.Exp3), v.Fuka_kd), s.Divisor),
                    Div(Mul(v.Fuka_kc, v.aveTi_CHK), Pow2(s.Exp1))),
                v.Current_CHK);
  return v;
}

int JudgedValue::Code() const {
  return value > max ? highCode : value < min ? lowCode : printer::kLinkFresh;
}

std::vector<JudgedValue> JudgedMotorValues(const MotorValues& v, const MotorMeasureSettings& s) {
  return {
      {"Current_H", v.Current_H, s.CurH_Min, s.CurH_Max, kCurrentHLow, kCurrentHHigh},
      {"Current_L", v.Current_L, s.CurL_Min, s.CurL_Max, kCurrentLLow, kCurrentLHigh},
      {"Current_CHK", v.Current_CHK, s.CurChk_Min, s.CurChk_Max, kCurrentChkLow, kCurrentChkHigh},
      {"aveTi_H", v.aveTi_H, s.TiH_Min, s.TiH_Max, kTimeHLow, kTimeHHigh},
      {"aveTi_L", v.aveTi_L, s.TiL_Min, s.TiL_Max, kTimeLLow, kTimeLHigh},
      {"aveTi_CHK", v.aveTi_CHK, s.TiChk_Min, s.TiChk_Max, kTimeChkLow, kTimeChkHigh},
      {"Fuka_kc", v.Fuka_kc, s.Kc_Min, s.Kc_Max, kKcLow, kKcHigh},
      {"Fuka_kd", v.Fuka_kd, s.Kd_Min, s.Kd_Max, kKdLow, kKdHigh},
      {"check", v.check, s.Chk_Min, s.Chk_Max, kCheckOutside, kCheckOutside},
  };
}

int JudgeMotorValues(const MotorValues& v, const MotorMeasureSettings& s) {
  if (!v.divisible) return kNoDivisor;
  int code = printer::kLinkFresh;
  for (const JudgedValue& judged : JudgedMotorValues(v, s))
    if (judged.Code() != printer::kLinkFresh) code = judged.Code();
  return code;
}

bool MeasureCrMotor(CPrinterLink& link, std::optional<MotorValues>& measured) {
  const printer::ModelTestSettings& t = link.TestSettings();
  const Addresses& a = kCr;
  if (!OpenMeasurement(link, a)) return false;
  if (!encoder::Factory7D_807F40(link, 0) || !encoder::Factory7D_03FC81(link, 2) ||
      !encoder::Factory7D_01FE80(link, 0, t.CrNearPos) || !link.FlushJob()) {
    return false;
  }
  const std::array<int, 3> farNearFar = {t.CrFarPos, t.CrNearPos, t.CrFarPos};
  const std::array<int, 3> nearFarNear = {t.CrNearPos, t.CrFarPos, t.CrNearPos};
  MotorReadings r;
  if (!Readings(link, a, 4, farNearFar, true, r.currentH) ||
      !Readings(link, a, 1, nearFarNear, false, r.timeH) ||
      !Readings(link, a, 6, farNearFar, true, r.currentL) ||
      !Readings(link, a, 3, nearFarNear, false, r.timeL) ||
      !Reading(link, a, 5, t.CrFarPos, true, r.currentChk)) {
    return false;
  }
  // The check time: a move home, then the measured move out, read after both.
  std::uint8_t bytes[2];
  if (!encoder::Factory7D_13EC89(link, a.motor, 0, static_cast<std::uint32_t>(t.CrNearPos)) ||
      !encoder::Factory7D_13EC89(link, a.motor, 2, static_cast<std::uint32_t>(t.CrFarPos)) ||
      !link.FlushJob() || !link.ReadPrdNvramMulti(a.time, 2, bytes)) {
    return false;
  }
  r.timeChk = bytes[0] | (bytes[1] << 8);
  if (!encoder::Factory7D_13EC89(link, a.motor, 0, static_cast<std::uint32_t>(t.CrNearPos)) ||
      !link.FlushJob()) {
    return false;
  }
  if (!encoder::Factory7D_01FE80(link, 0, t.CrRestPos) || !encoder::Factory7D_807F40(link, 1) ||
      !link.FlushJob() || !link.WaitForStatus(60, 4, -1)) {
    return false;
  }
  return Conclude(link, a, r, t.CrMeasure, measured);
}

bool MeasurePfMotor(CPrinterLink& link, std::optional<MotorValues>& measured) {
  const printer::ModelTestSettings& t = link.TestSettings();
  const Addresses& a = kPf;
  if (!OpenMeasurement(link, a)) return false;
  const std::array<int, 3> long3 = {14400, 14400, 14400};
  const std::array<int, 3> short3 = {2880, 2880, 2880};
  MotorReadings r;
  if (!Readings(link, a, 3, long3, true, r.currentH) ||
      !Readings(link, a, 0, long3, false, r.timeH) ||
      !Readings(link, a, 5, short3, true, r.currentL) ||
      !Readings(link, a, 2, short3, false, r.timeL) ||
      !Reading(link, a, 4, 8640, true, r.currentChk) ||
      !Reading(link, a, 1, 8640, false, r.timeChk)) {
    return false;
  }
  return Conclude(link, a, r, t.PfMeasure, measured);
}

}  // namespace patterns
