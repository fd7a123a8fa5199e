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
// The six destination bytes, in the order of a destination record; its last two bytes go to
// kDestinationCode and kDestinationOption, written one by one after the destination-set flag.
inline constexpr int kDestinationBytes[6] = {162, 163, 164, 165, 166, 169};
inline constexpr int kDestinationCode = 64;
inline constexpr int kDestinationOption = 3353;
// What a restore onto a board with its own serial number stamps: 1, year - 2000, month, day, hour.
inline constexpr int kExchangeStamp = 0x110;
inline constexpr int kExchangeStampLength = 5;
inline constexpr int kServiceFlag = 11632;
inline constexpr int kHeadIdRegistered = 7504;  // production area: 1 once a head ID is registered
inline constexpr int kBlackInkKind = 11639;  // 1: matte black, else photo black

// Adjustment values in the production area. Position corrections: signed bytes in steps of
// 1/180 inch, and one four-byte value in steps of 1/2880 inch; the check page shows
// 550, 551, 8517 and 8515, the position input corrects 8519, 8517, 8515 and the four-byte value.
inline constexpr int kPositionShown[4] = {550, 551, 8517, 8515};
inline constexpr int kPositionCorrected[3] = {8519, 8517, 8515};
inline constexpr int kPositionFine = 8496;
// Feed length: a scale (10^6 for 1), the length the scale was made for, and the one before it,
// four bytes each, least significant first.
inline constexpr int kFeedScale = 8480;
inline constexpr int kFeedLength = 8484;
inline constexpr int kFeedLengthBefore = 8488;
// A scale of 1 and the length of the 508 mm feed sheet in feed units (1.95 a micrometre): what
// the three feed values hold when the feed needs no correction.
inline constexpr int kFeedScaleOne = 1000000;
inline constexpr int kFeedLengthNominal = 990600;
inline constexpr int kHeightCorrection = 8504;  // four bytes, signed

// The AID inspection: ten 16-bit results of the last run, its result code (1: passed), the
// result the printer offers to keep, and where it is kept.
inline constexpr int kAidResults = 48672;
inline constexpr int kAidResultCode = 48436;
inline constexpr int kAidStoredResult = 48433;
inline constexpr int kAidKeptResult = 1057;

// What a measured motor move leaves: two bytes of current and two of time, per motor.
inline constexpr int kCarriageCurrent = 7824;
inline constexpr int kCarriageTime = 7760;
inline constexpr int kPaperFeedCurrent = 7826;
inline constexpr int kPaperFeedTime = 7762;

// The option unit's own NVRAM: its thermosensor correction, a signed byte in tenths of a degree.
inline constexpr int kUnitCorrection = 170;

}  // namespace driver::nvram
