#pragma once
// NVRAM addresses of the printer series that both the program and the printers use, named once.
// Addresses that only one side knows stay with that side.

namespace driver::nvram {

inline constexpr int kSerialNumber = 66;  // production area: ten characters
inline constexpr int kSerialLength = 10;
inline constexpr int kLongSerialNumber = 96;  // eighteen characters
inline constexpr int kLongSerialLength = 18;
inline constexpr int kMacAddress = 114;  // six bytes
inline constexpr int kMacLength = 6;
inline constexpr int kDestinationSet = 161;    // 1: the destination bytes are written
inline constexpr int kBoardInitialised = 168;  // 1: the board's lists are set up
// The six destination bytes, in the order of a destination record.
inline constexpr int kDestinationBytes[6] = {162, 163, 164, 165, 166, 169};
// What a restore onto a board with its own serial number stamps: 1, year - 2000, month, day, hour.
inline constexpr int kExchangeStamp = 0x110;
inline constexpr int kExchangeStampLength = 5;
inline constexpr int kServiceFlag = 11632;
inline constexpr int kHeadIdRegistered = 7504;  // production area: 1 once a head ID is registered
inline constexpr int kBlackInkKind = 11639;  // 1: matte black, else photo black

// What a measured motor move leaves: two bytes of current and two of time, per motor.
inline constexpr int kCarriageCurrent = 7824;
inline constexpr int kCarriageTime = 7760;
inline constexpr int kPaperFeedCurrent = 7826;
inline constexpr int kPaperFeedTime = 7762;

}  // namespace driver::nvram
