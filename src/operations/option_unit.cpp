// The colour-measuring option unit: its service functions, one per selector of item 10410.
//
// Operations:
//   210410  RunSensorAdjustment: 0 attachment sensor and thermosensor, 1 fan check,
//           2 mechanism cycling, 3 calibration check, 4 paper holder, 5 tile positions,
//           6 status

#include <array>
#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include <cmath>
#include <cstdio>

#include "driver/nvram_map.h"
#include "driver/product_constants.h"
#include "encoder/factory_commands.h"
#include "encoder/raster_commands.h"
#include "encoder/remote_commands.h"
#include "operations/service_operations.h"
#include "operations/shared_steps.h"

namespace operations {
namespace {

using std::chrono::milliseconds;

constexpr const char* kInitialiseFailed = "ERROR : Intialize is failure.";
constexpr const char* kFanFailed = "ERROR : FAN motor is failure.";
constexpr const char* kFinished = "FINISH";
// The wait dialog's own text: the item's texts name the functions, not the work under way.
constexpr const char* kChecking = "Checking";
constexpr int kMsgUnitNotReady = 90000006;
// A unit that neither gets ready nor reports an error is given this many state reads, so that a
// silent unit ends the function instead of holding it for ever.
constexpr int kStateReads = 600;
constexpr double kTolerance = 2.5;  // degrees between the unit's reading and the measured
constexpr double kTileMatch = 0.15;  // colour difference of the white tile to a neighbour

class UnitService {
public:
  explicit UnitService(OperationRun& run) : run_(run), link_(run.link) {
    wait_.emplace(run.env.ui, kChecking);
  }

  bool Run() {
    switch (run_.request.selector) {
      case 0: return CheckSensors();
      case 1: return CheckFan();
      case 2: return CycleMechanism();
      case 3: return CheckCalibration();
      case 4: return CheckPaperHolder();
      case 5: return CheckTilePositions();
      case 6: return CheckStatus();
      default: return false;
    }
  }

private:
  void Say(const std::string& text, unsigned icon) {
    run_.env.ui.MessageBox(text, ui::kApplicationTitle, ui::kOk | icon);
  }
  bool Fail(const std::string& text) {
    Say(text, ui::kIconError);
    return false;
  }
  bool Sent(bool queued) { return queued && link_.FlushJob(); }

  std::string State() {
    std::string state, lamp, value;
    link_.GetAccelStatusText(state, lamp, value);
    return state;
  }

  // Reads the state until it is READY (true) or ERROR (false), pausing between reads.
  bool WaitReady(milliseconds pause) {
    for (int read = 0; read < kStateReads; ++read) {
      if (read > 0 && pause.count() > 0) run_.env.clock.Sleep(pause);
      const std::string state = State();
      if (state == "READY") return true;
      if (state == "ERROR") return false;
    }
    return false;
  }

  // The unit is stopped and started again, then waited for.
  bool Initialise(const char* failure, milliseconds pause) {
    if (!Sent(encoder::Factory7C_9A654D(link_, 254)) ||
        !Sent(encoder::Factory7C_9A654D(link_, 3)) || !WaitReady(pause))
      return Fail(failure);
    return true;
  }

  // The attachment sensor's lamp read up to eleven times until it shows `wanted`; a second
  // chance after the first message, then the unit needs repair.
  bool LampReads(const char* wanted, const char* firstMessage) {
    for (int chance = 0; chance < 2; ++chance) {
      for (int read = 0; read < 11; ++read) {
        std::string state, lamp, value;
        link_.GetAccelStatusText(state, lamp, value);
        if (lamp == wanted) return true;
      }
      if (chance == 0) Say(firstMessage, ui::kIconError);
    }
    return Fail("ERROR!! : Attachment sensor.\r\nPlease repair.");
  }

