#pragma once
// Everything a virtual printer keeps across power cycles, its factory image, and the state file
// it lives in (replaced whole on every save, checked by a CRC when loaded).

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vprinter {

inline constexpr std::size_t kNvramSize = 0x10000;
inline constexpr std::size_t kListA3Size = 0x10000;
inline constexpr std::size_t kListD6Size = 0x1000;
inline constexpr std::size_t kUnitNvramSize = 0x100;

// Faults a trainer or a test can give the printer.
struct Faults {
  bool paperOut = false;
  bool paperJam = false;
  bool disconnected = false;  // every call fails
  bool bootMode = false;      // waits for firmware: no session, only the raw port
  bool eraseFails = false;    // a list erase reports failure
  bool eraseHangs = false;    // a list erase never finishes
  bool motorFails = false;    // measured moves read far outside every limit
  bool unitOffline = false;   // the option unit does not answer
  bool unitDetached = false;  // its attachment sensor reads "off"
  bool unitCalibrationFails = false;
  bool unitColorimetryFails = false;  // the unit's colorimetry reply is empty
  bool romReadFails = false;          // the firmware version cannot be read
  int stuckStatus = -1;               // this status type is all the printer reports
  int readFailFrom = -1;              // NVRAM and list reads touching [from, to] fail
  int readFailTo = -1;
  int writeFailFrom = -1;  // NVRAM writes touching [from, to] fail
  int writeFailTo = -1;
  int stuckFrom = -1;  // NVRAM bytes in [from, to] keep their value: writes are taken, not kept
  int stuckTo = -1;
  // The AID inspection: runs never begin or never end; the first N runs read weak; run R ends
  // with the inspection error code C (0x10 when none is given) instead of "passed"; run S's
  // results add up to a given sum.
  bool aidNeverStarts = false;
  bool aidNeverEnds = false;
  int aidWeakRuns = -1;
  int aidFailRun = -1;
  int aidFailCode = -1;
  int aidSumRun = -1;  // this run's ten results add up to aidSum
  int aidSum = -1;
  // The IMS checks: the paper reading the sensor gives (0 to 255, else a good one); the marks
  // sit out of place.
  int imsPaperReading = -1;
  bool imsMarksFail = false;
  // Busy with work of its own (a cleaning or a test print begun at its panel): it takes no data
  // and reports busy for this many status reads. Given as ownWorkAfter, that work begins, for
  // three status reads, once the printer has taken this many more bytes.
  int ownWorkPolls = -1;
  int ownWorkAfter = -1;
};

// The option unit (colour measuring) with its own small NVRAM.
struct UnitState {
  std::vector<std::uint8_t> nvram = std::vector<std::uint8_t>(kUnitNvramSize, 0);
  int state = 0;  // 0 stop, 1 ready, 2 busy, 255 error
  int errorCode = 0;
  int temperature = 23;  // degrees, as the thermosensor reads
  // What the attachment-sensor lamp reads, read by read: "off" or "on", comma-separated; the last
  // entry stays once the others were read.
  std::string lamp = "on";
  // L, a and b that the tile at a position reports instead of the healthy tile's.
  std::map<int, std::array<double, 3>> tiles;
  int tilePosition = 0;
};

struct PrinterState {
  std::string name;
  std::string model;     // two letters
  std::string firmware;  // starts with the model code
  int port = 0;          // the port number that opens it by number, 0 for none
  std::vector<std::uint8_t> nvram = std::vector<std::uint8_t>(kNvramSize, 0xFF);
  std::vector<std::uint8_t> listA3 = std::vector<std::uint8_t>(kListA3Size, 0xFF);
  std::vector<std::uint8_t> listD6 = std::vector<std::uint8_t>(kListD6Size, 0xFF);
  UnitState unit;
  std::int64_t clockOffset = 0;  // printer clock minus the host clock, in seconds
  std::string rtcSetValue = "000000000000";
  Faults faults;
  // Readings given to measured moves instead of the healthy motor's: key motor * 16 + mode,
  // value (current, time).
  std::map<int, std::pair<std::uint16_t, std::uint16_t>> motorReadings;
  int aidRun = 0;  // the AID inspection run under way (1 to 3), not kept across power cycles
};

// A printer as it leaves the factory: identity, network address, counters, destination and
// adjustment values, all derived from its name so that two printers differ.
PrinterState FactoryImage(const std::string& model, const std::string& name);
// A main board fresh from the spare-parts shelf for that printer: the factory image without a
// serial number (ten zero bytes), with the destination-set and board-initialised flags clear.
PrinterState NewBoardImage(const std::string& model, const std::string& name);

// L, a and b of a tile as "L,a,b" (three numbers): false for anything else.
bool ParseTileLab(const std::string& text, std::array<double, 3>& lab);

// The state as its file holds it, and back; nothing, with the reason in *problem, for bytes that
// are not a whole state.
std::string StateBytes(const PrinterState& state);
std::optional<PrinterState> ParseState(const std::string& data, std::string* problem);
// Saves crash-safe (temporary file, then rename). False when the file could not be written.
bool SaveState(const PrinterState& state, const std::string& path);
// Loads a state file; nothing, with the reason in *problem, when it is missing or damaged.
std::optional<PrinterState> LoadState(const std::string& path, std::string* problem);

}  // namespace vprinter
