#pragma once
// The virtual printer: a complete printer of the series in software. It answers the library's
// calls, checks every access code and write key, reads the command stream, keeps its state in
// a folder of its own, moves its status as a real printer does, and takes injected faults.
// Its time runs on the clock it is given.

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "driver/device.h"
#include "platform/clock.h"
#include "vprinter/command_parser.h"
#include "vprinter/command_table.h"
#include "vprinter/page_renderer.h"
#include "vprinter/printer_state.h"

namespace vprinter {

class VirtualPrinter final : public driver::PrinterDevice,
                             private CommandSink,
                             private PrinterContext {
public:
  // How much of a job the printer takes before it is busy.
  static constexpr std::size_t kReceiveBuffer = 1u << 20;
  static constexpr const char* kStateFile = "state.bin";
  // Every process that serves or changes the printer holds this file's lock for each step
  // (read, change, save), so that none loses another's change.
  static constexpr const char* kLockFile = "state.lock";
  static constexpr const char* kLogFile = "log.txt";
  static constexpr const char* kOldLogFile = "log.old.txt";
  // Printed pages go into this folder of the printer's, as page-0001.png and on.
  static constexpr const char* kPagesFolder = "Pages";

  // Makes a new printer from the factory image in the folder.
  static std::shared_ptr<VirtualPrinter> Create(const std::string& folder, const std::string& model,
                                                const std::string& name, int port,
                                                platform::Clock& clock);
  // Makes a printer from the given state (a new board, say), replacing what the folder held.
  static std::shared_ptr<VirtualPrinter> Create(const std::string& folder, PrinterState state,
                                                platform::Clock& clock, const std::string& note);
  // The printer kept in the folder. A damaged state file is kept beside as "state.bin.damaged",
  // reported in *problem, and replaced by the factory image of the model that can still be read
  // from it (or "XX").
  static std::shared_ptr<VirtualPrinter> Open(const std::string& folder, platform::Clock& clock,
                                              std::string* problem = nullptr);

  ~VirtualPrinter() override;
  VirtualPrinter(const VirtualPrinter&) = delete;
  VirtualPrinter& operator=(const VirtualPrinter&) = delete;

  // A call whose change cannot be saved is undone and fails with kDrvWriteFailed.
  int Call(driver::DeviceCall& call) override;

  // The state as it stands; changes made by another process are taken first.
  PrinterState Snapshot();
  // The changes below return false, undone, when the state cannot be saved.
  bool SetFaults(const Faults& faults);
  // Direct NVRAM access for training and tests, without access codes.
  bool WriteNvram(int address, const Bytes& bytes, bool unit = false);
  Bytes ReadNvram(int address, int count, bool unit = false);
  // Gives measured moves of a motor (1 carriage, 2 paper feed) and mode these readings from now
  // on, to drive a measurement outside a chosen limit.
  bool SetMotorReading(int motor, int mode, std::uint16_t current, std::uint16_t time);
  // A job that came in through the printer's network port (its line printer daemon): printed as
  // the USB port prints, past the USB receive buffer.
  bool ReceiveNetworkJob(const std::vector<std::uint8_t>& data);
  // Changes the option unit as a trainer or a test sets it up (temperature, lamp, ...).
  bool ChangeUnit(const std::function<void(UnitState&)>& change);
  std::vector<std::string> Log() const;
  int PagesPrinted() const;
  // The dots of each page printed since the printer was opened, by colour code, in order.
  std::vector<DotCounts> PageDots() const;
  // Bytes taken from the data channels since the printer was opened.
  std::uint64_t BytesReceived() const;
  // The factory and remote commands this printer knows (StandardCommands() unless a test or a
  // trainer gives another table, which must outlive the printer).
  void UseCommands(const CommandTable& commands);
  // The commands it met and did not know, as the log names them, since it was opened.
  std::vector<std::string> UnknownCommands() const;

private:
  // One step on the printer as every process sees it: this object's mutex and the folder's lock
  // held, and (unless told otherwise) the state as last saved taken first.
  class Step {
  public:
    explicit Step(VirtualPrinter& printer, bool takeSaved = true);
    ~Step();
    Step(const Step&) = delete;
    Step& operator=(const Step&) = delete;

  private:
    std::lock_guard<std::mutex> lock_;
    VirtualPrinter& printer_;
  };

  VirtualPrinter(std::string folder, PrinterState state, platform::Clock& clock);

  int Handle(driver::DeviceCall& call);
  int HandleKeepingStuckBytes(driver::DeviceCall& call);
  int StatusType(int* errorCode) const;
  bool AccessOk(const std::array<std::uint8_t, 2>& access) const;
  bool ReadFails(int address, int count) const;
  bool WriteFails(int address, int count) const override;
  // Saves the state when it changed; false, with the change undone, when it cannot be saved.
  bool Persist();
  // Takes the state file again when another process (grelt02-cli, say) changed it.
  void ReloadIfChangedElsewhere();
  std::string ClockText() const;

  void OnReset() override;
  void OnSetting(char letter, const Bytes& params) override;
  void OnRaster(const RasterBlock& block) override;
  void OnControl(std::uint8_t byte) override;
  void OnRemote(const std::string& name, const Bytes& params) override;
  void OnFactory(const FactoryCommand& command) override;
  void OnFirmware(const Bytes& file) override;
  void OnFirmwareRefused(const std::string& why) override;
  // A refused firmware file: the old firmware runs on, and the printer reports an error until
  // it is opened again (or, waiting for firmware, until a new file begins).
  void RefuseFirmware(const std::string& why);
  // A firmware file that stopped coming in is given up after a while.
  void GiveUpStalledFirmware();
  // Counts the bytes taken towards the fault that begins work of the printer's own.
  void StartOwnWorkAfter(std::size_t taken);
  // Once new firmware is installed the printer restarts: gone from the bus for a few seconds.
  bool Restarting();
  void OnMalformed(const std::string& what) override;
  void Dispatch(CommandKey key, const std::string& name, const Bytes& params);
  // A starting option unit becomes ready after it has been asked for its state.
  void AdvanceUnit();
  // The attachment-sensor lamp's next reading, "off" or "on".
  std::string NextLampReading();

  // What the command handlers reach.
  PrinterState& State() override { return state_; }
  void Note(const std::string& line) override;
  void BusyFor(std::int64_t ms) override;
  void Idle() override;
  bool KeyOk(const std::uint8_t* key) const override;
  std::int64_t UnixSeconds() const override { return clock_.UnixSeconds(); }
  void StartUnit(int stateReads) override { unitStartReads_ = stateReads; }
  void PrintOwnNozzleCheck() override;

  mutable std::mutex mutex_;
  std::string folder_;
  PrinterState state_;
  std::string savedStamp_;   // identity of the state file as this object last wrote or read it
  std::string savedBytes_;   // the state as last saved or read
  bool saveFailed_ = false;  // a change of the call under way could not be saved
  int lockFd_ = -1;
  platform::Clock& clock_;
  CommandParser parser_;
  PageRenderer pages_;
  bool session_ = false;
  std::size_t received_ = 0;
  std::int64_t busyUntil_ = 0;
  std::map<std::uint8_t, int> eraseReplies_;  // list kind -> replies until the erase is done
  std::deque<std::string> log_;
  int pagesPrinted_ = 0;
  std::vector<DotCounts> pageDots_;
  std::uint64_t bytesReceived_ = 0;
  int unitStartReads_ = -1;  // state reads until a starting unit is ready; -1: not starting
  bool firmwareRefused_ = false;
  std::int64_t lastDataTick_ = 0;
  std::int64_t restartAt_ = -1;  // when an installed firmware restarts the printer; -1: none
  const CommandTable* commands_ = &StandardCommands();
  std::vector<std::string> unknownCommands_;
};

// Lets the library reach virtual printers by endpoints "vprinter:<state folder>".
void RegisterVirtualPrinters(platform::Clock& clock = platform::DefaultClock());

}  // namespace vprinter
