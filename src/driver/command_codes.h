#pragma once
// The command codes that the program sends and the printers answer, named once for both.
//
// Factory commands are named by family ("{" 7B, "|" 7C, "}" 7D) and their code triple as the
// service procedures write them; the triple is the code byte, FF less it, and it rotated right
// by one bit, so the family and the first byte name a command. Remote-mode commands are two
// letters.

#include <compare>
#include <cstdint>
#include <string_view>

namespace driver {

struct FactoryCode {
  std::uint8_t family;
  std::uint8_t code;
  friend constexpr auto operator<=>(const FactoryCode&, const FactoryCode&) = default;
};

namespace factory {

// Option unit (family 7B).
inline constexpr FactoryCode k7B_28D714{0x7B, 0x28};  // tile position
inline constexpr FactoryCode k7B_25DA92{0x7B, 0x25};  // initialisation: 254 stops, 3 starts
inline constexpr FactoryCode k7B_22DD11{0x7B, 0x22};
inline constexpr FactoryCode k7B_40BF20{0x7B, 0x40};
inline constexpr FactoryCode k7B_42BD21{0x7B, 0x42};
inline constexpr FactoryCode k7B_03FC81{0x7B, 0x03};
inline constexpr FactoryCode k7B_02FD01{0x7B, 0x02};  // unit NVRAM byte, with the family key

// Settings and production NVRAM (family 7C).
inline constexpr FactoryCode kPrdWrite{0x7C, 0x02};          // one production NVRAM byte
inline constexpr FactoryCode kPrdWriteMulti{0x7C, 0x07};     // up to 239 production NVRAM bytes
inline constexpr FactoryCode kClockSet{0x7C, 0x63};          // 7C 639CB1: yy mm dd hh mm ss
inline constexpr FactoryCode kSerialNumber{0x7C, 0x2B};      // 7C 2BD495: ten characters
inline constexpr FactoryCode kLongSerialNumber{0x7C, 0x23};  // 7C 23DC91: eighteen characters
inline constexpr FactoryCode k7C_CD32E6{0x7C, 0xCD};
inline constexpr FactoryCode k7C_9966CC{0x7C, 0x99};
inline constexpr FactoryCode k7C_9A654D{0x7C, 0x9A};  // option unit initialisation
inline constexpr FactoryCode k7C_9768CB{0x7C, 0x97};
inline constexpr FactoryCode k7C_50AF28{0x7C, 0x50};
inline constexpr FactoryCode k7C_42BD21{0x7C, 0x42};  // unit EEPROM byte, with the unit's code
inline constexpr FactoryCode k7C_43BCA1{0x7C, 0x43};
inline constexpr FactoryCode k7C_2FD097{0x7C, 0x2F};
inline constexpr FactoryCode k7C_A35CD1{0x7C, 0xA3};  // sensor readings: 16 paper, 48 IMS marks
inline constexpr FactoryCode k7C_0AF505{0x7C, 0x0A};
inline constexpr FactoryCode k7C_A15ED0{0x7C, 0xA1};
inline constexpr FactoryCode k7C_03FC81{0x7C, 0x03};
inline constexpr FactoryCode k7C_08F704{0x7C, 0x08};

// Mechanics, head and inspections (family 7D).
inline constexpr FactoryCode kHeadIdWrite{0x7D, 0x22};  // kind, then the 45 characters
inline constexpr FactoryCode k7D_649B32{0x7D, 0x64};    // AID inspection: 1 runs one
inline constexpr FactoryCode k7D_10EF08{0x7D, 0x10};
inline constexpr FactoryCode k7D_807F40{0x7D, 0x80};
inline constexpr FactoryCode k7D_01FE80{0x7D, 0x01};
inline constexpr FactoryCode k7D_40BF20{0x7D, 0x40};
inline constexpr FactoryCode k7D_F00F78{0x7D, 0xF0};
inline constexpr FactoryCode k7D_4AB525{0x7D, 0x4A};
inline constexpr FactoryCode k7D_41BEA0{0x7D, 0x41};
inline constexpr FactoryCode k7D_827D41{0x7D, 0x82};
inline constexpr FactoryCode k7D_45BAA2{0x7D, 0x45};  // long maintenance
inline constexpr FactoryCode k7D_26D913{0x7D, 0x26};
inline constexpr FactoryCode k7D_48B724{0x7D, 0x48};
inline constexpr FactoryCode k7D_4FB0A7{0x7D, 0x4F};
inline constexpr FactoryCode k7D_13EC89{0x7D, 0x13};  // measured motor move: motor, mode, target
inline constexpr FactoryCode k7D_02FD01{0x7D, 0x02};
inline constexpr FactoryCode k7D_03FC81{0x7D, 0x03};
inline constexpr FactoryCode k7D_14EB0A{0x7D, 0x14};
inline constexpr FactoryCode k7D_847B42{0x7D, 0x84};
inline constexpr FactoryCode k7D_42BD21{0x7D, 0x42};
inline constexpr FactoryCode k7D_857AC2{0x7D, 0x85};
inline constexpr FactoryCode k7D_47B8A3{0x7D, 0x47};
inline constexpr FactoryCode k7D_06F903{0x7D, 0x06};

}  // namespace factory

namespace remote {

inline constexpr std::string_view kJobStart = "JS";
inline constexpr std::string_view kJobEnd = "JE";
inline constexpr std::string_view kLoad = "LD";
inline constexpr std::string_view kAC = "AC";
inline constexpr std::string_view kMI = "MI";
inline constexpr std::string_view kPH = "PH";
inline constexpr std::string_view kPP = "PP";
inline constexpr std::string_view kSN = "SN";
inline constexpr std::string_view kAL = "AL";
inline constexpr std::string_view kNozzleCheck = "NC";  // the printer's own nozzle check

}  // namespace remote

}  // namespace driver
