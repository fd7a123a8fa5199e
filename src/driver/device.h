#pragma once
// A printer as the library reaches it: one call interface, so that a printer in this process and
// one behind a socket look the same to the library.

#include <array>
#include <cstdint>
#include <string>

#include "driver/product_constants.h"
#include "driver/records.h"

namespace driver {

enum class DeviceOp {
  OpenSession,  // fails with kDrvBootMode while the printer waits for firmware
  CloseSession,
  Send,       // in/inLength, wholeOnly; taken: bytes accepted (kDrvBusy when none)
  GetStatus,  // status
  CtlRead,    // address, count, out
  CtlWrite,   // address, in/inLength, key
  PrdRead,    // address, count, out
  UnitRead,   // the option unit's NVRAM: address, count, out
  ReadRtc,    // text
  ReadRtcSetValue,
  ReadRomVersion,
  ListErase,   // listKind
  EraseReply,  // listKind; state
  ListRead,    // listKind, value1 (offset), value2 (count), out
  ListWrite,   // listKind, value1, value2, in
  ResumePaperJam,
  ResumePaperOut,
  AccelStatusShort,  // accel
  AccelStatus,       // selector; unit
  AccelColorimetry,  // text
  RawWrite,          // in/inLength, timeoutMs: the port writer's data channel
};

struct DeviceCall {
  DeviceOp op = DeviceOp::GetStatus;
  AccessCode access{};
  WriteKey key{};
  int address = 0;
  int count = 0;
  std::uint8_t listKind = 0;
  std::uint8_t selector = 0;
  std::uint16_t value1 = 0;
  std::uint16_t value2 = 0;
  const std::uint8_t* in = nullptr;
  std::size_t inLength = 0;
  std::uint8_t* out = nullptr;
  int timeoutMs = 0;
  // Send: take all of it or nothing, for a caller that sends the same piece again when busy.
  bool wholeOnly = false;
  // Answers.
  std::size_t taken = 0;
  std::uint8_t state = 0;
  std::string text;
  STATUSINF status;
  ASTATUSINF accel;
  ALSTATUSINF unit;
};

class PrinterDevice {
public:
  virtual ~PrinterDevice() = default;
  // Carries out one call; returns a DriverCode or a non-negative result.
  virtual int Call(DeviceCall& call) = 0;
};

}  // namespace driver
