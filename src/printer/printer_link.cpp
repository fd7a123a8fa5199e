// CPrinterLink: session, status, the option unit's state and model identification.

#include "printer/printer_link.h"

#include <cstdio>

#include "printer/port_map.h"

namespace printer {
namespace {

constexpr std::chrono::milliseconds kPollInterval(1000);

}  // namespace

CPrinterLink::CPrinterLink(LinkEnvironment environment, std::unique_ptr<driver::GreltDriver> driver)
    : env_(environment),
      driver_(std::move(driver)),
      job_(std::make_unique_for_overwrite<std::uint8_t[]>(kJobBufferSize)) {}

bool CPrinterLink::Fail(int code) {
  lastError_ = code;
  return false;
}

bool CPrinterLink::Check(int result) { return result >= 0 || Fail(result); }

void CPrinterLink::Say(const std::string& text) {
  env_.ui.MessageBox(text, ui::kApplicationTitle, ui::kOk);
}

bool CPrinterLink::Open(int port) {
  port_ = port;
  int result = 0;
  if (env_.portMap != nullptr) env_.portMap->RefreshPortMap();
  if (env_.portMap != nullptr && port >= 11 && port <= 14) {
    result = driver_->Open(env_.portMap->PrinterForSlot(port - 10), &openInfo_);
  } else {
    result = driver_->Open(port, &openInfo_, env_.settings.nUseKorvuPort);
  }
  return Check(result);
}

int CPrinterLink::Close() { return driver_->Close(); }

bool CPrinterLink::GetStatus(driver::STATUSINF& status) {
  return Check(driver_->Ctl_GetStatus(&status));
}

std::string CPrinterLink::StatusText(int type) const {
  if (type >= 0 && type < static_cast<int>(env_.settings.strStatus.size())) {
    return env_.settings.strStatus[static_cast<std::size_t>(type)];
  }
  char text[64];
  std::snprintf(text, sizeof text, "Status - ERROR %2d J", type);
  return text;
}

bool CPrinterLink::WaitForStatus(int count, int wanted, int alternative) {
  if (count <= 0) return true;
  driver::STATUSINF status;
  for (int poll = 0; poll < count; ++poll) {
    env_.clock.Sleep(kPollInterval);
    if (!GetStatus(status)) return false;
    if (status.type == wanted || (alternative != -1 && status.type == alternative)) return true;
  }
  Say(StatusText(status.type));
  return Fail(kStatusTimeout);
}

bool CPrinterLink::GetAccelStatusText(std::string& state, std::string& onOff, std::string& value) {
  driver::ASTATUSINF status;
  if (driver_->Accel_Remote_GetStatus_st(&status) < 0) return false;
  if (status.state == 255) {
    state = "ERROR";
  } else if ((status.state & 1) == 0) {
    state = "STOP";
  } else {
    state = status.busy != 0 ? "BUSY" : "READY";
  }
  char text[32];
  std::snprintf(text, sizeof text, "%4.1f", static_cast<double>(status.reading));
  value = text;
  onOff = (status.flags & 0x08) != 0 ? "OFF" : "ON";
  return true;
}

bool CPrinterLink::GetAccelUnitStatus(std::uint8_t selector, std::string& text) {
  driver::ALSTATUSINF status;
  std::string result;
  bool ok = false;
  if (driver_->Accel_Remote_GetStatus(selector, &status) < 0) {
    result = "Cannot Get ASccel Status";
  } else if (status.offline != 0) {
    if ((status.offline & 1) != 0) result += "ACC_OFFLINE";
    if ((status.offline & 2) != 0) result += "ILS_OFFLINE";
  } else {
    ok = true;
    switch (status.state) {
      case 255:
        if (status.errorCode < 10) result = "ACCEL ERROR CODE " + std::to_string(status.errorCode);
        break;
      case 0: result = "STOP"; break;
      case 1: result = "READY"; break;
      case 2: result = "BUSY"; break;
      default: result = "UNKNOWN STATUS";
    }
    if (selector == 0 && status.calibrationFailed != 0) {
      result += "ILS_CALIB_FAILED";
      ok = false;
    }
  }
  text = result;
  return ok;
}

bool CPrinterLink::WaitForAccelStatus(int count, const std::string& wanted,
                                      const std::string& second) {
  std::string text;
  for (int read = 0; read <= count; ++read) {
    if (read > 0) env_.clock.Sleep(kPollInterval);
    GetAccelUnitStatus(0, text);
    if (text == wanted || (!second.empty() && text == second)) return true;
  }
  Say("Status : " + text + "\nPlease check the printer");
  return false;
}

int CPrinterLink::GetColorimetryReply(std::string& text) {
  std::string reply;
  const int result = driver_->Accel_Remote_GetColorimetry_RplyData(&reply);
  text += reply;
  return result;
}

bool CPrinterLink::SetModel(const std::string& code) {
  const driver::ModelConstants* model = driver::FindModel(code);
  if (model == nullptr) {
    Say("Unknown Model");
    return false;
  }
  if (model->key) key_ = *model->key;
  access_ = model->access;
  modelCode_ = code;
  if (!model->testSettings.empty()) {
    testSettingsSet_ = std::string(model->testSettings);
    ApplyTestSettings(model->testSettings, testSettings_);
  }
  return true;
}

}  // namespace printer
