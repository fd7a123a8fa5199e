#include "vprinter/command_parser.h"

#include <algorithm>
#include <cstring>

#include "vprinter/command_bytes.h"

namespace vprinter {
namespace {

constexpr std::uint8_t kEsc = 0x1B;

bool ValidTriple(std::uint8_t c, std::uint8_t inverse, std::uint8_t rotated) {
  return inverse == static_cast<std::uint8_t>(0xFF - c) &&
         rotated == static_cast<std::uint8_t>((c >> 1) | ((c & 1) << 7));
}

bool IsUpper(std::uint8_t c) { return c >= 'A' && c <= 'Z'; }

// Header of a firmware file after the magic: model (2), version length (1), version, payload
// length (4), then the payload and a 4-byte checksum.
constexpr std::size_t kFirmwareFixed = kFirmwareMagic.size() + 2 + 1;

}  // namespace

CommandParser::CommandParser(CommandSink& sink) : sink_(sink) {}

void CommandParser::Abandon() {
  raster_.reset();
  pending_.clear();
  position_ = 0;
  remote_ = false;
}

bool CommandParser::PendingFirmware() const {
  const std::size_t have = std::min(Available(), kFirmwareMagic.size());
  return !raster_ && !remote_ && have > 0 &&
         std::memcmp(&pending_[position_], kFirmwareMagic.data(), have) == 0;
}

void CommandParser::Feed(const std::uint8_t* data, std::size_t length) {
  if (data != nullptr && length > 0) pending_.insert(pending_.end(), data, data + length);
  for (;;) {
    if (Available() == 0) break;
    const Step step = ParseOne();
    if (step == Step::NeedMore) break;
    if (step == Step::Malformed) SkipToNextEsc();
  }
  // Keep only what waits for more.
  pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(position_));
  position_ = 0;
}

void CommandParser::SkipToNextEsc() {
  const auto from = pending_.begin() + static_cast<std::ptrdiff_t>(position_) + 1;
  const auto next = std::find(std::min(from, pending_.end()), pending_.end(), kEsc);
  position_ = static_cast<std::size_t>(next - pending_.begin());
}

CommandParser::Step CommandParser::ParseOne() {
  if (raster_) return ParseRasterRows();
  const std::size_t at = position_;
  const std::uint8_t byte = pending_[at];
  if (byte == kEsc) return ParseEsc(at);
  if (byte == kFirmwareMagic[0] && !remote_) {
    const std::size_t have = std::min(Available(), kFirmwareMagic.size());
    if (std::memcmp(&pending_[at], kFirmwareMagic.data(), have) == 0) {
      if (have < kFirmwareMagic.size()) return Step::NeedMore;
      return ParseFirmware(at);
    }
  }
  if (remote_) return ParseRemote(at);
  if (byte == 0x0D || byte == 0x0A || byte == 0x0C) {
    sink_.OnControl(byte);
    ++position_;
    return Step::Done;
  }
  sink_.OnMalformed("unexpected byte " + std::to_string(byte));
  return Step::Malformed;
}

CommandParser::Step CommandParser::ParseEsc(std::size_t at) {
  if (Available() < 2) return Step::NeedMore;
  const std::uint8_t command = pending_[at + 1];
  switch (command) {
    case '@':
      position_ += 2;
      sink_.OnReset();
      return Step::Done;
    case 'U':
      if (Available() < 3) return Step::NeedMore;
      sink_.OnDirection(pending_[at + 2]);
      position_ += 3;
      return Step::Done;
    case 'i': return ParseRaster(at);
    case 0x7B:
    case 0x7C:
    case 0x7D: return ParseFactory(at);
    case 0x00:
      // ESC 00 00 00 leaves remote mode.
      if (Available() < 4) return Step::NeedMore;
      if (pending_[at + 2] != 0 || pending_[at + 3] != 0) {
        sink_.OnMalformed("bad remote-mode exit");
        return Step::Malformed;
      }
      remote_ = false;
      position_ += 4;
      return Step::Done;
    case '(': {
      if (Available() < 5) return Step::NeedMore;
      const char letter = static_cast<char>(pending_[at + 2]);
      const std::size_t length = Word(pending_, at + 3);
      if (Available() < 5 + length) return Step::NeedMore;
      const Bytes params(pending_.begin() + static_cast<std::ptrdiff_t>(at + 5),
                         pending_.begin() + static_cast<std::ptrdiff_t>(at + 5 + length));
      position_ += 5 + length;
      if (letter == 'R') {
        const std::string name(params.begin() + std::min<std::size_t>(1, params.size()),
                               params.end());
        if (name != "REMOTE1") {
          sink_.OnMalformed("unknown remote mode " + name);
          return Step::Done;
        }
        remote_ = true;
      }
      sink_.OnSetting(letter, params);
      return Step::Done;
    }
    default: sink_.OnMalformed("unknown ESC " + std::to_string(command)); return Step::Malformed;
  }
}

std::size_t CommandParser::DecodeRow(const std::uint8_t* data, std::size_t length,
                                     std::size_t bytesPerLine, Bytes& row, bool* damaged) {
  row.clear();
  std::size_t i = 0;
  while (row.size() < bytesPerLine) {
    if (i >= length) return 0;
    const std::uint8_t header = data[i];
    if (header < 0x80) {
      const std::size_t count = header + 1u;
      if (i + 1 + count > length) return 0;
      const std::size_t keep = std::min(count, bytesPerLine - row.size());
      if (keep < count && damaged != nullptr) *damaged = true;
      row.insert(row.end(), data + i + 1, data + i + 1 + keep);
      i += 1 + count;
    } else {
      if (i + 2 > length) return 0;
      const std::size_t count = 257u - header;
      const std::size_t keep = std::min(count, bytesPerLine - row.size());
      if (keep < count && damaged != nullptr) *damaged = true;
      row.insert(row.end(), keep, data[i + 1]);
      i += 2;
    }
  }
  return i;
}

