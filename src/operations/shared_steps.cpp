#include "operations/shared_steps.h"

#include <chrono>

#include "driver/nvram_map.h"
#include "printer/link_errors.h"

namespace operations {
namespace {

// Reads the byte back after a write; a different value fails with -992.
template <typename Read>
bool ReadsBack(OperationRun& run, Read read, std::uint8_t value) {
  std::uint8_t back = 0;
  if (!read(back)) return false;
  if (back == value) return true;
  run.link.SetLastError(printer::kReadBackDiffers);
  return false;
}

std::int32_t LittleEndianLong(const std::uint8_t (&bytes)[4]) {
  return static_cast<std::int32_t>(
      static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
      static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24);
}

constexpr std::chrono::milliseconds kFlagSettle{1000};

}  // namespace

std::string ItemText(const OperationRequest& request, int itemText) {
  const std::size_t index = static_cast<std::size_t>(itemText - 1);
  return index < request.pageText.text.size() ? request.pageText.text[index] : std::string();
}

bool AwaitReady(OperationRun& run, int polls) {
  return run.link.WaitForStatus(polls, kStatusReady, -1) ||
         run.link.LastError() == printer::kStatusTimeout;
}

bool WaitWithStatus(OperationRun& run, int itemText, int count,
                    const std::function<bool()>& queue) {
  const ScopedWaitDialog wait(run.env.ui, ItemText(run.request, itemText));
  return queue() && run.link.FlushJob() && run.link.WaitForStatus(count, kStatusReady, -1);
}

bool VerifiedCtrlWrite(OperationRun& run, int address, std::uint8_t value) {
  return run.link.WriteCtrlNvram(address, value) &&
         ReadsBack(
             run, [&](std::uint8_t& back) { return run.link.ReadCtrlNvram(address, back); }, value);
}

bool VerifiedPrdWrite(OperationRun& run, int address, std::uint8_t value) {
  return run.link.WritePrdNvram(address, value) && run.link.FlushJob() &&
         ReadsBack(
             run, [&](std::uint8_t& back) { return run.link.ReadPrdNvram(address, back); }, value);
}

bool SettledCtrlWrite(OperationRun& run, int address, std::uint8_t value) {
  if (!run.link.WriteCtrlNvram(address, value)) return false;
  run.env.clock.Sleep(kFlagSettle);
  return ReadsBack(
      run, [&](std::uint8_t& back) { return run.link.ReadCtrlNvram(address, back); }, value);
}

bool ReadBackDiffers(OperationRun& run, int message) {
  run.link.SetLastError(printer::kReadBackDiffers);
  return Show(run, message, false);
}

bool ReadCtrlLong(printer::CPrinterLink& link, int address, std::int32_t& value) {
  std::uint8_t bytes[4] = {};
  if (!link.ReadCtrlNvramMulti(address, 4, bytes)) return false;
  value = LittleEndianLong(bytes);
  return true;
}

bool ReadPrdLong(printer::CPrinterLink& link, int address, std::int32_t& value) {
  std::uint8_t bytes[4] = {};
  if (!link.ReadPrdNvramMulti(address, 4, bytes)) return false;
  value = LittleEndianLong(bytes);
  return true;
}

bool QueuePrdLong(printer::CPrinterLink& link, int address, std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  const std::uint8_t bytes[4] = {
      static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
      static_cast<std::uint8_t>(bits >> 16), static_cast<std::uint8_t>(bits >> 24)};
  return link.WritePrdNvramMulti(address, 4, bytes);
}

int ReadCtrlLongOrNotRead(printer::CPrinterLink& link, int address) {
  std::int32_t value = 0;
  return ReadCtrlLong(link, address, value) ? value : kNotRead;
}

bool GatherPrintHeader(OperationRun& run, patterns::PrintHeaderInfo& header) {
  header = run.request.printerInfo;
  std::uint8_t blackInk = 0;
  const bool ok = (!header.SerialNo.empty() ||
                   run.link.ReadPrdString(driver::nvram::kSerialNumber,
                                          driver::nvram::kSerialLength, header.SerialNo)) &&
                  (!header.HeadId.empty() || run.link.ReadHeadId(header.HeadId, 1)) &&
                  (!header.BlackInkKind.empty() ||
                   run.link.ReadPrdNvram(driver::nvram::kBlackInkKind, blackInk));
  if (!ok) {
    run.env.catalogue.ShowMessageById(kMsgPrinterFailed, ui::kOk);
    return false;
  }
  if (header.BlackInkKind.empty())
    header.BlackInkKind = blackInk == 1 ? "Matte Black" : "Photo Black";
  // The firmware the run read when it opened the printer.
  if (header.FirmwareVersion.empty()) header.FirmwareVersion = run.request.romVersion;
  return true;
}

}  // namespace operations