  bool CheckSensors() {
    if (!LampReads("OFF", "ERROR!! : Attachment sensor.\r\nPlease remove the SENSOR."))
      return false;
    Say("OK!! : Attachment sensor OFF.", ui::kIconInformation);
    Say("Please set the sensor.", 0);
    if (!LampReads("ON", "ERROR!! : Attachment sensor.\r\nPlease check the SENSOR.")) return false;
    Say("OK!! : Attachment sensor ON.", ui::kIconInformation);
    if (!Initialise("NG2 : Intialize is failure.", milliseconds(1000))) return false;
    return AdjustThermosensor();
  }

  // The unit's temperature correction in whole degrees: a signed byte in tenths, 129 to 255
  // standing for -127 to -1, cut toward zero.
  bool ReadCorrection(int& degrees) {
    std::uint8_t byte = 0;
    if (link_.ReadPrdNvram2(driver::nvram::kUnitCorrection, &byte) < 0) return false;
    degrees = (byte <= 128 ? byte : byte - 256) / 10;
    return true;
  }
  bool WriteCorrection(std::uint8_t value) {
    const auto& code = driver::kUnitAccessCode;
    return Sent(encoder::Factory7C_42BD21(link_, driver::nvram::kUnitCorrection, 0, value, code[0],
                                          code[1], code[2], code[3], code[4], code[5], code[6],
                                          code[7]) &&
                encoder::Factory7C_50AF28(link_));
  }

  template <typename... Values>
  void SayValues(const char* format, unsigned icon, Values... values) {
    char text[256];
    std::snprintf(text, sizeof text, format, values...);
    Say(text, icon);
  }

  // The technician measures the temperature and types it; the unit's own reading must agree
  // within 2.5 degrees, after at most one correction of a degree.
  bool AdjustThermosensor() {
    double entered = 0;
    if (!run_.env.ui.AskTemperature(entered)) return false;
    for (int attempt = 0;; ++attempt) {
      std::string state, lamp, value;
      link_.GetAccelStatusText(state, lamp, value);
      if (state != "READY") return Fail("ERROR!! : Mounter is not ready.");
      const double sensor = std::atof(value.c_str());
      if (sensor == 0 || sensor == 50) {
        SayValues("NG2 : Termosensor %f", ui::kIconError, sensor);
        return false;
      }
      const double difference = sensor - entered;
      int correction = 0;
      if (std::fabs(difference) <= kTolerance) {
        if ((attempt == 0 && !WriteCorrection(0)) || !ReadCorrection(correction)) return false;
        KeepThermosensor(sensor, entered, correction, difference);
        SayValues(
            "OK : Termosensor.\r\nSensor Temp = %f / Correct value =%5.2f\r\nInput Temp = "
            "%f\r\nCorrect Temp = %f",
            ui::kIconInformation, sensor, double(correction), entered, sensor + correction);
        return true;
      }
      if (attempt == 2) return JudgeCorrected(sensor, entered);
      if (attempt == 0) {
        SayValues(
            "NG1: Please check the temperature again.\r\nSensor Temp = %5.2f\r\nInput Temp = "
            "%5.2f",
            ui::kIconWarning, sensor, entered);
      } else {
        if (!WriteCorrection(difference > kTolerance ? 0xF6 : 0x0A)) return false;
        run_.env.clock.Sleep(milliseconds(1000));
        if (!ReadCorrection(correction)) return false;
        SayValues(
            "NG1: Adjust  the temperature\r\nPlease check the temperature again.\r\nSensor "
            "Temp = %5.2f / Correct value = %5.2f\r\nInput Temp = %5.2f",
            ui::kIconWarning, sensor, double(correction), entered);
      }
      if (!run_.env.ui.AskTemperature(entered)) return false;
    }
  }

