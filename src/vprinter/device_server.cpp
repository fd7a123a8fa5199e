#include "vprinter/device_server.h"

#include "driver/device_wire.h"

namespace vprinter {

void DeviceServer::Converse(int connection) {
  driver::wire::Message request;
  std::vector<std::uint8_t> in, out;
  while (driver::wire::ReadMessage(connection, request)) {
    std::optional<driver::DeviceCall> call = driver::wire::DecodeRequest(request, &in, &out);
    if (!call) return;  // not a request: the client is no client of ours
    const int result = printer_->Call(*call);
    if (!driver::wire::WriteMessage(connection, driver::wire::EncodeAnswer(result, *call))) return;
  }
}

}  // namespace vprinter
