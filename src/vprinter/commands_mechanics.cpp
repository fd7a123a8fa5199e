// Commands that move the carriage and the paper, measure the motors, read the sensors, run the
// AID inspection and the long maintenance. Moves keep the printer working for a second.

#include <algorithm>

#include "driver/nvram_map.h"
#include "vprinter/command_table.h"

namespace vprinter {
namespace {

namespace factory = driver::factory;

// The raw current and time readings a healthy motor leaves after a measured move. The modes come
// in pairs (high load, low load, check), and these readings give load constants and a check value
// inside the limits of every model's measurement settings.
struct MotorReading {
  std::uint16_t current;
  std::uint16_t time;
};

MotorReading ReadingOf(int motor, int mode) {
  if (motor == 2) {  // paper feed
    switch (mode) {
      case 0:
      case 3: return {725, 2160};
      case 2:
      case 5: return {757, 1338};
      case 1:
      case 4: return {827, 2732};
      default: return {700, 1500};
    }
  }
  switch (mode) {  // carriage
    case 1:
    case 4: return {560, 1869};
    case 3:
    case 6: return {552, 1456};
    case 2:
    case 5: return {571, 1767};
    default: return {500, 1500};
  }
}

void PutWord(PrinterState& state, int address, std::uint16_t value) {
  state.nvram[static_cast<std::size_t>(address)] = static_cast<std::uint8_t>(value);
  state.nvram[static_cast<std::size_t>(address) + 1] = static_cast<std::uint8_t>(value >> 8);
}

// A measured move: motor, mode, target. The readings are the healthy ones unless a trainer gave
// others or the motor fails.
void MeasuredMove(PrinterContext& printer, const Bytes& p) {
  PrinterState& state = printer.State();
  MotorReading reading =
      state.faults.motorFails ? MotorReading{0xFFFF, 0xFFFF} : ReadingOf(p[0], p[1]);
  if (const auto given = state.motorReadings.find(p[0] * 16 + p[1]);
      given != state.motorReadings.end()) {
    reading = {given->second.first, given->second.second};
  }
  const bool paperFeed = p[0] == 2;
  PutWord(state, paperFeed ? driver::nvram::kPaperFeedCurrent : driver::nvram::kCarriageCurrent,
          reading.current);
  PutWord(state, paperFeed ? driver::nvram::kPaperFeedTime : driver::nvram::kCarriageTime,
          reading.time);
}

// An AID inspection run: 1 starts the first, 0 the next. A healthy head gives ten results whose
// sum is above every model's limit, and "passed" (1); the faults make runs weak, fail with an
// inspection error code, or never begin or end.
void AidInspection(PrinterContext& printer, const Bytes& p) {
  constexpr std::int64_t kNeverMs = 24LL * 3600 * 1000;
  PrinterState& state = printer.State();
  const Faults& f = state.faults;
  state.aidRun = p[0] == 1 ? 1 : state.aidRun + 1;
  if (f.aidNeverStarts) {
    printer.Idle();
    printer.Note("AID inspection run did not start");
    return;
  }
  const bool weak = state.aidRun <= f.aidWeakRuns;
  const bool summed = state.aidRun == f.aidSumRun && f.aidSum >= 0;
  for (int i = 0; i < 10; ++i) {
    // A given sum is spread over the ten results, the remainder on the first ones.
    const int given = f.aidSum / 10 + (i < f.aidSum % 10 ? 1 : 0);
    PutWord(state, driver::nvram::kAidResults + 2 * i,
            static_cast<std::uint16_t>(summed ? given
                                       : weak ? 100 + i
                                              : 372 + (i * 7) % 11));
  }
  const bool fails = state.aidRun == f.aidFailRun;
  state.nvram[driver::nvram::kAidResultCode] =
      static_cast<std::uint8_t>(fails ? (f.aidFailCode >= 0 ? f.aidFailCode : 0x10) : 1);
  state.nvram[driver::nvram::kAidStoredResult] = static_cast<std::uint8_t>(0x40 + state.aidRun);
  printer.BusyFor(f.aidNeverEnds ? kNeverMs : kMoveMs * 10);
  printer.Note("AID inspection run " + std::to_string(state.aidRun));
}

// A cleaning: 48 and 54 clean through the slots, each using one cleaning of every slot it
// takes (all eleven, or slots 3 and 10); any other argument is a head cleaning.
void Cleaning(PrinterContext& printer, const Bytes& p) {
  constexpr int kSlotCounters = 40160;
  PrinterState& state = printer.State();
  if (p[0] == 48 || p[0] == 54) {
    for (int slot = 0; slot < 11; ++slot) {
      std::uint8_t& left = state.nvram[static_cast<std::size_t>(kSlotCounters + slot)];
      if ((p[0] == 48 || slot == 2 || slot == 9) && left != 0 && left != 255) --left;
    }
    printer.BusyFor(3 * kCleaningMs);
    printer.Note("slot cleaning");
    return;
  }
  printer.BusyFor(kCleaningMs);
  printer.Note("head cleaning " + std::to_string(p[0]));
}

// Sensor readings: 16 the paper sensor (a reading and a sheet count), 48 the IMS marks (the
// fourth and fifth are the ones the IMS check judges).
void SensorReadings(PrinterContext& printer, const Bytes& p) {
  PrinterState& state = printer.State();
  if (p[0] == 16) {
    const int reading = state.faults.imsPaperReading;
    state.nvram[8439] = static_cast<std::uint8_t>(reading >= 0 && reading <= 255 ? reading : 212);
    state.nvram[8440] = 3;
  } else if (p[0] == 48) {
    const std::uint8_t good[8] = {5, 6, 7, 0, 4, 9, 8, 6};
    const std::uint8_t bad[8] = {5, 6, 7, 2, 7, 9, 8, 6};
    std::copy_n(state.faults.imsMarksFail ? bad : good, 8, state.nvram.begin() + 34576);
  }
}

}  // namespace

void AddMechanicsCommands(CommandTable& table) {
  table.Add(factory::k7D_13EC89, 6, MeasuredMove);
  table.Add(factory::k7D_649B32, 1, AidInspection);
  table.Add(factory::k7C_A35CD1, 3, SensorReadings);
  table.Add(factory::k7D_40BF20, 1, Cleaning);
  table.Add(factory::k7D_45BAA2, 0, [](PrinterContext& printer, const Bytes&) {
    printer.BusyFor(kLongMaintenanceMs);
    printer.Note("long maintenance started");
  });
  for (const driver::FactoryCode command :
       {factory::k7C_CD32E6, factory::k7C_9966CC, factory::k7C_9768CB, factory::k7C_50AF28,
        factory::k7C_43BCA1, factory::k7C_2FD097, factory::k7C_0AF505, factory::k7C_A15ED0,
        factory::k7C_03FC81, factory::k7C_08F704, factory::k7D_10EF08, factory::k7D_807F40,
        factory::k7D_01FE80, factory::k7D_F00F78, factory::k7D_4AB525, factory::k7D_41BEA0,
        factory::k7D_827D41, factory::k7D_26D913, factory::k7D_48B724, factory::k7D_4FB0A7,
        factory::k7D_02FD01, factory::k7D_03FC81, factory::k7D_14EB0A, factory::k7D_847B42,
        factory::k7D_42BD21, factory::k7D_857AC2, factory::k7D_47B8A3, factory::k7D_06F903})
    table.Add(command, 0, Accepted(command));
}

}  // namespace vprinter
