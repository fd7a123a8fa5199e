#pragma once
// Reads the byte stream a printer receives: page and raster commands (raster rows decoded by the
// run-length rule, so the reader never loses its place), remote-mode commands, factory commands
// and firmware files. Bytes may arrive in pieces of any size; what is not complete yet waits for
// the next piece. Anything malformed is reported and skipped up to the next ESC.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vprinter {

using Bytes = std::vector<std::uint8_t>;

struct FactoryCommand {
  std::uint8_t family = 0;  // 0x7B, 0x7C or 0x7D
  std::uint8_t flag = 0;
  std::array<std::uint8_t, 2> access{};
  std::uint8_t code = 0;  // the first byte of the code triple
  Bytes params;
};

struct RasterBlock {
  std::uint8_t colour = 0;
  std::uint8_t bitsPerDot = 0;
  std::uint16_t bytesPerLine = 0;
  std::uint16_t lines = 0;
  std::vector<Bytes> rows;  // decoded, bytesPerLine each
};

// What the reader found, in stream order.
class CommandSink {
public:
  virtual ~CommandSink() = default;
  virtual void OnReset() {}
  // ESC ( letter length parameters: page set-up, graphics mode, positions, remote-mode entry.
  virtual void OnSetting(char /*letter*/, const Bytes& /*params*/) {}
  virtual void OnDirection(std::uint8_t /*direction*/) {}
  virtual void OnRaster(const RasterBlock& /*block*/) {}
  virtual void OnControl(std::uint8_t /*byte*/) {}  // CR, LF, FF
  virtual void OnRemote(const std::string& /*name*/, const Bytes& /*params*/) {}
  virtual void OnFactory(const FactoryCommand& /*command*/) {}
  virtual void OnFirmware(const Bytes& /*file*/) {}
  // A firmware file whose header already shows it cannot be installed; what was pending is
  // dropped.
  virtual void OnFirmwareRefused(const std::string& /*why*/) {}
  virtual void OnMalformed(const std::string& /*what*/) {}
};

// The marker that starts a firmware file.
inline constexpr std::array<std::uint8_t, 8> kFirmwareMagic = {'G', 'R', 'E', 'L',
                                                               'T', 'F', 'W', '1'};

class CommandParser {
public:
  explicit CommandParser(CommandSink& sink);

  // Takes the next bytes of the stream and reports every command completed by them.
  void Feed(const std::uint8_t* data, std::size_t length);
  // Whether a command waits for the rest of its bytes.
  bool Incomplete() const { return raster_.has_value() || position_ < pending_.size(); }
  bool InRemoteMode() const { return remote_; }
  // A firmware file has begun and waits for the rest of its bytes.
  bool PendingFirmware() const;
  // Forgets a half-read command (the printer was reset or the job was abandoned).
  void Abandon();

  // Decodes one run-length row into exactly bytesPerLine bytes; returns the encoded bytes used,
  // or 0 when the data ends first. A run or literal that overshoots the row is cut and *damaged
  // is set.
  static std::size_t DecodeRow(const std::uint8_t* data, std::size_t length,
                               std::size_t bytesPerLine, Bytes& row, bool* damaged);

private:
  enum class Step { Done, NeedMore, Malformed };

  Step ParseOne();
  Step ParseEsc(std::size_t at);
  Step ParseRaster(std::size_t at);
  Step ParseRasterRows();
  Step ParseFactory(std::size_t at);
  Step ParseRemote(std::size_t at);
  Step ParseFirmware(std::size_t at);
  std::size_t Available() const { return pending_.size() - position_; }
  void SkipToNextEsc();

  // A raster block whose rows are still arriving: rows already read are kept, so a block that
  // comes in many small pieces is decoded once, not again with every piece.
  struct RasterInProgress {
    RasterBlock block;
    bool damaged = false;
  };

  CommandSink& sink_;
  std::optional<RasterInProgress> raster_;
  Bytes pending_;
  std::size_t position_ = 0;
  bool remote_ = false;
};

}  // namespace vprinter
