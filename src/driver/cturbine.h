#pragma once
// The port writer: raw bytes to the data channel of the printer behind an open port handle.
// It reaches a printer that takes no session too (one waiting for firmware).

#include <cstdint>

namespace driver {

class CTurbine {
public:
  // Writes length bytes within the time-out; non-zero on success.
  int WritePort(std::int32_t handle, const std::uint8_t* data, int length, int timeoutMs);
  void ClosePort(std::int32_t handle);
};

}  // namespace driver
