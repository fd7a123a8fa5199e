#include "printer/model_test_settings.h"

namespace printer {
namespace {

// CE17 and CE20 are one mechanism in two widths: they differ by model code, far, end and adjust
// positions only.
void ApplyCE17Family(ModelTestSettings& r, const char* code, int farPos, int endPos,
                     int adjustPos) {
  r.ModelCode2 = code;
  r.CrRestPos = 30;
  r.CrStartPos = 170;
  r.CrNearPos = 200;
  r.CrFarPos = farPos;
  r.CrEndPos = endPos;
  r.CrAdjustPos = adjustPos;
  r.CrMeasure = {2808,  0, 2808, 0,    2808, 0,  3000, 0,    3000, 0,    3000, 0,     32767, 0,
                 32767, 0, 1201, 5000, 9,    13, 4,    3506, 4080, -220, 2000, -2000, 1444};
  r.PfMeasure = {3000,  0, 3000, 0,    3000, 0,  3000, 0,    3000, 0,   3000, 0,     32767, 0,
                 32767, 0, 696,  2084, 9,    12, 4,    2649, 4080, -65, 2000, -2000, 696};
  r.NozzleColorCodes = {0x11, 0x02, 0x82, 0x83, 0x00, 0x05, 0x10, 0x04, 0x01, 0x12, 0xFF, 0xFF};
}

// CE17
void ApplyCE17(ModelTestSettings& r) { ApplyCE17Family(r, "FM", 8252, 3614, 749); }

// CE20
void ApplyCE20(ModelTestSettings& r) { ApplyCE17Family(r, "FW", 11252, 6703, 735); }

// CE30
void ApplyCE30(ModelTestSettings& r) {
  r.ModelCode2 = "HS";
  r.CrRestPos = 35;
  r.CrStartPos = 35;
  r.CrNearPos = 305;
  r.CrFarPos = 9309;
  r.CrEndPos = 4000;
  r.CrMeasure = {2808,  0, 2808, 0,    2808, 0,  640, 195,  640,  195, 640, 195,  32767, 0,
                 32767, 0, 1010, 4167, 9,    13, 4,   3049, 4080, -67, 100, -100, 1389};
  r.PfMeasure = {3000,  0, 3000, 0,    3000, 0,  700, 243,  700,  243, 700, 243,  32767, 0,
                 32767, 0, 696,  2084, 9,    12, 4,   3049, 4080, -30, 100, -100, 520};
  r.NozzleColorCodes = {0xFF, 0xFF, 0x02, 0x04, 0x01, 0x00, 0x40, 0x41, 0x44, 0x42, 0xFF, 0xFF};
}

// The four sets CE39 to CE42 share their carriage positions and carriage measurement; they differ
// by width (far and end positions, paper-feed limits), AID limit and the number of head rows.
constexpr MotorMeasureSettings kLargeCrMeasure = {
    2808,  0, 2808, 0,    2808, 0,  500, 250,  400,  130, 500,  240,   32767, 0,
    32767, 0, 1111, 4167, 9,    13, 4,   3050, 4080, -51, 4000, -4000, 1389};
constexpr MotorMeasureSettings kNarrowPfMeasure = {
    3000,  0, 3000, 0,     3000, 0,  340, 190,  330,  180, 340,  190,   32767, 0,
    32767, 0, 692,  13888, 9,    12, 4,   1560, 4080, -25, 2000, -2000, 2080};
constexpr MotorMeasureSettings kWidePfMeasure = {
    3000,  0, 3000, 0,     3000, 0,  530, 250,  470,  240, 520,  260,   32767, 0,
    32767, 0, 692,  13888, 9,    12, 4,   1560, 4080, -25, 2000, -2000, 2080};
constexpr std::array<std::uint8_t, 12> kTenRows = {0x80, 0x81, 0x82, 0x83, 0x84, 0x85,
                                                   0x86, 0x87, 0x88, 0x89, 0xFF, 0xFF};
constexpr std::array<std::uint8_t, 12> kEightRows = {0x80, 0x81, 0x82, 0x83, 0xFF, 0xFF,
                                                     0x86, 0x87, 0x88, 0x89, 0xFF, 0xFF};

void ApplyLargeFormat(ModelTestSettings& r, const char* code, bool wide, int aidLimit,
                      const std::array<std::uint8_t, 12>& rows) {
  r.ModelCode2 = code;
  r.CrRestPos = 159;
  r.CrStartPos = 159;
  r.CrNearPos = 437;
  r.CrFarPos = wide ? 9939 : 6339;
  r.CrEndPos = wide ? 3300 : 159;
  r.CrAidPos = 734;
  r.CrAdjustPos = 468;
  r.AidLimit = aidLimit;
  r.CrMeasure = kLargeCrMeasure;
  r.PfMeasure = wide ? kWidePfMeasure : kNarrowPfMeasure;
  r.NozzleColorCodes = rows;
}

void ApplyCE39(ModelTestSettings& r) { ApplyLargeFormat(r, "LN", false, 3556, kTenRows); }
void ApplyCE40(ModelTestSettings& r) { ApplyLargeFormat(r, "LW", true, 3556, kTenRows); }
void ApplyCE41(ModelTestSettings& r) { ApplyLargeFormat(r, "NN", false, 2845, kEightRows); }
void ApplyCE42(ModelTestSettings& r) { ApplyLargeFormat(r, "NW", true, 2845, kEightRows); }

}  // namespace

bool ApplyTestSettings(std::string_view set, ModelTestSettings& record) {
  if (set == "CE17") {
    ApplyCE17(record);
    return true;
  }
  if (set == "CE20") {
    ApplyCE20(record);
    return true;
  }
  if (set == "CE30") {
    ApplyCE30(record);
    return true;
  }
  if (set == "CE39") {
    ApplyCE39(record);
    return true;
  }
  if (set == "CE40") {
    ApplyCE40(record);
    return true;
  }
  if (set == "CE41") {
    ApplyCE41(record);
    return true;
  }
  if (set == "CE42") {
    ApplyCE42(record);
    return true;
  }
  return false;
}

}  // namespace printer
