#pragma once
// Serves one printer to other processes: each connection sends device calls (device_wire.h) and
// gets the printer's answers, one at a time; a message that is no request ends the connection.

#include <memory>

#include "driver/device.h"
#include "vprinter/stream_server.h"

namespace vprinter {

class DeviceServer final : public StreamServer {
public:
  explicit DeviceServer(std::shared_ptr<driver::PrinterDevice> printer)
      : printer_(std::move(printer)) {}
  ~DeviceServer() override { Finish(); }

protected:
  void Converse(int connection) override;

private:
  std::shared_ptr<driver::PrinterDevice> printer_;
};

}  // namespace vprinter
