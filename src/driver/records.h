#pragma once
// The status records of the printer library and the codes its calls answer with.

#include <array>
#include <cstdint>
#include <string>

namespace driver {

// Results of the library's calls: zero or positive is success.
enum DriverCode : int {
  kDrvOk = 0,
  kDrvFailure = -1,          // the printer refused the request
  kDrvInvalidArgument = -2,  // a null pointer, a count of zero or past the NVRAM end
  kDrvAccessDenied = -3,     // the model access code is not this printer's
  kDrvKeyRejected = -4,      // the write key is not this printer's
  kDrvNotOpen = -5,          // no port is open
  kDrvBootMode = -6,         // the printer waits for firmware; only the raw port takes data
  kDrvNoDevice = -7,         // no printer at that port or link
  kDrvDisconnected = -8,     // the printer went away
  kDrvReadFailed = -9,       // the printer could not read that NVRAM
  kDrvTimeout = -10,         // the raw port did not take the data in time
  kDrvWriteFailed = -11,     // the printer could not write that NVRAM
  kDrvBusy = -16,            // the printer's buffer is full: try again
};

// Status types as the printer reports them.
enum StatusType : int {
  kStatusError = 0,  // error code in STATUSINF::errorCode
  kStatusSelfTest = 1,
  kStatusBusy = 2,
  kStatusWorking = 3,  // printing or running a service function
  kStatusReady = 4,    // idle
  kStatusPaused = 5,
  kStatusShutdown = 6,
  kStatusCleaning = 7,
  kStatusServiceMode = 8,
  kStatusInkCharge = 9,
  kStatusStarting = 10,
  kStatusWarmingUp = 11,
  kStatusDrying = 12,
  kStatusInkChange = 13,
  kStatusCutting = 14,
  kStatusReceiving = 15,
};

// Error codes of status type 0.
enum PrinterError : int {
  kErrorCoverOpen = 0,
  kErrorInkMissing = 1,
  kErrorInkEmpty = 2,
  kErrorServiceCall = 3,
  kErrorPaperJam = 4,
  kErrorLeverReleased = 5,
  kErrorPaperOut = 6,
  kErrorCommand = 7,
};

struct STATUSINF {
  int type = kStatusReady;
  int errorCode = 0;
  std::array<int, 4> data{};  // further data: bytes pending in the receive buffer, job count
  std::string text;
  std::string detail;
};

// State of the option unit, short form.
struct ASTATUSINF {
  std::uint8_t state = 0;  // 255 error; bit 0 clear: stopped
  std::uint8_t busy = 0;
  std::uint8_t flags = 0;  // bit 3 set: "OFF"
  int reading = 0;         // shown with one decimal
  std::string text;
  std::string detail;
};

// State of the option unit, long form.
struct ALSTATUSINF {
  int offline = 0;  // bit 0: ACCEL unit offline; bit 1: ILS unit offline
  int state = 0;    // 0 stop, 1 ready, 2 busy, 255 error
  int errorCode = 0;
  int calibrationFailed = 0;  // read only with selector 0
  std::array<std::string, 5> texts;
};

}  // namespace driver
