// Maintenance: the mechanisms, cleanings and single commands of a service visit.
//
// Operations:
//   210010  RunCarriageRunIn       210100  CleanHeads             210131  RunSlotCleaning
//   210150  SendDayTimerCommand    210290  SetSwitchCommand (6, 0) 210310  SetSwitchCommand (6, 1)
//   210300  RunLongMaintenance     210380  PulseCommand
//   210400  RunSingleCommand (A1 5E D0)   220240  RunSingleCommand (0A F5 05, asked first)
//   210260  CopyNvramBlocks (1216 to 2496)   210330  CopyNvramBlocks (1856 to 3136)
//   F11     HotKeySequenceF11      F12     HotKeySequenceF12

#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <optional>
#include <vector>

#include "encoder/factory_commands.h"
#include "encoder/raster_commands.h"
#include "encoder/remote_commands.h"
#include "operations/service_operations.h"
#include "operations/shared_steps.h"
#include "printer/link_errors.h"

namespace operations {
namespace {

constexpr int kMsgAskCleaning = 11010001;
constexpr int kMsgAskSlotCleaning = 11013001;
constexpr int kMsgSlotCounters = 11013002;
constexpr int kMsgAskSwitch = 11029001;
constexpr int kMsgSwitchSent = 11029002;
constexpr int kMsgAskLongMaintenance = 11030001;
constexpr int kMsgLongMaintenanceDone = 11030002;
constexpr int kMsgAskPanelCommand = 12024001;
constexpr int kMsgSlotsUsedUp = 91013001;

// Status polls, one a second, that each kind of work gets to finish.
constexpr int kRunInPolls = 20;
constexpr int kDayTimerPolls = 60;
constexpr int kSlotPreparePolls = 60;
constexpr int kCleaningPolls = 600;
constexpr int kLongWorkPolls = 1500;
constexpr int kSingleCommandPolls = 20;

bool Asked(OperationRun& run, int message) {
  return run.env.catalogue.ShowMessageById(message, ui::kOkCancel) != ui::kAnswerCancel;
}

bool Finished(OperationRun& run) {
  run.request.done = 1;
  return true;
}

// The carriage runs in: start position, three strokes between far and near, end position.
bool RunCarriageRunIn(OperationRun& run) {
  printer::CPrinterLink& link = run.link;
  const printer::ModelTestSettings& t = link.TestSettings();
  bool ready = false;
  {
    const ScopedWaitDialog wait(run.env.ui, ItemText(run.request, 1));
    bool queued =
        encoder::Factory7D_807F40(link, 0) && encoder::Factory7D_01FE80(link, 0, t.CrStartPos);
    for (int stroke = 0; stroke < 3; ++stroke)
      queued = queued && encoder::Factory7D_01FE80(link, 3, t.CrFarPos) &&
               encoder::Factory7D_01FE80(link, 3, t.CrNearPos);
    queued = queued && encoder::Factory7D_01FE80(link, 3, t.CrEndPos);
    if (!queued || !link.FlushJob()) return false;
    ready = AwaitReady(run, kRunInPolls);
  }
  if (!ready) return Show(run, kMsgPrinterFailed, false);
  Show(run, kMsgDone, true);
  return Finished(run);
}

// The cleaning of each chosen ink row pair: one row of arguments per strength (selector), one
// column per row pair. All five chosen is the whole head at that strength.
bool QueueCleaning(printer::CPrinterLink& link, const OperationRequest& request) {
  constexpr int kFirstArgument = 3;
  constexpr int kStrengths = 4;
  const int strength = request.selector;
  if (strength < 0 || strength >= kStrengths) return true;
  const auto& flags = request.colourFlags;
  const bool all = std::all_of(flags.begin(), flags.end(), [](int f) { return f != 0; });
  if (all && strength < 3) return encoder::Factory7D_40BF20(link, strength);
  bool queued = true;
  for (int k = 0; k < 5; ++k) {
    if (all || flags[static_cast<std::size_t>(k)] != 0)
      queued = queued && encoder::Factory7D_40BF20(link, kFirstArgument + 5 * strength + k);
  }
  return queued;
}

bool CleanHeads(OperationRun& run) {
  if (!Asked(run, kMsgAskCleaning)) return false;
  std::optional<ScopedWaitDialog> wait(std::in_place, run.env.ui, ItemText(run.request, 2));
  if (!QueueCleaning(run.link, run.request) || !run.link.FlushJob()) return false;
  const bool ready = AwaitReady(run, kCleaningPolls);
  wait.reset();
  return ready ? Finished(run) : Show(run, kMsgPrinterFailed, false);
}

constexpr int kSlotCounters = 40160;  // production area: eleven slot counters
constexpr int kSlotCount = 11;
constexpr int kSlotUnused = 255;

// The counters as the technician sees them before the cleaning: one line per slot in use.
std::string SlotCounterText(OperationRun& run, const std::uint8_t (&slots)[kSlotCount]) {
  std::string text;
  run.env.catalogue.LookupMessage(kMsgSlotCounters, text);
  char line[48];
  for (int i = 0; i < kSlotCount; ++i) {
    if (slots[i] == kSlotUnused) continue;
    std::snprintf(line, sizeof line, " Slot %d : for %d Times\r\n", i + 1, slots[i]);
    text += line;
  }
  return text;
}

// Variant 1 cleans with slots 2 and 9 only; variant 0 needs every slot.
bool SlotsReady(int variant, const std::uint8_t (&slots)[kSlotCount]) {
  if (variant == 1) return slots[2] != 0 && slots[9] != 0;
  return std::none_of(std::begin(slots), std::end(slots), [](std::uint8_t s) { return s == 0; });
}

bool CleanSlots(OperationRun& run, int variant) {
  printer::CPrinterLink& link = run.link;
  if (!encoder::Factory7D_4FB0A7(link, 0) || !link.FlushJob()) return false;
  if (!AwaitReady(run, kSlotPreparePolls)) return Show(run, kMsgPrinterFailed, false);
  std::uint8_t slots[kSlotCount] = {};
  if (!encoder::Factory7D_4FB0A7(link, 0) || !link.FlushJob() ||
      !link.ReadPrdNvramMulti(kSlotCounters, kSlotCount, slots))
    return false;
  run.env.ui.MessageBox(SlotCounterText(run, slots), ui::kApplicationTitle,
                        ui::kOk | ui::kIconInformation);
  if (!SlotsReady(variant, slots)) return Show(run, kMsgSlotsUsedUp, false);
  if (!Asked(run, kMsgAskSlotCleaning)) return false;
  std::optional<ScopedWaitDialog> wait(std::in_place, run.env.ui, ItemText(run.request, 3));
  if (!encoder::Factory7D_40BF20(link, variant == 0 ? 48 : 54) || !link.FlushJob()) {
    wait.reset();
    return Show(run, kMsgNotAccepted, false);
  }
  const bool ready = AwaitReady(run, kLongWorkPolls);
  wait.reset();
  return ready ? Finished(run) : Show(run, kMsgPrinterFailed, false);
}

bool RunSlotCleaning(OperationRun& run) {
  switch (run.request.selector) {
    case 0: return CleanSlots(run, 0);
    case 2: return CleanSlots(run, 1);
    default: return Finished(run);
  }
}

constexpr std::uint32_t kSecondsPerDay = 86400;

bool SendDayTimerCommand(OperationRun& run) {
  bool ok = false;
  {
    const ScopedWaitDialog wait(run.env.ui, ItemText(run.request, 1));
    ok = encoder::Factory7D_02FD01(run.link, 2, 0, kSecondsPerDay, 0, 0) && run.link.FlushJob() &&
         run.link.WaitForStatus(kDayTimerPolls, kStatusReady, -1);
  }
  if (!ok) return Show(run, kMsgPrinterFailed, false);
  Show(run, kMsgDone, true);
  return Finished(run);
}

bool SetSwitchCommand(OperationRun& run, int state) {
  if (!Asked(run, kMsgAskSwitch)) return false;
  if (!encoder::Factory7D_4AB525(run.link, 6, state) || !run.link.FlushJob())
    return Show(run, kMsgNotAccepted, false);
  Show(run, kMsgSwitchSent, true);
  return Finished(run);
}

bool RunLongMaintenance(OperationRun& run) {
  if (!Asked(run, kMsgAskLongMaintenance)) return false;
  bool ready = false;
  {
    const ScopedWaitDialog wait(run.env.ui, ItemText(run.request, 1));
    if (!encoder::Factory7D_45BAA2(run.link) || !run.link.FlushJob())
      return Show(run, kMsgNotAccepted, false);
    ready = AwaitReady(run, kLongWorkPolls);
  }
  if (!ready) return Show(run, kMsgPrinterFailed, false);
  Show(run, kMsgLongMaintenanceDone, true);
  if (!encoder::Factory7C_03FC81(run.link) || !run.link.FlushJob()) return false;
  return Finished(run);
}

// The pulse goes on, the technician watches it and confirms, and only then does it go off.
bool PulseCommand(OperationRun& run) {
  run.link.ClearJob();
  if (!encoder::Factory7D_10EF08(run.link, 100) || !run.link.FlushJob())
    return Show(run, kMsgNotAccepted, false);
  Show(run, kMsgDone, true);
  if (!encoder::Factory7D_10EF08(run.link, 0) || !run.link.FlushJob()) return false;
  return Finished(run);
}

bool RunSingleCommand(OperationRun& run) {
  bool sent = false;
  {
    const ScopedWaitDialog wait(run.env.ui, ItemText(run.request, 1));
    run.link.ClearJob();
    sent = encoder::Factory7C_A15ED0(run.link) && run.link.FlushJob() &&
           AwaitReady(run, kSingleCommandPolls);
  }
  if (!sent) return Show(run, kMsgPrinterFailed, false);
  Show(run, kMsgDone, true);
  return Finished(run);
}

bool RunPanelCommand(OperationRun& run) {
  run.link.ClearJob();
  if (!Asked(run, kMsgAskPanelCommand)) return false;
  if (!encoder::Factory7C_0AF505(run.link, 1) || !run.link.FlushJob())
    return Show(run, kMsgPrinterFailed, false);
  Show(run, kMsgDone, true);
  return Finished(run);
}

// The printer is told to take a block copy (one remote part per SN setting, each with its
// sensor selector), then twenty ten-byte records are copied, sent at once and read back.
struct BlockCopy {
  int from;
  int to;
  int selector;
  std::vector<encoder::RemotePair> parts;
};
constexpr int kRecordLength = 10;

bool QueueBlockCopyJob(printer::CPrinterLink& link, const BlockCopy& copy) {
  bool ok = encoder::ResetPrinter(link) && encoder::ResetPrinter(link);
  for (const encoder::RemotePair& part : copy.parts)
    ok = ok && encoder::RemoteJobPrologue(link, encoder::RemotePair{137, 99}, {part}) &&
         encoder::Factory7C_A35CD1(link, copy.selector, 0, 0) && encoder::ResetPrinter(link);
  return ok && encoder::EndPage(link) && encoder::RemoteJobEpilogue(link);
}

template <typename Each>
bool EachRecord(const BlockCopy& copy, Each each) {
  for (int j = 0; j < 5; ++j) {
    for (int i = 0; i < 4; ++i) {
      const int offset = 32 * i + 128 * j;
      if (!each(copy.from + offset, copy.to + offset)) return false;
    }
  }
  return true;
}

bool CopyNvramBlocks(OperationRun& run, const BlockCopy& copy) {
  printer::CPrinterLink& link = run.link;
  patterns::PrintHeaderInfo header;
  if (!GatherPrintHeader(run, header)) return false;
  {
    const ScopedWaitDialog wait(run.env.ui, ItemText(run.request, 1));
    if (!QueueBlockCopyJob(link, copy) || !link.FlushJob()) return false;
    std::vector<std::uint8_t> records;
    const bool queued = EachRecord(copy, [&](int from, int to) {
      std::uint8_t record[kRecordLength];
      if (!link.ReadPrdNvramMulti(from, kRecordLength, record)) return false;
      records.insert(records.end(), record, record + kRecordLength);
      return link.WritePrdNvramMulti(to, kRecordLength, record);
    });
    if (!queued || !link.FlushJob()) return false;
    std::size_t at = 0;
    const bool same = EachRecord(copy, [&](int, int to) {
      std::uint8_t back[kRecordLength];
      if (!link.ReadPrdNvramMulti(to, kRecordLength, back)) return false;
      const bool equal =
          std::equal(back, back + kRecordLength, records.begin() + static_cast<long>(at));
      at += kRecordLength;
      return equal || (link.SetLastError(printer::kReadBackDiffers), false);
    });
    if (!same) return false;
  }
  Show(run, kMsgDone, true);
  return Finished(run);
}

// The hot keys move the carriage out for a look at the head (F11) and back (F12).
bool HotKeySequenceF11(OperationRun& run) {
  printer::CPrinterLink& link = run.link;
  const bool sent = encoder::Factory7C_2FD097(link, 0) && encoder::Factory7D_807F40(link, 0) &&
                    encoder::Factory7D_01FE80(link, 2, 1800) &&
                    encoder::Factory7D_827D41(link, 0) && link.FlushJob();
  return sent || Show(run, kMsgNotAccepted, false);
}

bool HotKeySequenceF12(OperationRun& run) {
  printer::CPrinterLink& link = run.link;
  const bool sent = encoder::Factory7C_2FD097(link, 0) && encoder::Factory7D_807F40(link, 0) &&
                    encoder::Factory7D_827D41(link, 1) && encoder::Factory7D_01FE80(link, 2, 140) &&
                    encoder::Factory7D_807F40(link, 1) && encoder::Factory7C_2FD097(link, 1) &&
                    link.FlushJob();
  return sent || Show(run, kMsgNotAccepted, false);
}

}  // namespace

void AddMaintenanceOperations(OperationTable& table) {
  table.Add(210010, "RunCarriageRunIn", RunCarriageRunIn);
  table.Add(210100, "CleanHeads", CleanHeads);
  table.Add(210131, "RunSlotCleaning", RunSlotCleaning);
  table.Add(210150, "SendDayTimerCommand", SendDayTimerCommand);
  table.Add(210290, "SetSwitchCommand", [](OperationRun& run) { return SetSwitchCommand(run, 0); });
  table.Add(210310, "SetSwitchCommand", [](OperationRun& run) { return SetSwitchCommand(run, 1); });
  table.Add(210300, "RunLongMaintenance", RunLongMaintenance);
  table.Add(210380, "PulseCommand", PulseCommand);
  table.Add(210400, "RunSingleCommand", RunSingleCommand);
  table.Add(220240, "RunSingleCommand", RunPanelCommand);
  table.Add(210260, "CopyNvramBlocks", [](OperationRun& run) {
    return CopyNvramBlocks(run, {1216, 2496, 0x40, {{1, 4}}});
  });
  table.Add(210330, "CopyNvramBlocks", [](OperationRun& run) {
    return CopyNvramBlocks(run, {1856, 3136, 0x51, {{1, 4}, {1, 2}}});
  });
  table.Add(kF11, "HotKeySequenceF11", HotKeySequenceF11);
  table.Add(kF12, "HotKeySequenceF12", HotKeySequenceF12);
}

}  // namespace operations
