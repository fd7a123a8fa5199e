#pragma once
// A printer that fails on cue: it stands between the library and a virtual printer, passes every
// call on, and at the Nth call of one kind fails it as a real printer fails there (gone from the
// bus, a status or block read that does not come back, a refused write, paper that runs out or
// jams in the middle of a job). It also keeps the calls, so a clean run tells where a campaign
// can make the printer fail.

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "driver/device.h"
#include "driver/device_directory.h"
#include "vprinter/virtual_printer.h"

namespace testing_support {

enum class FailurePoint {
  None,
  Lost,         // from the Nth call on, every call fails: unplugged
  Killed,       // the printer's process is killed as the Nth call goes out over its socket
  StatusFails,  // from the Nth status read on, status reads fail
  ReadFails,    // the Nth block read fails
  WriteFails,   // the Nth NVRAM or list write (or erase) fails, and nothing of it is written
  PaperOut,     // the paper runs out as the Nth piece of a job arrives
  PaperJam,     // the paper jams as the Nth piece of a job arrives
};

inline const char* PointName(FailurePoint point) {
  switch (point) {
    case FailurePoint::None: return "none";
    case FailurePoint::Lost: return "lost";
    case FailurePoint::Killed: return "killed";
    case FailurePoint::StatusFails: return "status-fails";
    case FailurePoint::ReadFails: return "read-fails";
    case FailurePoint::WriteFails: return "write-fails";
    case FailurePoint::PaperOut: return "paper-out";
    case FailurePoint::PaperJam: return "paper-jam";
  }
  return "?";
}

// Whether a call is one that the point makes fail.
inline bool PointMeets(FailurePoint point, driver::DeviceOp op) {
  using driver::DeviceOp;
  switch (point) {
    case FailurePoint::None: return false;
    case FailurePoint::Lost:
    case FailurePoint::Killed: return true;
    case FailurePoint::StatusFails:
      return op == DeviceOp::GetStatus || op == DeviceOp::AccelStatus ||
             op == DeviceOp::AccelStatusShort || op == DeviceOp::EraseReply;
    case FailurePoint::ReadFails:
      return op == DeviceOp::CtlRead || op == DeviceOp::PrdRead || op == DeviceOp::UnitRead ||
             op == DeviceOp::ListRead || op == DeviceOp::ReadRtc ||
             op == DeviceOp::ReadRtcSetValue || op == DeviceOp::AccelColorimetry;
    case FailurePoint::WriteFails:
      return op == DeviceOp::CtlWrite || op == DeviceOp::ListWrite || op == DeviceOp::ListErase;
    case FailurePoint::PaperOut:
    case FailurePoint::PaperJam: return op == DeviceOp::Send || op == DeviceOp::RawWrite;
  }
  return false;
}

class FaultyDevice final : public driver::PrinterDevice {
public:
  // Calls go to the printer itself, or the way given (its process's socket), which `kill` ends.
  FaultyDevice(std::shared_ptr<vprinter::VirtualPrinter> printer, FailurePoint point, int at,
               std::shared_ptr<driver::PrinterDevice> way = nullptr,
               std::function<void()> kill = {})
      : printer_(std::move(printer)),
        way_(way ? std::move(way) : printer_),
        point_(point),
        at_(at),
        kill_(std::move(kill)) {}

  int Call(driver::DeviceCall& call) override {
    calls_.push_back(call.op);
    const bool meets = PointMeets(point_, call.op);
    if (meets) ++met_;
    const bool failsFromNowOn = point_ == FailurePoint::Lost || point_ == FailurePoint::StatusFails;
    if (meets && at_ > 0 && (met_ == at_ || (failsFromNowOn && met_ > at_))) {
      switch (point_) {
        case FailurePoint::Lost: return driver::kDrvDisconnected;
        case FailurePoint::Killed: kill_(); break;
        case FailurePoint::StatusFails: return driver::kDrvFailure;
        case FailurePoint::ReadFails: return driver::kDrvReadFailed;
        case FailurePoint::WriteFails: return driver::kDrvWriteFailed;
        case FailurePoint::PaperOut:
        case FailurePoint::PaperJam: {
          vprinter::Faults faults = printer_->Snapshot().faults;
          (point_ == FailurePoint::PaperOut ? faults.paperOut : faults.paperJam) = true;
          printer_->SetFaults(faults);
          break;
        }
        case FailurePoint::None: break;
      }
    }
    const int result = way_->Call(call);
    if (afterEachCall_) afterEachCall_();
    return result;
  }
  // Called after every call has reached the printer, to watch its state as a run goes on.
  void AfterEachCall(std::function<void()> hook) { afterEachCall_ = std::move(hook); }

  // How many of the calls so far a point would meet.
  int Meeting(FailurePoint point) const {
    return static_cast<int>(
        std::count_if(calls_.begin(), calls_.end(),
                      [point](driver::DeviceOp op) { return PointMeets(point, op); }));
  }

  // Makes "faulty:<name>" endpoints reach the device registered under that name.
  static void Register(const std::string& name, std::shared_ptr<FaultyDevice> device) {
    Devices()[name] = std::move(device);
    driver::DeviceDirectory::RegisterScheme("faulty", [](const std::string& location) {
      const auto found = Devices().find(location);
      return found == Devices().end() ? nullptr
                                      : std::shared_ptr<driver::PrinterDevice>(found->second);
    });
  }
  static void Forget(const std::string& name) { Devices().erase(name); }

private:
  static std::map<std::string, std::shared_ptr<FaultyDevice>>& Devices() {
    static std::map<std::string, std::shared_ptr<FaultyDevice>> devices;
    return devices;
  }

  std::shared_ptr<vprinter::VirtualPrinter> printer_;
  std::shared_ptr<driver::PrinterDevice> way_;
  FailurePoint point_;
  int at_;
  std::function<void()> kill_;
  int met_ = 0;
  std::function<void()> afterEachCall_;
  std::vector<driver::DeviceOp> calls_;
};

}  // namespace testing_support
