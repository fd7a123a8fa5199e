#pragma once
// Constants of the printer series that the program and the printers share: each model's access
// code and write key, the fixed key of the 7B command family, and where the head ID lives.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace driver {

using AccessCode = std::array<std::uint8_t, 2>;
using WriteKey = std::array<std::uint8_t, 8>;

struct ModelConstants {
  std::string_view code;          // the first two letters of the firmware version
  AccessCode access;              // sent first with every Ctl_/Prod_ call and factory command
  std::optional<WriteKey> key;    // sent with every NVRAM write; "AC" keeps the key it had
  std::string_view testSettings;  // the test settings set of the model, or empty
};

// The model table, in the order models are looked up.
std::span<const ModelConstants> ModelTable();
// The row of a model code (compared case-sensitively), or nullptr.
const ModelConstants* FindModel(std::string_view code);

// The eight-byte key of the 7B family's NVRAM write.
inline constexpr WriteKey kFamily7BKey = {0x5A, 0x3C, 0x96, 0x0F, 0xE1, 0x78, 0x2D, 0xB4};

// The access code that the option unit's NVRAM write carries.
inline constexpr std::array<std::uint8_t, 8> kUnitAccessCode = {'K', 'V', 'I', 'L',
                                                                'S', '0', '7', '3'};

// The head identity: 45 bytes of NVRAM.
inline constexpr std::uint16_t kHeadIdAddress = 0x1CB0;
inline constexpr int kHeadIdLength = 45;

// The network addresses the printers carry: a fixed three-byte prefix (locally administered:
// the second-lowest bit of its first byte is set, so it is nobody's maker identifier) and a
// station number of three bytes, big-endian, from kMacStationFirst to kMacStationLast.
inline constexpr std::array<std::uint8_t, 3> kMacVendorPrefix = {0x0A, 0x47, 0x52};
inline constexpr std::uint32_t kMacStationFirst = 0x2D2000;
inline constexpr std::uint32_t kMacStationLast = 0x2DFFFF;

// The destination table: each row's bytes for the Ctrl addresses 162, 163, 164, 165, 166, 169,
// 64 and 3353. The program writes row 2; printers sold with it carry that row.
using DestinationRecord = std::array<std::uint8_t, 8>;
inline constexpr int kProgramDestination = 2;
// The record of a row (1 to 5), or nothing outside the table.
std::optional<DestinationRecord> FindDestination(int row);

// The device class under which USB printers appear in the registry.
inline constexpr const char* kUsbPrintClassKey =
    "SYSTEM\\CurrentControlSet\\Control\\DeviceClasses\\{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";
inline constexpr const char* kUsbPrintClassGuid = "{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";

}  // namespace driver
