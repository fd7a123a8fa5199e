#pragma once
// The program's single way to a printer: a session through the printer library, the printer's
// status, NVRAM access, the selected model's access code and write key, and the 16 MiB job
// buffer with its senders. Every operation returns true or false and leaves the reason of a
// failure in LastError; every wait goes through the clock it is given. One thread uses a link at
// a time.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "driver/command_codes.h"
#include "driver/grelt_driver.h"
#include "driver/product_constants.h"
#include "platform/clock.h"
#include "printer/link_errors.h"
#include "printer/model_test_settings.h"
#include "settings/app_settings.h"
#include "ui_services/ui_services.h"

namespace printer {

class PortMap;

// What a link works with besides its library.
struct LinkEnvironment {
  const settings::AppSettings& settings;
  ui::UiServices& ui;
  platform::Clock& clock;
  PortMap* portMap = nullptr;  // nullptr: no USB printers by slot, ports open by number only
};

// Told the bytes of a file the printer has taken so far.
using SendProgress = std::function<void(std::uint64_t sent)>;

class CPrinterLink {
public:
  static constexpr std::size_t kJobBufferSize = 16u << 20;
  static constexpr std::uint16_t kNoAddress = 0xFFFF;
  static constexpr int kMaxPrdWrite = 239;

  CPrinterLink(LinkEnvironment environment, std::unique_ptr<driver::GreltDriver> driver);
  CPrinterLink(const CPrinterLink&) = delete;
  CPrinterLink& operator=(const CPrinterLink&) = delete;

  // Session and status.
  bool Open(int port);
  int Close();
  bool GetStatus(driver::STATUSINF& status);
  // Polls once a second, up to count times, for the wanted type (or the alternative, unless it
  // is -1). When it does not come, shows the text of the last type read and fails with -995.
  bool WaitForStatus(int count, int wanted, int alternative);
  bool GetAccelStatusText(std::string& state, std::string& onOff, std::string& value);
  bool GetAccelUnitStatus(std::uint8_t selector, std::string& text);
  bool WaitForAccelStatus(int count, const std::string& wanted, const std::string& second);
  int GetColorimetryReply(std::string& text);
  int LastError() const { return lastError_; }
  void SetLastError(int code) { lastError_ = code; }
  int Port() const { return port_; }
  const std::string& OpenInfo() const { return openInfo_; }
  const std::string& PortName() const { return portName_; }
  driver::GreltDriver& Driver() { return *driver_; }

  // NVRAM, clock, firmware version, lists and head ID. Address 0xFFFF is refused before any call.
  bool ReadCtrlNvram(int address, std::uint8_t& value);
  bool ReadCtrlNvramMulti448(int address, int count, std::uint8_t* buffer);
  bool ReadCtrlNvramMulti(int address, int count, std::uint8_t* buffer);
  bool WriteCtrlNvram(int address, std::uint8_t value);
  bool WriteCtrlNvramMulti448(int address, int count, const std::uint8_t* buffer);
  bool WriteCtrlNvramMulti(int address, int count, const std::uint8_t* buffer);
  bool ReadPrdNvram(int address, std::uint8_t& value);
  bool ReadPrdNvramMulti(int address, int count, std::uint8_t* buffer);
  // Queue the production-area writes; nothing reaches the printer before FlushJob.
  bool WritePrdNvram(int address, std::uint8_t value);
  bool WritePrdNvramMulti(int address, int count, const std::uint8_t* bytes);
  int ReadPrdNvram2(std::uint16_t address, std::uint8_t* buffer);
  bool ReadPrdString(int address, int length, std::string& text);
  bool ReadRtc(std::string& text);
  bool ReadRtcSetValue(std::string& text);
  bool ReadRomVersion(std::string& text);
  bool EraseList(int kind);
  bool ReadList448(std::uint8_t kind, std::uint16_t offset, std::uint16_t count,
                   std::uint8_t* buffer);
  bool WriteList448(std::uint8_t kind, std::uint16_t offset, std::uint16_t count,
                    const std::uint8_t* buffer);
  bool ReadHeadId(std::string& text, int kind);
  bool WriteHeadId(int kind, const std::string& text);

  // Model identification.
  bool SetModel(const std::string& code);
  const std::string& ModelCode() const { return modelCode_; }
  // The test settings set of the selected model, or "".
  const std::string& TestSettingsSet() const { return testSettingsSet_; }
  // The settings the patterns and measurements read, as the identified models left them.
  const ModelTestSettings& TestSettings() const { return testSettings_; }
  const driver::AccessCode& AccessCode() const { return access_; }
  const driver::WriteKey& WriteKey() const { return key_; }

  // The text of a status type from the language file, or "Status - ERROR nn J".
  std::string StatusText(int type) const;

  // Job buffer and senders. FlushJob gives up on the third failed status read of one flush;
  // SendFile on the first, after showing "GET STATUS ERROR".
  bool AppendJob(const std::uint8_t* bytes, std::size_t length);
  void ClearJob() { used_ = 0; }
  bool FlushJob();
  // The senders of whole files tell `progress` the bytes taken so far after each chunk.
  bool SendFile(const std::string& fileName, int chunkSize, const SendProgress& progress = {});
  bool WritePortFile(int usbIndex, const std::string& fileName, int chunkSize,
                     const SendProgress& progress = {});
  std::size_t JobLength() const { return used_; }
  const std::uint8_t* JobData() const { return job_.get(); }
  // A factory command: ESC, family, flag, 16-bit length, the model's access code, the code
  // triple (code, FF - code, code rotated right by one bit), then the parameters.
  bool AppendFactory(driver::FactoryCode command, std::uint8_t flag, const std::uint8_t* params,
                     std::size_t length);
  // Room for up to `bytes` more at the end of the job, for builders that write in place; nullptr
  // (LastError -930) when it would pass 16 MiB. CommitJob keeps the bytes actually written.
  std::uint8_t* ReserveJob(std::size_t bytes);
  void CommitJob(std::size_t bytes) { used_ += bytes; }
  // Bytes the link copied into its buffer since it was made: only AppendJob copies.
  std::uint64_t BytesCopied() const { return bytesCopied_; }

  // Told of what the printer took, in order: every job a flush has sent completely (before the
  // buffer is emptied), every chunk of a file the file sender or the port writer delivered. Lets
  // a tool keep what the printer received.
  void SetSentJobTap(std::function<void(const std::uint8_t*, std::size_t)> tap) {
    sentJobTap_ = std::move(tap);
  }
  void NoteSent(const std::uint8_t* bytes, std::size_t length) const {
    if (sentJobTap_ && length > 0) sentJobTap_(bytes, length);
  }

  const LinkEnvironment& Environment() const { return env_; }

private:
  bool Fail(int code);
  void Say(const std::string& text);
  bool Refuse(int address, const char* text);
  bool Check(int result);

  LinkEnvironment env_;
  std::unique_ptr<driver::GreltDriver> driver_;
  int port_ = 0;
  std::string portName_;
  std::string openInfo_;
  int lastError_ = kLinkFresh;
  std::string modelCode_;
  std::string testSettingsSet_;
  ModelTestSettings testSettings_;
  driver::AccessCode access_{};
  driver::WriteKey key_{};
  std::unique_ptr<std::uint8_t[]> job_;
  std::size_t used_ = 0;
  std::uint64_t bytesCopied_ = 0;
  std::function<void(const std::uint8_t*, std::size_t)> sentJobTap_;
};

}  // namespace printer
