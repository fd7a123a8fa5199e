// CPrinterLink: the job buffer, its flush, the file sender and the port writer.

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "driver/cturbine.h"
#include "printer/file_sender.h"
#include "printer/printer_link.h"
#include "printer/stall_guard.h"

namespace printer {
namespace {

using driver::kDrvBusy;

constexpr std::chrono::milliseconds kSecond(1000);

enum class FlushAction { SendOn, PollAgain, Fail };

FlushAction FlushActionOf(int type) {
  switch (type) {
    case 2:
    case 3:
    case 4: return FlushAction::SendOn;
    case 7:
    case 11:
    case 12:
    case 14:
    case 15: return FlushAction::PollAgain;
    default: return FlushAction::Fail;  // 1, 5, 6, 8, 9, 10, 13 and above 15; 0 is looked into
  }
}

}  // namespace

bool CPrinterLink::AppendJob(const std::uint8_t* bytes, std::size_t length) {
  if (length > kJobBufferSize - used_) return Fail(kJobBufferFull);  // what was queued stays
  if (length == 0) return true;
  std::memcpy(job_.get() + used_, bytes, length);
  used_ += length;
  bytesCopied_ += length;
  return true;
}

std::uint8_t* CPrinterLink::ReserveJob(std::size_t bytes) {
  if (bytes > kJobBufferSize - used_) {
    lastError_ = kJobBufferFull;
    return nullptr;
  }
  return job_.get() + used_;
}

bool CPrinterLink::AppendFactory(driver::FactoryCode command, std::uint8_t flag,
                                 const std::uint8_t* params, std::size_t length) {
  const std::uint8_t code = command.code;
  const std::size_t body = 5 + length;  // access code, code triple, parameters
  if (body > 0xFFFF) return Fail(kValueDoesNotFit);
  std::uint8_t* out = ReserveJob(5 + body);
  if (out == nullptr) return false;
  const std::uint8_t frame[10] = {0x1B,
                                  command.family,
                                  flag,
                                  static_cast<std::uint8_t>(body),
                                  static_cast<std::uint8_t>(body >> 8),
                                  access_[0],
                                  access_[1],
                                  code,
                                  static_cast<std::uint8_t>(0xFF - code),
                                  static_cast<std::uint8_t>((code >> 1) | (code << 7))};
  std::memcpy(out, frame, sizeof frame);
  if (length > 0) std::memcpy(out + sizeof frame, params, length);
  CommitJob(5 + body);
  return true;
}

bool CPrinterLink::FlushJob() {
  if (used_ == 0) return true;
  unsigned long offset = 0;
  unsigned long taken = 0;
  int statusFailures = 0;
  StallGuard guard(env_.clock);
  int result = driver_->SendEx(job_.get(), used_, offset, &taken);
  while (result != 0) {
    if (result != kDrvBusy) return Fail(result);
    if (taken > 0) guard.Progressed();
    // Busy: the status says whether to send on.
    for (bool sendOn = false; !sendOn;) {
      driver::STATUSINF status;
      const int read = driver_->Ctl_GetStatus(&status);
      if (read < 0) {
        if (++statusFailures == 3) return Fail(read);
        env_.clock.Sleep(kSecond);
        continue;
      }
      FlushAction action = FlushActionOf(status.type);
      if (status.type == 0) {
        std::uint8_t flag = 0;
        const int flagRead = driver_->Ctl_ReplyEEP_LFP(access_[0], access_[1], 0x845F, &flag);
        if (flagRead >= 0 && flag == 1) {
          lastError_ = flagRead;
          action = FlushAction::SendOn;
        }
      }
      if (action == FlushAction::Fail) return Fail(kUnexpectedStatus);
      if (!guard.Wait()) return Fail(kStatusTimeout);
      sendOn = action == FlushAction::SendOn;
    }
    // The same buffer again, from the offset reached: nothing is copied.
    offset += taken;
    taken = 0;
    result = driver_->SendEx(job_.get(), used_, offset, &taken);
  }
  NoteSent(job_.get(), used_);
  used_ = 0;
  return true;
}

bool CPrinterLink::SendFile(const std::string& fileName, int chunkSize,
                            const SendProgress& progress) {
  std::error_code error;
  if (!std::filesystem::exists(fileName, error) || std::filesystem::is_directory(fileName, error)) {
    env_.ui.ShowMessageDialog("FILE OPEN ERROR", 2);
    return Fail(kFileUnreadable);
  }
  if (chunkSize <= 0) return Fail(kValueDoesNotFit);
  std::ifstream file(fileName, std::ios::binary);
  if (!file) {
    env_.ui.ShowMessageDialog("FILE OPEN ERROR", 2);
    return Fail(kFileUnreadable);
  }
  return FileSender(*this).Send(file, chunkSize, progress);
}

bool CPrinterLink::WritePortFile(int usbIndex, const std::string& fileName, int chunkSize,
                                 const SendProgress& progress) {
  char name[32];
  std::snprintf(name, sizeof name, "USB00%d", usbIndex + 1);
  portName_ = name;
  const std::int32_t handle = driver_->PortHandle();
  if (chunkSize <= 0) return Fail(kValueDoesNotFit);
  std::ifstream file(fileName, std::ios::binary);
  if (!file) {
    env_.ui.ShowMessageDialog("FILE OPEN ERROR", 2);
    return Fail(kFileUnreadable);
  }
  std::vector<std::uint8_t> chunk(static_cast<std::size_t>(chunkSize));
  driver::CTurbine port;
  std::uint64_t sent = 0;
  for (;;) {
    file.read(reinterpret_cast<char*>(chunk.data()), chunkSize);
    const auto length = static_cast<int>(file.gcount());
    if (file.bad() || port.WritePort(handle, chunk.data(), length, 3000) == 0) {
      port.ClosePort(handle);
      Say("Write port error.");
      return Fail(kPortWriteFailed);
    }
    NoteSent(chunk.data(), static_cast<std::size_t>(length));
    sent += static_cast<std::uint64_t>(length);
    if (progress) progress(sent);
    if (length < chunkSize) {
      env_.clock.Sleep(std::chrono::milliseconds(1));
      ClearJob();
      return true;
    }
  }
}

}  // namespace printer
