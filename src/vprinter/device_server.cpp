#include "vprinter/device_server.h"

#include "driver/device_wire.h"

namespace vprinter {

void DeviceServer::Converse(int connection) {
  bool sessionOpen = false;
  driver::wire::Message request;
  std::vector<std::uint8_t> in, out;
  while (driver::wire::ReadMessage(connection, request)) {
    std::optional<driver::DeviceCall> call = driver::wire::DecodeRequest(request, &in, &out);
    if (!call) break;  // not a request: the client is no client of ours
    const int result = printer_->Call(*call);
    if (call->op == driver::DeviceOp::OpenSession && result == driver::kDrvOk) sessionOpen = true;
    if (call->op == driver::DeviceOp::CloseSession) sessionOpen = false;
    if (!driver::wire::WriteMessage(connection, driver::wire::EncodeAnswer(result, *call))) break;
  }
  if (sessionOpen) {
    driver::DeviceCall close;
    close.op = driver::DeviceOp::CloseSession;
    printer_->Call(close);
  }
}

}  // namespace vprinter
