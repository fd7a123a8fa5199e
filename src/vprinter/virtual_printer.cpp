#include "vprinter/virtual_printer.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>

#include "driver/cwin_hdidapi.h"
#include "driver/device_directory.h"
#include "driver/product_constants.h"
#include "driver/socket_device.h"
#include "platform/files.h"
#include "vprinter/attachment.h"
#include "vprinter/firmware_file.h"

namespace vprinter {
namespace {

using driver::DeviceOp;

constexpr std::size_t kLogLines = 2000;

// How long the printer works on what it was sent.
constexpr std::int64_t kPageMs = 5'000;
constexpr std::int64_t kFirmwareMs = 30'000;
// How long a begun firmware file may wait for its next bytes.
constexpr std::int64_t kFirmwareStallMs = 5'000;
// How long the printer is gone from the bus while it restarts after installing firmware.
constexpr std::int64_t kRestartMs = 5'000;

// The state file's identity: every save renames a new file into place.
std::string StampOf(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return {};
  return std::to_string(info.st_ino) + ":" + std::to_string(info.st_size) + ":" +
         std::to_string(info.st_mtim.tv_sec) + "." + std::to_string(info.st_mtim.tv_nsec);
}

// The model code a damaged state file still shows, when it shows one.
std::string SalvageModel(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string head(4096, '\0');
  in.read(head.data(), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<std::size_t>(in.gcount()));
  const auto at = head.find("\nmodel=");
  if (at == std::string::npos || at + 10 > head.size()) return "XX";
  const std::string model = head.substr(at + 7, 2);
  const bool letters = std::isupper(static_cast<unsigned char>(model[0])) != 0 &&
                       std::isupper(static_cast<unsigned char>(model[1])) != 0;
  return letters && head[at + 9] == '\n' ? model : "XX";
}

// A log file that grows past this starts again; the lines before stay in log.old.txt.
constexpr std::uintmax_t kLogLimit = 1u << 20;

// Whether count bytes from address touch a fault's range [from, to]; from -1: no range given.
bool Touches(int from, int to, int address, int count) {
  return from >= 0 && address <= to && address + count - 1 >= from;
}

std::string Hex(int value) {
  char text[16];
  std::snprintf(text, sizeof text, "%02X", value & 0xFF);
  return text;
}

}  // namespace

VirtualPrinter::VirtualPrinter(std::string folder, PrinterState state, platform::Clock& clock)
    : folder_(std::move(folder)),
      state_(std::move(state)),
      clock_(clock),
      parser_(*this),
      pages_([this](const std::string& what) { Note("print: " + what); }) {
  // A folder that cannot be written can still be locked through a file that is there.
  const std::string lock = folder_ + "/" + kLockFile;
  lockFd_ = ::open(lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (lockFd_ < 0) lockFd_ = ::open(lock.c_str(), O_RDONLY | O_CLOEXEC);
}

VirtualPrinter::~VirtualPrinter() {
  if (lockFd_ >= 0) ::close(lockFd_);
}

VirtualPrinter::Step::Step(VirtualPrinter& printer, bool takeSaved)
    : lock_(printer.mutex_), printer_(printer) {
  if (printer_.lockFd_ >= 0) ::flock(printer_.lockFd_, LOCK_EX);
  if (takeSaved) printer_.ReloadIfChangedElsewhere();
}

VirtualPrinter::Step::~Step() {
  if (printer_.lockFd_ >= 0) ::flock(printer_.lockFd_, LOCK_UN);
}

std::shared_ptr<VirtualPrinter> VirtualPrinter::Create(const std::string& folder,
                                                       const std::string& model,
                                                       const std::string& name, int port,
                                                       platform::Clock& clock) {
  PrinterState state = FactoryImage(model, name);
  state.port = port;
  return Create(folder, std::move(state), clock, "made from the factory image of model " + model);
}

std::shared_ptr<VirtualPrinter> VirtualPrinter::Create(const std::string& folder,
                                                       PrinterState state, platform::Clock& clock,
                                                       const std::string& note) {
  std::filesystem::create_directories(folder);
  std::shared_ptr<VirtualPrinter> printer(new VirtualPrinter(folder, std::move(state), clock));
  const Step step(*printer, false);
  printer->Note(note);
  printer->Persist();
  return printer;
}

std::shared_ptr<VirtualPrinter> VirtualPrinter::Open(const std::string& folder,
                                                     platform::Clock& clock, std::string* problem) {
  const std::string path = folder + "/" + kStateFile;
  std::string why;
  std::optional<PrinterState> state = LoadState(path, &why);
  if (state)
    return std::shared_ptr<VirtualPrinter>(new VirtualPrinter(folder, std::move(*state), clock));
  if (problem != nullptr) *problem = why;
  if (!std::filesystem::exists(path)) return nullptr;
  std::error_code error;
  std::filesystem::copy_file(path, path + ".damaged",
                             std::filesystem::copy_options::overwrite_existing, error);
  const std::string name = std::filesystem::path(folder).filename().string();
  std::shared_ptr<VirtualPrinter> printer = Create(folder, SalvageModel(path), name, 0, clock);
  std::lock_guard lock(printer->mutex_);
  printer->Note(why + "; replaced by the factory image, the old file kept as state.bin.damaged");
  return printer;
}

PrinterState VirtualPrinter::Snapshot() {
  const Step step(*this);
  return state_;
}

bool VirtualPrinter::SetFaults(const Faults& faults) {
  const Step step(*this);
  state_.faults = faults;
  Note("faults changed");
  return Persist();
}

bool VirtualPrinter::WriteNvram(int address, const Bytes& bytes, bool unit) {
  const Step step(*this);
  std::vector<std::uint8_t>& memory = unit ? state_.unit.nvram : state_.nvram;
  for (std::size_t i = 0; i < bytes.size() && address + i < memory.size(); ++i) {
    memory[static_cast<std::size_t>(address) + i] = bytes[i];
  }
  return Persist();
}

Bytes VirtualPrinter::ReadNvram(int address, int count, bool unit) {
  const Step step(*this);
  const std::vector<std::uint8_t>& memory = unit ? state_.unit.nvram : state_.nvram;
  Bytes bytes;
  for (int i = 0; i < count && static_cast<std::size_t>(address + i) < memory.size(); ++i) {
    bytes.push_back(memory[static_cast<std::size_t>(address + i)]);
  }
  return bytes;
}

bool VirtualPrinter::SetMotorReading(int motor, int mode, std::uint16_t current,
                                     std::uint16_t time) {
  const Step step(*this);
  state_.motorReadings[motor * 16 + mode] = {current, time};
  return Persist();
}

bool VirtualPrinter::ReceiveNetworkJob(const std::vector<std::uint8_t>& data) {
  const Step step(*this);
  Note("network job of " + std::to_string(data.size()) + " bytes");
  bytesReceived_ += data.size();
  parser_.Feed(data.data(), data.size());
  return Persist();
}

bool VirtualPrinter::ChangeUnit(const std::function<void(UnitState&)>& change) {
  const Step step(*this);
  change(state_.unit);
  return Persist();
}

std::vector<std::string> VirtualPrinter::Log() const {
  std::lock_guard lock(mutex_);
  return {log_.begin(), log_.end()};
}

std::uint64_t VirtualPrinter::BytesReceived() const {
  std::lock_guard lock(mutex_);
  return bytesReceived_;
}

int VirtualPrinter::PagesPrinted() const {
  std::lock_guard lock(mutex_);
  return pagesPrinted_;
}

std::vector<DotCounts> VirtualPrinter::PageDots() const {
  std::lock_guard lock(mutex_);
  return pageDots_;
}

void VirtualPrinter::Note(const std::string& line) {
  log_.push_back(line);
  if (log_.size() > kLogLines) log_.pop_front();
  const std::string path = folder_ + "/" + kLogFile;
  std::error_code error;
  if (std::filesystem::file_size(path, error) > kLogLimit && !error)
    std::filesystem::rename(path, folder_ + "/" + kOldLogFile, error);
  std::ofstream(path, std::ios::app) << clock_.UnixSeconds() << ' ' << line << '\n';
}

bool VirtualPrinter::Persist() {
  std::string bytes = StateBytes(state_);
  if (bytes == savedBytes_) return true;
  const std::string path = folder_ + "/" + kStateFile;
  if (!platform::ReplaceFile(path, bytes, false)) {
    // What cannot be kept did not happen: the state goes back to what was last saved.
    if (std::optional<PrinterState> saved = ParseState(savedBytes_, nullptr))
      state_ = std::move(*saved);
    log_.push_back("could not save the state; the change is undone");
    saveFailed_ = true;
    return false;
  }
  savedBytes_ = std::move(bytes);
  savedStamp_ = StampOf(path);
  return true;
}

void VirtualPrinter::ReloadIfChangedElsewhere() {
  const std::string path = folder_ + "/" + kStateFile;
  const std::string stamp = StampOf(path);
  if (stamp.empty() || stamp == savedStamp_) return;
  std::string problem;
  if (std::optional<PrinterState> state = LoadState(path, &problem)) {
    state_ = std::move(*state);
    savedBytes_ = StateBytes(state_);
    savedStamp_ = stamp;
  }
}

void VirtualPrinter::BusyFor(std::int64_t ms) {
  busyUntil_ = std::max(busyUntil_, clock_.TickMs()) + ms;
}

void VirtualPrinter::Idle() { busyUntil_ = clock_.TickMs(); }

void VirtualPrinter::StartOwnWorkAfter(std::size_t taken) {
  constexpr int kOwnWorkPolls = 3;
  Faults& f = state_.faults;
  if (f.ownWorkAfter < 0) return;
  if (taken < static_cast<std::size_t>(f.ownWorkAfter)) {
    f.ownWorkAfter -= static_cast<int>(taken);
    return;
  }
  f.ownWorkAfter = -1;
  f.ownWorkPolls = kOwnWorkPolls;
}

bool VirtualPrinter::AccessOk(const std::array<std::uint8_t, 2>& access) const {
  const driver::ModelConstants* model = driver::FindModel(state_.model);
  return model != nullptr && model->access == access;
}

bool VirtualPrinter::KeyOk(const std::uint8_t* key) const {
  const driver::ModelConstants* model = driver::FindModel(state_.model);
  if (model == nullptr) return false;
  if (!model->key) return true;  // a board without a key of its own takes any
  return std::equal(model->key->begin(), model->key->end(), key);
}

bool VirtualPrinter::WriteFails(int address, int count) const {
  return Touches(state_.faults.writeFailFrom, state_.faults.writeFailTo, address, count);
}

bool VirtualPrinter::ReadFails(int address, int count) const {
  return Touches(state_.faults.readFailFrom, state_.faults.readFailTo, address, count);
}

int VirtualPrinter::StatusType(int* errorCode) const {
  const Faults& f = state_.faults;
  *errorCode = 0;
  if (f.stuckStatus >= 0) return f.stuckStatus;
  if (firmwareRefused_) {
    *errorCode = driver::kErrorServiceCall;
    return driver::kStatusError;
  }
  if (f.paperJam) {
    *errorCode = driver::kErrorPaperJam;
    return driver::kStatusError;
  }
  if (f.paperOut) {
    *errorCode = driver::kErrorPaperOut;
    return driver::kStatusError;
  }
  if (f.ownWorkPolls > 0) return driver::kStatusBusy;
  // A full buffer is no reason to refuse work: the printer prints it, or goes on receiving.
  const bool working = clock_.TickMs() < busyUntil_ || parser_.PendingFirmware();
  if (received_ > 0 && !working) return driver::kStatusReceiving;
  if (working) return driver::kStatusWorking;
  return driver::kStatusReady;
}

std::string VirtualPrinter::ClockText() const {
  const std::time_t now = static_cast<std::time_t>(clock_.UnixSeconds() + state_.clockOffset);
  std::tm parts{};
  gmtime_r(&now, &parts);
  char text[80];
  std::snprintf(text, sizeof text, "%02d%02d%02d%02d%02d%02d", parts.tm_year % 100,
                parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec);
  return text;
}

int VirtualPrinter::Call(driver::DeviceCall& call) {
  const Step step(*this);
  if (state_.faults.disconnected || Restarting()) return driver::kDrvDisconnected;
  saveFailed_ = false;
  const int result = HandleKeepingStuckBytes(call);
  // A change that could not be saved was undone, and the call that made it fails. Closing
  // changes nothing of its own.
  if (saveFailed_ && call.op != DeviceOp::CloseSession) return driver::kDrvWriteFailed;
  return result;
}

// Stuck bytes take every write and keep their value, whatever wrote them.
int VirtualPrinter::HandleKeepingStuckBytes(driver::DeviceCall& call) {
  if (state_.faults.stuckFrom < 0) return Handle(call);
  const std::size_t from = std::min<std::size_t>(state_.faults.stuckFrom, kNvramSize);
  const std::size_t to = std::min<std::size_t>(state_.faults.stuckTo + 1, kNvramSize);
  const std::vector<std::uint8_t> kept(state_.nvram.begin() + from, state_.nvram.begin() + to);
  const int result = Handle(call);
  const auto now = state_.nvram.begin() + static_cast<std::ptrdiff_t>(from);
  if (!std::equal(kept.begin(), kept.end(), now)) {
    std::copy(kept.begin(), kept.end(), now);
    Persist();
  }
  return result;
}

int VirtualPrinter::Handle(driver::DeviceCall& call) {
  switch (call.op) {
    case DeviceOp::OpenSession:
      GiveUpStalledFirmware();
      if (state_.faults.bootMode) return driver::kDrvBootMode;
      session_ = true;
      firmwareRefused_ = false;  // opened again: it has restarted with the firmware it runs
      call.text = "Virtual printer " + state_.name + " (" + state_.model + ")";
      return driver::kDrvOk;
    case DeviceOp::CloseSession:
      session_ = false;
      Persist();
      return driver::kDrvOk;
    case DeviceOp::ReadRomVersion:
      if (state_.faults.romReadFails) return driver::kDrvReadFailed;
      call.text = state_.firmware;
      return driver::kDrvOk;
    case DeviceOp::Send: {
      call.taken = 0;
      if (state_.faults.paperOut || state_.faults.paperJam || state_.faults.stuckStatus >= 0 ||
          state_.faults.ownWorkPolls > 0) {
        return driver::kDrvOk;  // nothing taken: the sender asks for the status
      }
      if (firmwareRefused_) return driver::kDrvOk;  // takes nothing until it is opened again
      call.taken = std::min(call.inLength, kReceiveBuffer - received_);
      // A piece that must go whole waits for room, unless it could never fit: that one streams
      // through the empty buffer.
      if (call.wholeOnly && call.taken < call.inLength)
        call.taken = received_ == 0 ? call.inLength : 0;
      received_ += call.taken;
      bytesReceived_ += call.taken;
      StartOwnWorkAfter(call.taken);
      lastDataTick_ = clock_.TickMs();
      parser_.Feed(call.in, call.taken);
      // A firmware file refused within this piece: the sender hears of it from the status.
      if (firmwareRefused_) call.taken = 0;
      Persist();
      return driver::kDrvOk;
    }
    case DeviceOp::RawWrite:
      // Waiting for firmware, the printer takes each new file afresh.
      if (call.inLength >= kFirmwareMagic.size() &&
          std::equal(kFirmwareMagic.begin(), kFirmwareMagic.end(), call.in))
        firmwareRefused_ = false;
      if (firmwareRefused_) return driver::kDrvFailure;
      call.taken = call.inLength;
      bytesReceived_ += call.taken;
      lastDataTick_ = clock_.TickMs();
      parser_.Feed(call.in, call.inLength);
      Persist();
      return firmwareRefused_ ? driver::kDrvFailure : driver::kDrvOk;
    case DeviceOp::GetStatus:
      GiveUpStalledFirmware();
      call.status.type = StatusType(&call.status.errorCode);
      call.status.data[0] = static_cast<int>(received_);
      call.status.data[1] = pagesPrinted_;
      received_ = 0;  // the printer works through its buffer between polls
      if (state_.faults.ownWorkPolls > 0) {
        if (--state_.faults.ownWorkPolls == 0) state_.faults.ownWorkPolls = -1;  // its work is done
        Persist();
      }
      return driver::kDrvOk;
    case DeviceOp::ResumePaperJam:
      state_.faults.paperJam = false;
      Persist();
      return driver::kDrvOk;
    case DeviceOp::ResumePaperOut:
      if (state_.faults.paperOut) return driver::kDrvFailure;  // no paper was loaded
      return driver::kDrvOk;
    default: break;
  }

  if (!AccessOk(call.access) && call.op != DeviceOp::AccelStatus &&
      call.op != DeviceOp::AccelStatusShort && call.op != DeviceOp::AccelColorimetry) {
    Note("refused: access code " + Hex(call.access[0]) + " " + Hex(call.access[1]));
    return driver::kDrvAccessDenied;
  }
  switch (call.op) {
    case DeviceOp::CtlRead:
    case DeviceOp::PrdRead:
      if (ReadFails(call.address, call.count)) return driver::kDrvReadFailed;
      std::copy_n(state_.nvram.begin() + call.address, call.count, call.out);
      return driver::kDrvOk;
    case DeviceOp::UnitRead:
      if (static_cast<std::size_t>(call.address) >= kUnitNvramSize)
        return driver::kDrvInvalidArgument;
      *call.out = state_.unit.nvram[static_cast<std::size_t>(call.address)];
      return driver::kDrvOk;
    case DeviceOp::CtlWrite:
      if (!KeyOk(call.key.data())) {
        Note("refused: write key");
        return driver::kDrvKeyRejected;
      }
      if (WriteFails(call.address, call.count)) return driver::kDrvWriteFailed;
      std::copy_n(call.in, call.count, state_.nvram.begin() + call.address);
      Persist();
      return driver::kDrvOk;
    case DeviceOp::ReadRtc: call.text = ClockText(); return driver::kDrvOk;
    case DeviceOp::ReadRtcSetValue: call.text = state_.rtcSetValue; return driver::kDrvOk;
    case DeviceOp::ListErase: {
      std::vector<std::uint8_t>* list = call.listKind == 0xA3   ? &state_.listA3
                                        : call.listKind == 0xD6 ? &state_.listD6
                                                                : nullptr;
      if (list == nullptr) return driver::kDrvInvalidArgument;
      std::fill(list->begin(), list->end(), 0xFF);
      eraseReplies_[call.listKind] = 2;
      Note("list " + Hex(call.listKind) + " erased");
      Persist();
      return driver::kDrvOk;
    }
    case DeviceOp::EraseReply: {
      int& replies = eraseReplies_[call.listKind];
      if (state_.faults.eraseFails) {
        call.state = 2;
      } else if (state_.faults.eraseHangs || replies > 0) {
        call.state = 1;
        if (replies > 0) --replies;
      } else {
        call.state = 0;
      }
      return driver::kDrvOk;
    }
    case DeviceOp::ListRead:
    case DeviceOp::ListWrite: {
      std::vector<std::uint8_t>* list = call.listKind == 0xA3   ? &state_.listA3
                                        : call.listKind == 0xD6 ? &state_.listD6
                                                                : nullptr;
      if (list == nullptr || std::size_t{call.value1} + call.value2 > list->size()) {
        return driver::kDrvInvalidArgument;
      }
      if (call.op == DeviceOp::ListRead && ReadFails(call.value1, call.value2))
        return driver::kDrvReadFailed;
      if (call.op == DeviceOp::ListRead) {
        std::copy_n(list->begin() + call.value1, call.value2, call.out);
      } else {
        std::copy_n(call.in, call.value2, list->begin() + call.value1);
        Persist();
      }
      return driver::kDrvOk;
    }
    case DeviceOp::AccelStatusShort: {
      AdvanceUnit();
      const UnitState& u = state_.unit;
      call.accel.state = u.state == 255 ? 255 : static_cast<std::uint8_t>(u.state != 0 ? 1 : 0);
      call.accel.busy = u.state == 2 ? 1 : 0;
      call.accel.flags = state_.faults.unitDetached || NextLampReading() == "off" ? 0x08 : 0;
      call.accel.reading = u.temperature;
      return driver::kDrvOk;
    }
    case DeviceOp::AccelStatus: {
      AdvanceUnit();
      const UnitState& u = state_.unit;
      call.unit.offline = state_.faults.unitOffline ? 3 : 0;
      call.unit.state = u.state;
      call.unit.errorCode = u.errorCode;
      call.unit.calibrationFailed =
          call.selector == 0 && state_.faults.unitCalibrationFails ? 1 : 0;
      return driver::kDrvOk;
    }
    case DeviceOp::AccelColorimetry: {
      // L, a and b of the tile under the unit, eight characters each: positions 4 to 8 are
      // the white calibration tile, 0 and 12 coloured ones.
      const int p = state_.unit.tilePosition;
      double lab[3] = {94.2 + 0.02 * (p - 6), -0.5, 1.2 + 0.01 * (p - 6)};
      if (p < 4) lab[0] = 50.1, lab[1] = 60.3, lab[2] = 40.2;
      if (p > 8) lab[0] = 30.5, lab[1] = 10.1, lab[2] = -40.7;
      if (const auto given = state_.unit.tiles.find(p); given != state_.unit.tiles.end())
        std::copy(given->second.begin(), given->second.end(), lab);
      char text[64];
      std::snprintf(text, sizeof text, "C%8.3f,%8.3f,%8.3f", lab[0], lab[1], lab[2]);
      call.text = state_.faults.unitOffline || state_.faults.unitColorimetryFails ? "" : text;
      return driver::kDrvOk;
    }
    default: return driver::kDrvInvalidArgument;
  }
}

std::string VirtualPrinter::NextLampReading() {
  std::string& lamp = state_.unit.lamp;
  const std::size_t comma = lamp.find(',');
  if (comma == std::string::npos) return lamp;
  const std::string reading = lamp.substr(0, comma);
  lamp.erase(0, comma + 1);
  return reading;
}

void VirtualPrinter::AdvanceUnit() {
  if (unitStartReads_ < 0) return;
  if (unitStartReads_-- == 0) state_.unit.state = 1;
}

// As the printer's panel prints it: for each ink a staircase of its nozzle rows, one step a row,
// the inks one band below the other.
void VirtualPrinter::PrintOwnNozzleCheck() {
  constexpr std::uint8_t kInks[] = {0, 1, 2, 4};  // black, magenta, cyan, yellow
  constexpr int kRows = 16;
  constexpr int kStepBytes = 6;  // 24 dots of two bits
  for (const std::uint8_t ink : kInks) {
    RasterBlock block{ink, 2, kRows * kStepBytes, kRows, {}};
    for (int row = 0; row < kRows; ++row) {
      Bytes line(block.bytesPerLine, 0);
      std::fill_n(line.begin() + row * kStepBytes, kStepBytes, std::uint8_t{0xAA});
      block.rows.push_back(std::move(line));
    }
    pages_.Raster(block);
    pages_.FeedRows(kRows + 8);
  }
}

void VirtualPrinter::OnReset() { pages_.Reset(); }

void VirtualPrinter::OnSetting(char letter, const Bytes& params) { pages_.Setting(letter, params); }

void VirtualPrinter::OnRaster(const RasterBlock& block) { pages_.Raster(block); }

void VirtualPrinter::OnControl(std::uint8_t byte) {
  if (byte != 0x0C) return;
  ++pagesPrinted_;
  BusyFor(kPageMs);
  const Page page = pages_.EndPage();
  pageDots_.push_back(CountDots(page));
  if (page.blocks.empty()) {
    Note("page " + std::to_string(pagesPrinted_) + " fed blank");
    return;
  }
  const std::string folder = folder_ + "/" + kPagesFolder;
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  // Pages of earlier sessions stay: the number follows the highest one in the folder.
  int number = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    int n = 0;
    if (std::sscanf(entry.path().filename().c_str(), "page-%d.png", &n) == 1)
      number = std::max(number, n);
  }
  ++number;
  char name[32];
  std::snprintf(name, sizeof name, "/page-%04d.png", number);
  std::string problem;
  if (WritePagePng(page, folder + name, false, &problem)) {
    Note("page " + std::to_string(number) + " printed: " + std::string(kPagesFolder) + name);
  } else {
    Note("page " + std::to_string(number) + " printed, but " + problem);
  }
}

void VirtualPrinter::OnMalformed(const std::string& what) { Note("malformed: " + what); }

void VirtualPrinter::OnFirmware(const Bytes& file) {
  std::string why;
  const std::optional<FirmwareImage> image = ReadFirmwareFile(file, &why);
  if (!image) return RefuseFirmware(why);
  if (image->model != state_.model || image->version.substr(0, 2) != state_.model)
    return RefuseFirmware("made for model " + image->model);
  state_.firmware = image->version;
  state_.faults.bootMode = false;
  BusyFor(kFirmwareMs);
  restartAt_ = clock_.TickMs() + kFirmwareMs;
  Note("firmware " + image->version + " installed; the printer restarts");
}

bool VirtualPrinter::Restarting() {
  if (restartAt_ < 0 || clock_.TickMs() < restartAt_) return false;
  if (clock_.TickMs() < restartAt_ + kRestartMs) {
    session_ = false;  // a restart ends every session
    return true;
  }
  restartAt_ = -1;
  Note("back after the restart, firmware " + state_.firmware);
  return false;
}

void VirtualPrinter::OnFirmwareRefused(const std::string& why) { RefuseFirmware(why); }

void VirtualPrinter::RefuseFirmware(const std::string& why) {
  firmwareRefused_ = true;
  Note("firmware refused: " + why + "; firmware " + state_.firmware + " runs on");
}

void VirtualPrinter::GiveUpStalledFirmware() {
  if (!parser_.PendingFirmware() || clock_.TickMs() - lastDataTick_ < kFirmwareStallMs) return;
  parser_.Abandon();
  RefuseFirmware("firmware file cut short");
}

void VirtualPrinter::OnFactory(const FactoryCommand& command) {
  const std::string name = FactoryName(command.family, command.code);
  if (!AccessOk(command.access)) return Note("refused factory command " + name + ": access code");
  pages_.Factory(command);
  Dispatch({command.family, command.code}, name, command.params);
}

void VirtualPrinter::OnRemote(const std::string& name, const Bytes& params) {
  if (name.size() != 2) return OnMalformed("remote command \"" + name + "\"");
  Dispatch(KeyOf(name), "remote " + name, params);
}

void VirtualPrinter::Dispatch(CommandKey key, const std::string& name, const Bytes& params) {
  const CommandRow* row = commands_->Find(key);
  if (row == nullptr) {
    unknownCommands_.push_back(name);
    return Note("unknown command " + name);
  }
  if (params.size() < row->minParams) {
    return Note("malformed factory command " + name + ": " + std::to_string(params.size()) +
                " parameter bytes");
  }
  row->handle(*this, params);
}

void VirtualPrinter::UseCommands(const CommandTable& commands) {
  std::lock_guard lock(mutex_);
  commands_ = &commands;
}

std::vector<std::string> VirtualPrinter::UnknownCommands() const {
  std::lock_guard lock(mutex_);
  return unknownCommands_;
}

void RegisterVirtualPrinters(platform::Clock& clock) {
  driver::DeviceDirectory::RegisterScheme("vprinter", [&clock](const std::string& folder) {
    return std::shared_ptr<driver::PrinterDevice>(VirtualPrinter::Open(folder, clock));
  });
  // A printer served by its own process: reached where its server says it listens. How long
  // it may leave a call unanswered can be shortened for trials (GRELT_ANSWER_SLACK_MS).
  const char* slack = std::getenv("GRELT_ANSWER_SLACK_MS");
  const int answerSlackMs = slack != nullptr && std::atoi(slack) > 0
                                ? std::atoi(slack)
                                : driver::SocketDevice::kDefaultAnswerSlackMs;
  driver::DeviceDirectory::RegisterScheme("vprinterd", [answerSlackMs](const std::string& folder) {
    std::string location;
    std::ifstream(folder + "/" + kServerEndpointFile) >> location;
    return location.empty() ? nullptr : driver::ConnectSocketDevice(location, answerSlackMs);
  });
}

}  // namespace vprinter
