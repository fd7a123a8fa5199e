#include "driver/cturbine.h"

#include "driver/device_directory.h"

namespace driver {

int CTurbine::WritePort(std::int32_t handle, const std::uint8_t* data, int length, int timeoutMs) {
  if (data == nullptr || length < 0 || timeoutMs < 0) return 0;
  const std::shared_ptr<PrinterDevice> device = DeviceOfHandle(handle);
  if (!device) return 0;
  DeviceCall call;
  call.op = DeviceOp::RawWrite;
  call.in = data;
  call.inLength = static_cast<std::size_t>(length);
  call.timeoutMs = timeoutMs;
  return device->Call(call) >= 0 && call.taken == call.inLength ? 1 : 0;
}

void CTurbine::ClosePort(std::int32_t) {
  // The handle belongs to the library's open port, which releases it when it closes.
}

}  // namespace driver
