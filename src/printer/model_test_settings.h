#pragma once
// The per-model settings the test patterns and measurements read: carriage positions, the
// constants and limits of the motor measurements, the AID threshold and the nozzle-check lanes.
// Seven sets; identifying a model writes its set into the link's record, and a set writes only
// its own fields, so a field it leaves out keeps what an earlier set put there.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace printer {

struct MotorMeasureSettings {
  int TiH_Max, TiH_Min, TiL_Max, TiL_Min, TiChk_Max, TiChk_Min;
  int CurH_Max, CurH_Min, CurL_Max, CurL_Min, CurChk_Max, CurChk_Min;
  int Kc_Max, Kc_Min, Kd_Max, Kd_Min;
  int Level1, Level2, Exp1, Exp2, Exp3;
  int CurGainNum, CurGainDen, CurOffset;
  int Chk_Max, Chk_Min, Divisor;
};

struct ModelTestSettings {
  std::string ModelCode2;
  int CrRestPos = 0;
  int CrStartPos = 0;
  int CrNearPos = 0;
  int CrFarPos = 0;
  int CrEndPos = 0;
  int CrAidPos = 0;
  int CrAdjustPos = 0;
  MotorMeasureSettings CrMeasure{};
  MotorMeasureSettings PfMeasure{};
  int AidLimit = 0;
  std::array<std::uint8_t, 12> NozzleColorCodes{};  // 0xFF: the lane is not printed
};

// Writes the set ("CE17" .. "CE42") into the record; false for an unknown name.
bool ApplyTestSettings(std::string_view set, ModelTestSettings& record);

}  // namespace printer