  // The sensor's reading (S), the temperature typed (T), the unit's correction (C) and the
  // difference judged (D) as the run's measurements; whether D is within the tolerance.
  bool KeepThermosensor(double sensor, double entered, int correction, double difference) {
    MeasurementRecorder& kept = run_.env.measurements;
    kept.Add(record::Judge("Thermosensor S", sensor, "\u00B0C", {}, {}));
    kept.Add(record::Judge("Thermosensor T", entered, "\u00B0C", {}, {}));
    kept.Add(record::Judge("Thermosensor C", correction, "\u00B0C", {}, {}));
    return kept.Add(
        record::Judge("Thermosensor D", difference, "\u00B0C", -kTolerance, kTolerance));
  }

  bool JudgeCorrected(double sensor, double entered) {
    int correction = 0;
    if (!ReadCorrection(correction)) return false;
    const bool good = KeepThermosensor(sensor, entered, correction, sensor - entered + correction);
    SayValues(good ? "OK : Termosensor\r\nSensor Temp = %5.2f / Correct value = %5.2f\r\nInput "
                     "Temp = %5.2f\r\nCorrect Temp = %f"
                   : "NG2 : Termosensor\r\nSensor Temp = %5.2f / Correct value = %5.2f\r\nInput "
                     "Temp = %5.2f\r\nCorrect Temp = %f",
              good ? ui::kIconInformation : ui::kIconError, sensor, double(correction), entered,
              sensor + correction);
    return good;
  }

  bool CheckFan() {
    if (!Initialise(kInitialiseFailed, milliseconds(0))) return false;
    if (!Sent(encoder::Factory7C_9966CC(link_, 17, 70, 300))) return Fail(kFanFailed);
    run_.env.clock.Sleep(milliseconds(1000));
    if (!WaitReady(milliseconds(0))) return Fail(kFanFailed);
    Say(kFinished, ui::kIconInformation);
    return true;
  }

  // Three strokes of the unit's mechanism; nothing to say when it went through.
  bool CycleMechanism() {
    if (!Initialise(kInitialiseFailed, milliseconds(0))) return false;
    bool sent = Sent(encoder::Factory7C_9768CB(link_, 1));
    for (int stroke = 0; stroke < 3 && sent; ++stroke) {
      sent = Sent(encoder::Factory7C_CD32E6(link_, 0, 1811));
      run_.env.clock.Sleep(milliseconds(2000));
      sent = sent && Sent(encoder::Factory7C_CD32E6(link_, 0, 0));
      run_.env.clock.Sleep(milliseconds(2000));
    }
    sent = sent && Sent(encoder::Factory7C_9768CB(link_, 2));
    run_.env.clock.Sleep(milliseconds(2000));
    return sent;
  }

  bool CheckCalibration() {
    std::string text;
    if (link_.GetAccelUnitStatus(0, text)) {
      Say("Caliration check OK", ui::kIconInformation);
      return true;
    }
    // The link appends the calibration flag to the state text ("STOPILS_CALIB_FAILED"): the flag
    // is what decides, whatever state stands before it.
    constexpr std::string_view kCalibrationFailed = "ILS_CALIB_FAILED";
    if (text.ends_with(kCalibrationFailed))
      return Fail("ERROR:ILS Calibration\r\nPlease check the calibration tile or ILS.");
    Say("ERROR:" + text + "\r\nPlease check the USB & DC cables", 0);
    return false;
  }

  // The paper holder closes, the technician looks at it, and it opens again.
  bool CheckPaperHolder() {
    if (!Sent(encoder::Factory7B_25DA92(link_, 254)) || !Sent(encoder::Factory7B_25DA92(link_, 3)))
      return false;
    run_.env.clock.Sleep(milliseconds(100));
    if (!link_.WaitForAccelStatus(30, "STOP", "") || !link_.WaitForAccelStatus(30, "READY", ""))
      return false;
    if (!Sent(encoder::Factory7B_22DD11(link_, 1))) return false;
    Say("Please check the Paper Holder condition.", ui::kIconWarning);
    if (!Sent(encoder::Factory7B_22DD11(link_, 2))) return false;
    Say(kFinished, ui::kIconInformation);
    return true;
  }

