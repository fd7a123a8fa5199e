// The colour-measuring option unit: its service functions, one per selector of item 10410.
//
// Operations:
//   210410  RunSensorAdjustment: 1 fan check, 2 mechanism cycling, 3 calibration check,
//           4 paper holder, 6 status

#include <chrono>
#include <string>
#include <string_view>

#include "encoder/factory_commands.h"
#include "operations/service_operations.h"
#include "operations/shared_steps.h"

namespace operations {
namespace {

using std::chrono::milliseconds;

constexpr const char* kInitialiseFailed = "ERROR : Intialize is failure.";
constexpr const char* kFanFailed = "ERROR : FAN motor is failure.";
constexpr const char* kFinished = "FINISH";
constexpr int kMsgUnitNotReady = 90000006;
// A unit that neither gets ready nor reports an error is given this many state reads, so that a
// silent unit ends the function instead of holding it for ever.
constexpr int kStateReads = 600;

class UnitService {
public:
  explicit UnitService(OperationRun& run)
      : run_(run), link_(run.link), wait_(run.env.ui, ItemTextOr(run.request, "Checking")) {}

  bool Run() {
    switch (run_.request.selector) {
      case 1: return CheckFan();
      case 2: return CycleMechanism();
      case 3: return CheckCalibration();
      case 4: return CheckPaperHolder();
      case 6: return CheckStatus();
      default: return false;
    }
  }

private:
  static std::string ItemTextOr(const OperationRequest& request, const char* fallback) {
    const std::string text = ItemText(request, 1);
    return text.empty() ? fallback : text;
  }

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

  bool CheckStatus() {
    std::string text;
    link_.GetAccelUnitStatus(1, text);
    return Show(run_, text == "READY" ? kMsgDone : kMsgUnitNotReady, text == "READY");
  }

  OperationRun& run_;
  printer::CPrinterLink& link_;
  const ScopedWaitDialog wait_;
};

}  // namespace

void AddOptionUnitOperations(OperationTable& table) {
  table.Add(210410, "RunSensorAdjustment", [](OperationRun& run) { return UnitService(run).Run(); });
}

}  // namespace operations
