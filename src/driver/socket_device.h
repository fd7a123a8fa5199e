#pragma once
// A printer in another process, reached over a stream socket: each call travels as one request
// and comes back as one answer (device_wire.h). A printer that goes away, or stops answering,
// fails the call with kDrvDisconnected instead of holding the caller; the next call connects
// afresh.

#include <memory>
#include <mutex>
#include <string>

#include "driver/device.h"

namespace driver {

class SocketDevice final : public PrinterDevice {
public:
  // How much longer than its own time limit a call may go unanswered before the printer counts
  // as lost: long enough for the raw port's own time limit, short enough that a stopped printer
  // process never holds a run.
  static constexpr int kDefaultAnswerSlackMs = 30000;

  // location: "unix:<socket path>" or "tcp:<host>:<port>".
  explicit SocketDevice(std::string location, int answerSlackMs = kDefaultAnswerSlackMs);
  ~SocketDevice() override;
  SocketDevice(const SocketDevice&) = delete;
  SocketDevice& operator=(const SocketDevice&) = delete;

  int Call(DeviceCall& call) override;
  // Connects now; false when nobody answers at the location.
  bool Connect();

private:
  void Drop();

  std::string location_;
  int answerSlackMs_;
  std::mutex mutex_;
  int fd_ = -1;
};

// The printer at a location, connected; nullptr when nothing listens there.
std::shared_ptr<PrinterDevice> ConnectSocketDevice(
    const std::string& location, int answerSlackMs = SocketDevice::kDefaultAnswerSlackMs);

}  // namespace driver