  // The unit is parked: stopped, started and waited for until it stands ready.
  bool Park() {
    if (!Sent(encoder::Factory7B_25DA92(link_, 254)) || !Sent(encoder::Factory7B_25DA92(link_, 3)))
      return false;
    run_.env.clock.Sleep(milliseconds(100));
    return link_.WaitForAccelStatus(30, "STOP", "") && link_.WaitForAccelStatus(30, "READY", "");
  }

  // The remote-mode closing (job end inside remote mode, then out of it) and a printer reset.
  bool LeaveRemoteMode() {
    return Sent(encoder::RemoteJobEpilogue(link_) && encoder::ResetPrinter(link_));
  }

  // L, a and b of the tile under the unit: eight characters before the first comma after the
  // first character, eight after it, and eight from ten characters after it.
  static bool ParseLab(const std::string& reply, std::array<double, 3>& lab) {
    const std::size_t comma = reply.find(',', 1);
    if (comma == std::string::npos || comma < 8 || reply.size() < comma + 18) return false;
    lab = {std::atof(reply.substr(comma - 8, 8).c_str()),
           std::atof(reply.substr(comma + 1, 8).c_str()),
           std::atof(reply.substr(comma + 10, 8).c_str())};
    return true;
  }

  static double DeltaE(const std::array<double, 3>& p, const std::array<double, 3>& q) {
    return std::sqrt((p[0] - q[0]) * (p[0] - q[0]) + (p[1] - q[1]) * (p[1] - q[1]) +
                     (p[2] - q[2]) * (p[2] - q[2]));
  }

  // The five tiles measured in turn; the white tile at 6 must match one of its neighbours.
  bool CheckTilePositions() {
    constexpr int kPositions[5] = {0, 4, 6, 8, 12};
    if (!Park()) return false;
    std::array<std::array<double, 3>, 5> lab{};
    bool queued = encoder::Factory7B_22DD11(link_, 1);
    for (int i = 0; i < 5; ++i) {
      run_.env.ui.ShowWaitDialog("Tile position check. " + std::to_string(i));
      if (!Sent(queued && encoder::Factory7B_28D714(link_, 0, kPositions[i]) &&
                encoder::Factory7B_40BF20(link_, 2, 4)))
        return false;
      run_.env.clock.Sleep(milliseconds(6000));
      if (!Sent(encoder::Factory7B_42BD21(link_))) return false;
      run_.env.clock.Sleep(milliseconds(6000));
      queued = true;
      std::string reply;
      link_.GetColorimetryReply(reply);
      if (reply.empty() || !ParseLab(reply, lab[static_cast<std::size_t>(i)])) {
        wait_.reset();
        Fail("ERROR : Colorimetry scan.");
        LeaveRemoteMode();
        return false;
      }
    }
    if (!Park()) return false;
    wait_.reset();
    const double de64 = DeltaE(lab[2], lab[1]);
    const double de68 = DeltaE(lab[2], lab[3]);
    const bool near4 = run_.env.measurements.Add(record::Judge("DE64", de64, "", {}, kTileMatch));
    const bool near8 = run_.env.measurements.Add(record::Judge("DE68", de68, "", {}, kTileMatch));
    if (!near4 && !near8) {
      SayValues("ERROR : Tile position check. DE64=%f/DE68=%f", ui::kIconError, de64, de68);
      LeaveRemoteMode();
      return false;
    }
    Say("Tile position check OK.", ui::kIconInformation);
    return true;
  }

  bool CheckStatus() {
    std::string text;
    link_.GetAccelUnitStatus(1, text);
    return Show(run_, text == "READY" ? kMsgDone : kMsgUnitNotReady, text == "READY");
  }

  OperationRun& run_;
  printer::CPrinterLink& link_;
  std::optional<ScopedWaitDialog> wait_;
};

}  // namespace

void AddOptionUnitOperations(OperationTable& table) {
  table.Add(210410, "RunSensorAdjustment",
            [](OperationRun& run) { return UnitService(run).Run(); });
}

}  // namespace operations
