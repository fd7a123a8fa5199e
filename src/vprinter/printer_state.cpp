#include "vprinter/printer_state.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iterator>
#include <map>
#include <sstream>

#include "driver/cwin_hdidapi.h"
#include "driver/nvram_map.h"
#include "driver/product_constants.h"
#include "platform/files.h"
#include "vprinter/faults.h"
#include "vprinter/firmware_file.h"

namespace vprinter {
namespace {

constexpr char kMagic[8] = {'G', 'R', 'V', 'P', 'S', 'T', '0', '1'};

// A small deterministic generator, so a printer's factory image follows from its name.
class Seeded {
public:
  explicit Seeded(const std::string& seed)
      : state_(Crc32(reinterpret_cast<const std::uint8_t*>(seed.data()), seed.size()) | 1u) {}
  std::uint32_t Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
  }
  int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint32_t>(n)); }

private:
  std::uint32_t state_;
};

void PutText(std::vector<std::uint8_t>& nvram, int address, const std::string& text) {
  std::memcpy(&nvram[static_cast<std::size_t>(address)], text.data(), text.size());
}

void PutDword(std::vector<std::uint8_t>& nvram, int address, std::uint32_t value) {
  for (int i = 0; i < 4; ++i)
    nvram[static_cast<std::size_t>(address + i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::string Escape(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n' || c == '\\' || c == '=') {
      out += '\\';
      out += c == '\n' ? 'n' : c;
    } else {
      out += c;
    }
  }
  return out;
}

std::string Unescape(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size()) {
      ++i;
      out += text[i] == 'n' ? '\n' : text[i];
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string Metadata(const PrinterState& s) {
  std::ostringstream m;
  m << std::setprecision(10);
  const UnitState& u = s.unit;
  m << "name=" << Escape(s.name) << "\nmodel=" << Escape(s.model)
    << "\nfirmware=" << Escape(s.firmware) << "\nport=" << s.port
    << "\nclockOffset=" << s.clockOffset << "\nrtcSetValue=" << Escape(s.rtcSetValue) << "\n"
    << SaveFaults(s.faults) << "unitState=" << u.state << "\nunitErrorCode=" << u.errorCode
    << "\nunitTemperature=" << u.temperature << "\nunitTilePosition=" << u.tilePosition
    << "\nunitLamp=" << Escape(u.lamp) << "\n";
  for (const auto& [position, lab] : u.tiles)
    m << "unitTile." << position << '=' << lab[0] << ',' << lab[1] << ',' << lab[2] << '\n';
  for (const auto& [key, reading] : s.motorReadings)
    m << "motor." << key << '=' << reading.first << ',' << reading.second << '\n';
  return m.str();
}

bool ApplyMetadata(const std::string& text, PrinterState& s) {
  std::map<std::string, std::string> values;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    std::size_t equals = std::string::npos;
    for (std::size_t i = 0; i < line.size(); ++i) {
      if (line[i] == '\\') {
        ++i;
      } else if (line[i] == '=') {
        equals = i;
        break;
      }
    }
    if (equals == std::string::npos) return false;
    values[line.substr(0, equals)] = Unescape(line.substr(equals + 1));
  }
  auto integer = [&values](const char* key, auto& target) {
    const auto found = values.find(key);
    if (found != values.end())
      target = static_cast<std::remove_reference_t<decltype(target)>>(std::stoll(found->second));
  };
  auto text_ = [&values](const char* key, std::string& target) {
    const auto found = values.find(key);
    if (found != values.end()) target = found->second;
  };
  text_("name", s.name);
  text_("model", s.model);
  text_("firmware", s.firmware);
  text_("rtcSetValue", s.rtcSetValue);
  integer("port", s.port);
  integer("clockOffset", s.clockOffset);
  LoadFaults(values, s.faults);
  UnitState& u = s.unit;
  integer("unitState", u.state);
  integer("unitErrorCode", u.errorCode);
  integer("unitTemperature", u.temperature);
  text_("unitLamp", u.lamp);
  integer("unitTilePosition", u.tilePosition);
  for (const auto& [key, value] : values) {
    if (key.rfind("unitTile.", 0) == 0) {
      std::array<double, 3> lab{};
      if (!ParseTileLab(value, lab)) return false;
      u.tiles[std::stoi(key.substr(9))] = lab;
      continue;
    }
    if (key.rfind("motor.", 0) != 0) continue;
    const auto comma = value.find(',');
    if (comma == std::string::npos) return false;
    s.motorReadings[std::stoi(key.substr(6))] = {
        static_cast<std::uint16_t>(std::stoul(value.substr(0, comma))),
        static_cast<std::uint16_t>(std::stoul(value.substr(comma + 1)))};
  }
  return s.model.size() == 2;
}

void PutU32(std::string& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>(value >> (8 * i));
}

std::uint32_t GetU32(const std::string& in, std::size_t at) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i)
    value = (value << 8) | static_cast<std::uint8_t>(in[at + static_cast<std::size_t>(i)]);
  return value;
}

}  // namespace

