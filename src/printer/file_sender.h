#pragma once
// Sends a file that already holds a print or firmware job, chunk by chunk, through a printer
// link. While the printer is busy the sender reads its status and lets the state decide, one
// method per state: the user is asked what to do when the printer stopped on an error, told once
// when it is busy receiving or in an odd state, and the chunk goes again until it is taken.

#include <cstdint>
#include <istream>
#include <string>

#include "printer/printer_link.h"
#include "printer/stall_guard.h"

namespace printer {

class FileSender {
public:
  explicit FileSender(CPrinterLink& link);
  // Sends the whole stream in chunks of chunkSize; a stream of whole chunks ends with an empty
  // one. False, after telling the user and with LastError set, when the printer did not take it.
  // `progress`, when given, hears the bytes taken so far after each chunk.
  bool Send(std::istream& file, int chunkSize, const SendProgress& progress = {});

private:
  // What to do after a status read.
  enum class Next { PollAgain, SendAgain, NextChunk, Stop };

  bool SendChunk(const std::uint8_t* data, int length);
  Next AfterBusy();
  Next OnStopped(int errorCode);  // status type 0: the printer stopped on an error
  Next OnReceiving();             // type 2: its buffer is full
  Next OnNotTaken(int type);      // 1, 5 to 10, 13 and above 15
  void ResumeIfAllowed(int (driver::GreltDriver::*resume)(), const char* failedText);
  std::string ErrorText(int code, int okHint, int cancelHint) const;
  void Show(const std::string& text, int mode);

  CPrinterLink& link_;
  const settings::AppSettings& settings_;
  StallGuard guard_;
  bool told_ = false;      // the user has seen why the printer stopped
  bool reported_ = false;  // the user has seen why this chunk goes again
};

}  // namespace printer
