#pragma once
// Steps that many operations share: the wait dialog around a send and a status wait, NVRAM
// writes that are read back, and the printer information of a pattern header.

#include <cstdint>
#include <functional>
#include <string>

#include "operations/dispatcher.h"
#include "operations/operation_table.h"
#include "patterns/print_header.h"

namespace operations {

// The status the printer reports when it is ready again.
inline constexpr int kStatusReady = 4;

// The wait dialog for the length of a scope: shown with a text, closed on every path out.
class ScopedWaitDialog {
public:
  ScopedWaitDialog(ui::UiServices& ui, const std::string& text) : ui_(ui) {
    ui_.ShowWaitDialog(text);
  }
  ~ScopedWaitDialog() { ui_.CloseWaitDialog(); }
  ScopedWaitDialog(const ScopedWaitDialog&) = delete;
  ScopedWaitDialog& operator=(const ScopedWaitDialog&) = delete;

private:
  ui::UiServices& ui_;
};

// The progress dialog for the length of a scope; Switch changes its phase, Close ends it early.
class ScopedProgressDialog {
public:
  ScopedProgressDialog(ui::UiServices& ui, const std::string& text, std::uint32_t colour,
                       int maximum)
      : ui_(ui) {
    Switch(text, colour, maximum);
  }
  ~ScopedProgressDialog() { Close(); }
  ScopedProgressDialog(const ScopedProgressDialog&) = delete;
  ScopedProgressDialog& operator=(const ScopedProgressDialog&) = delete;

  void Switch(const std::string& text, std::uint32_t colour, int maximum) {
    ui_.ShowProgressDialog(text, colour, 0, maximum);
    open_ = true;
  }
  void Set(int position) { ui_.SetProgress(position); }
  void Close() {
    if (open_) ui_.CloseProgressDialog();
    open_ = false;
  }

private:
  ui::UiServices& ui_;
  bool open_ = false;
};

// The messages that operations of several subsystems show.
inline constexpr int kMsgDone = 10000001;             // finished successfully
inline constexpr int kMsgWritten = 10000004;          // written and checked
inline constexpr int kMsgNotAccepted = 90000002;      // the printer did not take the data
inline constexpr int kMsgReadBackDiffers = 90000004;  // read back different from what was written
inline constexpr int kMsgFileProblem = 90000007;      // a file cannot be opened or written
inline constexpr int kMsgInvalidInput = 90000010;     // the value entered is not valid
inline constexpr int kMsgBoardDiffers = 91020004;     // the board did not take a board value
inline constexpr int kMsgDestinationOrLists = 91020006;  // destination or lists not restored

// Shows a numbered message with an OK button and returns `result`, so that a step can end with
// its message in one line.
inline bool Show(OperationRun& run, int message, bool result) {
  run.env.catalogue.ShowMessageById(message, ui::kOk);
  return result;
}

// The item text `itemText` (1 to 16) of the selected item, or "" past the sixteenth.
std::string ItemText(const OperationRequest& request, int itemText);

// Polls once a second, up to `polls` times, until the printer stands ready. A wait that runs out
// has told the technician itself and the work goes on as if it had ended; false only when the
// printer stopped answering, which is no work ended (the caller fails the run with 90000005).
bool AwaitReady(OperationRun& run, int polls);

// Shows the wait dialog with item text `itemText` (1 to 16), queues the commands, sends them and
// polls once a second, up to `count` times, until the printer is ready; the dialog closes on every
// path. False when the commands could not be queued or sent, or the printer did not get ready.
bool WaitWithStatus(OperationRun& run, int itemText, int count, const std::function<bool()>& queue);

// Writes one NVRAM byte (a production write is queued and sent), reads it back and compares; a
// different value fails with LastError -992.
bool VerifiedCtrlWrite(OperationRun& run, int address, std::uint8_t value);
bool VerifiedPrdWrite(OperationRun& run, int address, std::uint8_t value);

// Writes a Ctrl NVRAM flag byte, gives the printer a second to take it, and reads it back. False
// when the write or the read fails, or the byte reads back different (LastError -992); the
// callers name the message.
bool SettledCtrlWrite(OperationRun& run, int address, std::uint8_t value);

// What was written reads back different: LastError -992 and the message; returns false.
bool ReadBackDiffers(OperationRun& run, int message = kMsgReadBackDiffers);

// Shown-value marker of a four-byte value that could not be read.
inline constexpr int kNotRead = 0x7FFF;

// A byte of NVRAM as the signed number it holds.
inline int SignedByte(std::uint8_t byte) { return static_cast<std::int8_t>(byte); }
// Four bytes of Ctrl NVRAM at the address, least significant first.
bool ReadCtrlLong(printer::CPrinterLink& link, int address, std::int32_t& value);
// The same, or kNotRead when the read fails.
int ReadCtrlLongOrNotRead(printer::CPrinterLink& link, int address);
// Four bytes of production NVRAM, least significant first: read now, or queued for the next send.
bool ReadPrdLong(printer::CPrinterLink& link, int address, std::int32_t& value);
bool QueuePrdLong(printer::CPrinterLink& link, int address, std::int32_t value);

// The request's printer information, with the empty serial number, head ID and black-ink kind
// read from the printer. A failed read shows message 90000005 and returns false.
bool GatherPrintHeader(OperationRun& run, patterns::PrintHeaderInfo& header);

}  // namespace operations