bool ParseTileLab(const std::string& text, std::array<double, 3>& lab) {
  const char* at = text.c_str();
  for (std::size_t k = 0; k < 3; ++k) {
    char* end = nullptr;
    lab[k] = std::strtod(at, &end);
    if (end == at || !std::isfinite(lab[k]) || *end != (k < 2 ? ',' : '\0')) return false;
    at = end + 1;
  }
  return true;
}

PrinterState FactoryImage(const std::string& model, const std::string& name) {
  PrinterState s;
  s.name = name;
  s.model = model;
  s.firmware = model + "06B1";
  Seeded random(model + "/" + name);
  std::vector<std::uint8_t>& n = s.nvram;
  // Identity: serial number, long serial number, network address.
  const std::string letters = "ABCDEFGHJKLMNPRSTUVWXYZ";
  std::string serial;
  for (int i = 0; i < 4; ++i)
    serial += letters[static_cast<std::size_t>(random.Below(static_cast<int>(letters.size())))];
  for (int i = 0; i < 6; ++i) serial += static_cast<char>('0' + random.Below(10));
  PutText(n, driver::nvram::kSerialNumber, serial);
  PutText(n, driver::nvram::kLongSerialNumber, serial + "00000000");
  const std::uint32_t station =
      driver::kMacStationFirst + static_cast<std::uint32_t>(random.Below(static_cast<int>(
                                     driver::kMacStationLast - driver::kMacStationFirst + 1)));
  const std::uint8_t mac[6] = {driver::kMacVendorPrefix[0],
                               driver::kMacVendorPrefix[1],
                               driver::kMacVendorPrefix[2],
                               static_cast<std::uint8_t>(station >> 16),
                               static_cast<std::uint8_t>(station >> 8),
                               static_cast<std::uint8_t>(station)};
  std::memcpy(&n[driver::nvram::kMacAddress], mac, driver::nvram::kMacLength);
  // Head ID: 44 random symbols and their check symbol.
  int head[driver::kHeadIdChars];
  for (int i = 0; i < driver::kHeadIdChars - 1; ++i)
    head[i] = random.Below(static_cast<int>(driver::kHeadIdAlphabet.size()));
  head[driver::kHeadIdChars - 1] = driver::CWinHdidapi::CheckSymbol(head);
  for (int i = 0; i < driver::kHeadIdChars; ++i)
    n[driver::kHeadIdAddress + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(head[i]);
  // Life counters, destination and board flags, adjustment values.
  PutDword(n, 8376, 1200000u + static_cast<std::uint32_t>(random.Below(400000)));
  PutDword(n, 7816, 90000u + static_cast<std::uint32_t>(random.Below(100000)));
  PutDword(n, 202, 200000000u + static_cast<std::uint32_t>(random.Below(100000000)));
  PutDword(n, 206, 150000000u + static_cast<std::uint32_t>(random.Below(100000000)));
  PutDword(n, 1888, 400u + static_cast<std::uint32_t>(random.Below(1200)));
  // The exchangeable parts' life counters, 16 bytes a part from 0x3000, where the shipped parts
  // file looks for them; their exchange counts and dates are unset (0xFF).
  for (int part = 0; part < 14; ++part)
    PutDword(n, 0x3000 + 16 * part, 1000u + static_cast<std::uint32_t>(random.Below(900000)));
  n[driver::nvram::kDestinationSet] = 1;
  const driver::DestinationRecord destination =
      *driver::FindDestination(driver::kProgramDestination);
  for (int i = 0; i < 6; ++i) n[driver::nvram::kDestinationBytes[i]] = destination[i];
  n[driver::nvram::kDestinationCode] = destination[6];
  n[driver::nvram::kDestinationOption] = destination[7];
  n[driver::nvram::kBoardInitialised] = 1;
  for (int address : {313, 314, 315, 329, 330, 331})
    n[static_cast<std::size_t>(address)] = static_cast<std::uint8_t>(random.Below(9) - 4);
  n[373] = 12;
  n[driver::nvram::kServiceFlag] = 0;
  n[135] = 1;
  n[136] = 1;
  n[driver::nvram::kBlackInkKind] = 1;
  for (int slot = 0; slot < 11; ++slot)
    n[40160 + static_cast<std::size_t>(slot)] = static_cast<std::uint8_t>(20 + slot);
  // The lists carry data of their own.
  for (std::size_t i = 0; i < s.listA3.size(); ++i)
    s.listA3[i] = static_cast<std::uint8_t>(random.Next());
  for (std::size_t i = 0; i < s.listD6.size(); ++i)
    s.listD6[i] = static_cast<std::uint8_t>(random.Next());
  // Position, feed and height corrections of a printer adjusted at the factory.
  namespace nv = driver::nvram;
  for (int address : nv::kPositionShown)
    n[static_cast<std::size_t>(address)] = static_cast<std::uint8_t>(random.Below(17) - 8);
  n[nv::kPositionCorrected[0]] = static_cast<std::uint8_t>(random.Below(17) - 8);
  PutDword(n, nv::kPositionFine, static_cast<std::uint32_t>(random.Below(401) - 200));
  PutDword(n, nv::kFeedScale, nv::kFeedScaleOne);
  PutDword(n, nv::kFeedLength, nv::kFeedLengthNominal);
  PutDword(n, nv::kFeedLengthBefore, nv::kFeedLengthNominal);
  PutDword(n, nv::kHeightCorrection, static_cast<std::uint32_t>(random.Below(601) - 300));
  s.unit.nvram[170] = 0;
  return s;
}

PrinterState NewBoardImage(const std::string& model, const std::string& name) {
  PrinterState s = FactoryImage(model, name);
  std::fill_n(s.nvram.begin() + driver::nvram::kSerialNumber, driver::nvram::kSerialLength, 0);
  s.nvram[driver::nvram::kDestinationSet] = 0;
  s.nvram[driver::nvram::kBoardInitialised] = 0;
  return s;
}

std::string StateBytes(const PrinterState& state) {
  std::string data(kMagic, sizeof kMagic);
  const std::string metadata = Metadata(state);
  PutU32(data, static_cast<std::uint32_t>(metadata.size()));
  data += metadata;
  for (const auto* block : {&state.nvram, &state.listA3, &state.listD6, &state.unit.nvram}) {
    data.append(reinterpret_cast<const char*>(block->data()), block->size());
  }
  PutU32(data, Crc32(reinterpret_cast<const std::uint8_t*>(data.data()), data.size()));
  return data;
}

bool SaveState(const PrinterState& state, const std::string& path) {
  // Saved on every NVRAM write; a virtual printer need not survive a power cut of its host.
  return platform::ReplaceFile(path, StateBytes(state), false);
}

std::optional<PrinterState> LoadState(const std::string& path, std::string* problem) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    if (problem != nullptr) *problem = "no state file";
    return std::nullopt;
  }
  return ParseState(
      std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()), problem);
}