CommandParser::Step CommandParser::ParseRaster(std::size_t at) {
  // ESC i colour compression bits W(bytes per line) W(lines), then the rows.
  if (Available() < 9) return Step::NeedMore;
  RasterBlock block;
  block.colour = pending_[at + 2];
  const std::uint8_t compression = pending_[at + 3];
  block.bitsPerDot = pending_[at + 4];
  block.bytesPerLine = Word(pending_, at + 5);
  block.lines = Word(pending_, at + 7);
  if (compression != 1 || (block.bitsPerDot != 1 && block.bitsPerDot != 2) ||
      block.bytesPerLine == 0) {
    sink_.OnMalformed("bad raster header");
    return Step::Malformed;
  }
  position_ += 9;
  raster_ = RasterInProgress{std::move(block), false};
  return ParseRasterRows();
}

CommandParser::Step CommandParser::ParseRasterRows() {
  RasterBlock& block = raster_->block;
  while (block.rows.size() < block.lines) {
    Bytes row;
    const std::size_t used = DecodeRow(pending_.data() + position_, Available(), block.bytesPerLine,
                                       row, &raster_->damaged);
    if (used == 0) return Step::NeedMore;
    position_ += used;
    block.rows.push_back(std::move(row));
  }
  RasterInProgress done = std::move(*raster_);
  raster_.reset();
  if (done.damaged) sink_.OnMalformed("raster row longer than its line");
  sink_.OnRaster(done.block);
  return Step::Done;
}

CommandParser::Step CommandParser::ParseFactory(std::size_t at) {
  // ESC family flag W(length) access(2) triple(3) params
  if (Available() < 5) return Step::NeedMore;
  const std::size_t length = Word(pending_, at + 3);
  if (length < 5) {
    sink_.OnMalformed("factory command too short");
    return Step::Malformed;
  }
  if (Available() >= 10 && !ValidTriple(pending_[at + 7], pending_[at + 8], pending_[at + 9])) {
    sink_.OnMalformed("bad factory code triple");
    return Step::Malformed;
  }
  if (Available() < 5 + length) return Step::NeedMore;
  FactoryCommand command;
  command.family = pending_[at + 1];
  command.flag = pending_[at + 2];
  command.access = {pending_[at + 5], pending_[at + 6]};
  command.code = pending_[at + 7];
  command.params.assign(pending_.begin() + static_cast<std::ptrdiff_t>(at + 10),
                        pending_.begin() + static_cast<std::ptrdiff_t>(at + 5 + length));
  position_ += 5 + length;
  sink_.OnFactory(command);
  return Step::Done;
}

CommandParser::Step CommandParser::ParseRemote(std::size_t at) {
  // Two capital letters, W(length), parameters.
  if (Available() < 4) {
    if (!IsUpper(pending_[at]) || (Available() > 1 && !IsUpper(pending_[at + 1]))) {
      sink_.OnMalformed("bad remote-mode command");
      return Step::Malformed;
    }
    return Step::NeedMore;
  }
  if (!IsUpper(pending_[at]) || !IsUpper(pending_[at + 1])) {
    sink_.OnMalformed("bad remote-mode command");
    return Step::Malformed;
  }
  const std::size_t length = Word(pending_, at + 2);
  if (Available() < 4 + length) return Step::NeedMore;
  const std::string name{static_cast<char>(pending_[at]), static_cast<char>(pending_[at + 1])};
  const Bytes params(pending_.begin() + static_cast<std::ptrdiff_t>(at + 4),
                     pending_.begin() + static_cast<std::ptrdiff_t>(at + 4 + length));
  position_ += 4 + length;
  sink_.OnRemote(name, params);
  return Step::Done;
}

CommandParser::Step CommandParser::ParseFirmware(std::size_t at) {
  if (Available() < kFirmwareFixed) return Step::NeedMore;
  const std::size_t versionLength = pending_[at + kFirmwareFixed - 1];
  const std::size_t header = kFirmwareFixed + versionLength + 4;
  if (Available() < header) return Step::NeedMore;
  const std::size_t payload = Dword(pending_, at + header - 4);
  const std::size_t total = header + payload + 4;
  const auto letter = [](std::uint8_t c) { return c >= 'A' && c <= 'Z'; };
  const std::uint8_t* model = &pending_[at + kFirmwareMagic.size()];
  const bool versionOfModel = versionLength >= 2 && pending_[at + kFirmwareFixed] == model[0] &&
                              pending_[at + kFirmwareFixed + 1] == model[1];
  const char* refused = payload > (64u << 20)                           ? "firmware file too large"
                        : !letter(model[0]) || !letter(model[1]) || !versionOfModel
                            ? "firmware header damaged"
                            : nullptr;
  if (refused != nullptr) {
    position_ = pending_.size();
    sink_.OnFirmwareRefused(refused);
    return Step::Done;
  }
  if (Available() < total) return Step::NeedMore;
  const Bytes file(pending_.begin() + static_cast<std::ptrdiff_t>(at),
                   pending_.begin() + static_cast<std::ptrdiff_t>(at + total));
  position_ += total;
  sink_.OnFirmware(file);
  return Step::Done;
}

}  // namespace vprinter