std::optional<PrinterState> ParseState(const std::string& data, std::string* problem) {
  auto fail = [problem](std::string why) -> std::optional<PrinterState> {
    if (problem != nullptr) *problem = std::move(why);
    return std::nullopt;
  };
  const std::size_t blocks = kNvramSize + kListA3Size + kListD6Size + kUnitNvramSize;
  if (data.size() < sizeof kMagic + 8 ||
      data.compare(0, sizeof kMagic, kMagic, sizeof kMagic) != 0) {
    return fail("not a state file");
  }
  const std::size_t metadataSize = GetU32(data, sizeof kMagic);
  if (data.size() != sizeof kMagic + 4 + metadataSize + blocks + 4)
    return fail("state file cut short");
  if (Crc32(reinterpret_cast<const std::uint8_t*>(data.data()), data.size() - 4) !=
      GetU32(data, data.size() - 4)) {
    return fail("state file damaged (checksum)");
  }
  PrinterState state;
  try {
    if (!ApplyMetadata(data.substr(sizeof kMagic + 4, metadataSize), state))
      return fail("state file damaged (settings)");
  } catch (const std::exception&) {
    return fail("state file damaged (settings)");
  }
  std::size_t at = sizeof kMagic + 4 + metadataSize;
  for (auto* block : {&state.nvram, &state.listA3, &state.listD6, &state.unit.nvram}) {
    std::memcpy(block->data(), data.data() + at, block->size());
    at += block->size();
  }
  return state;
}

}  // namespace vprinter
