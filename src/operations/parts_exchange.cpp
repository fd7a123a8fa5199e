// Parts exchange history and counters.
//
// Page values read on selection (four-byte counters; kNotRead when a read fails):
//   20010  counter at 8376
//   20020  counter at 7816
//   20040  counters at 202 and 206, each on its own
//   20050  counter at 1888
//   20080  remaining ink-path volume
// Operations (the addresses of each part come from the parts file, "PartChageHist.ini", in the
// service folder):
//   120030 ... 120280  RecordPartExchange: 100000 + the part's item number (kParts)
//   120210, 120220, 120230  RecordIlsPartExchange (kIlsParts)

#include <cstdio>

#include "encoder/factory_commands.h"
#include "nvram_files/image_files.h"
#include "operations/service_operations.h"
#include "operations/shared_steps.h"

namespace operations {
namespace {

constexpr const char* kPartsFile = "PartChageHist.ini";
constexpr int kMsgAskExchange = 10000005;
constexpr int kMsgTransferFailed = 92000001;
constexpr int kMaxCounterLength = 32;
constexpr int kDateRecordLength = 4;
constexpr int kMaxIlsEntries = 8;
constexpr std::chrono::milliseconds kCounterSettle{1000};

struct PartSection {
  int item;
  const char* section;
};

// clang-format off
constexpr PartSection kParts[] = {
    {20030, "INKSELECTMOTOR"},   {20100, "TUBE"},     {20110, "WIPER"},
    {20120, "INKSYSTEMUNIT"},    {20130, "INKPRESSUREMOTOR"},
    {20150, "INKHOLDER"},        {20170, "PFMOTOR"},  {20180, "CRMOTOR"},
    {20190, "HEAD"},             {20200, "AID"},      {20250, "APGMOTOR"},
    {20260, "CUTTERMOTOR"},      {20270, "MAINBOARD"}, {20280, "POWERSUPPLY"}};
// clang-format on
// The fan motor's section is spelt as the parts files have always spelt it.
constexpr PartSection kIlsParts[] = {
    {20210, "ILS_CRMOTOR"}, {20220, "ILS_PAPERHOLDER"}, {20230, "ISL_FANMOTOR"}};

// An "0x%x,%d" value of the parts file: an address and a length (or a byte value); address 0 when
// the key is missing or cannot be read.
struct PartsEntry {
  int address = 0;
  int length = 0;
};

PartsEntry ReadEntry(const OperationRun& run, const char* section, const std::string& key) {
  const std::string value = run.env.catalogue.ReadMenuKey(kPartsFile, section, key);
  unsigned address = 0;
  int length = 0;
  if (std::sscanf(value.c_str(), "0x%x,%d", &address, &length) != 2) return {};
  return {static_cast<int>(address), length};
}

// The four entries of a part. A length the records cannot hold is refused before anything is
// written, and a section that names nothing at all is a missing entry, not an exchange.
struct PartRecord {
  PartsEntry counter, previous, count, date;

  static std::optional<PartRecord> Read(OperationRun& run, const char* section) {
    PartRecord r{ReadEntry(run, section, "ResetCounter"),
                 ReadEntry(run, section, "ExchangePrevCount"),
                 ReadEntry(run, section, "ExchangeCount"), ReadEntry(run, section, "ExchangeDate")};
    if (r.counter.address == 0 && r.count.address == 0 && r.date.address == 0) {
      run.env.catalogue.ShowMessageById(kMsgFileProblem, ui::kOk);
      return std::nullopt;
    }
    const auto fits = [](const PartsEntry& e, int most) {
      return e.address == 0 || (e.length >= 1 && e.length <= most);
    };
    if (!fits(r.counter, kMaxCounterLength) || !fits(r.previous, kMaxCounterLength) ||
        !fits(r.date, kDateRecordLength)) {
      run.env.catalogue.ShowMessageById(kMsgTransferFailed, ui::kOk);
      return std::nullopt;
    }
    return r;
  }
};

const char* FindSection(std::span<const PartSection> parts, int item) {
  for (const PartSection& part : parts)
    if (part.item == item) return part.section;
  return nullptr;
}

bool TransferFailed(OperationRun& run) {
  run.env.catalogue.ShowMessageById(kMsgTransferFailed, ui::kOk);
  return false;
}

// Keeps the counter's value first (written and read back), then zeroes the counter and checks
// it: a failed write never loses the only copy.
bool ResetCounter(OperationRun& run, const PartRecord& part) {
  printer::CPrinterLink& link = run.link;
  std::uint8_t kept[kMaxCounterLength] = {};
  const PartsEntry& counter = part.counter;
  if (part.previous.address != 0) {
    std::uint8_t back[kMaxCounterLength] = {};
    const int length = part.previous.length;
    if (!link.ReadCtrlNvramMulti(counter.address, counter.length, kept) ||
        !link.WriteCtrlNvramMulti(part.previous.address, length, kept) ||
        !link.ReadCtrlNvramMulti(part.previous.address, length, back))
      return TransferFailed(run);
    if (!std::equal(kept, kept + length, back)) return ReadBackDiffers(run);
  }
  const std::uint8_t zeros[kMaxCounterLength] = {};
  run.env.clock.Sleep(kCounterSettle);
  if (!link.WriteCtrlNvramMulti(counter.address, counter.length, zeros)) return TransferFailed(run);
  run.env.clock.Sleep(kCounterSettle);
  std::uint8_t now[kMaxCounterLength] = {};
  if (!link.ReadCtrlNvramMulti(counter.address, counter.length, now)) return TransferFailed(run);
  if (!std::equal(zeros, zeros + counter.length, now)) return ReadBackDiffers(run);
  return true;
}

// The exchange count (0xFF, never set, becomes 1) and the date record.
bool StampExchange(OperationRun& run, const PartRecord& part) {
  printer::CPrinterLink& link = run.link;
  if (part.count.address != 0) {
    std::uint8_t count = 0;
    if (!link.ReadCtrlNvram(part.count.address, count) ||
        !link.WriteCtrlNvram(part.count.address,
                             static_cast<std::uint8_t>(count == 0xFF ? 1 : count + 1)))
      return TransferFailed(run);
  }
  if (part.date.address == 0) return true;
  const auto record = nvram_files::ExchangeDateRecord(run.env.clock.UnixSeconds());
  return link.WriteCtrlNvramMulti(part.date.address, part.date.length, record.data()) ||
         TransferFailed(run);
}

bool RecordPartExchange(OperationRun& run) {
  const char* section = FindSection(kParts, run.request.itemNumber);
  if (section == nullptr) return false;
  const auto part = PartRecord::Read(run, section);
  if (!part) return false;
  if (run.env.catalogue.ShowMessageById(kMsgAskExchange, ui::kOkCancel) == ui::kAnswerCancel)
    return false;
  if (part->counter.address != 0 && !ResetCounter(run, *part)) return false;
  if (!StampExchange(run, *part)) return false;
  run.env.catalogue.ShowMessageById(kMsgDone, ui::kOk);
  run.request.done = 1;
  return true;
}

// The option unit's parts are set by writing the listed byte values into its NVRAM.
bool RecordIlsPartExchange(OperationRun& run) {
  const char* section = FindSection(kIlsParts, run.request.itemNumber);
  if (section == nullptr) return false;
  const menu::MenuFiles& files = run.env.catalogue;
  const std::string countText = files.ReadMenuKey(kPartsFile, section, "Count");
  int count = 0;
  if (std::sscanf(countText.c_str(), "%d", &count) != 1) {
    files.ShowMessageById(kMsgFileProblem, ui::kOk);
    return false;
  }
  std::vector<PartsEntry> entries;
  for (int k = 1; k <= count && count <= kMaxIlsEntries; ++k)
    entries.push_back(ReadEntry(run, section, "Address" + std::to_string(k)));
  const auto missing = [](const PartsEntry& e) { return e.address == 0; };
  if (count < 0 || count > kMaxIlsEntries || std::any_of(entries.begin(), entries.end(), missing))
    return TransferFailed(run);
  if (files.ShowMessageById(kMsgAskExchange, ui::kOkCancel) == ui::kAnswerCancel) return false;
  bool queued = true;
  for (const PartsEntry& entry : entries)
    queued =
        queued && encoder::Factory7B_02FD01(run.link, entry.address & 0xFFFF, entry.length & 0xFF);
  if (!queued || !encoder::Factory7B_03FC81(run.link) || !run.link.FlushJob())
    return TransferFailed(run);
  files.ShowMessageById(kMsgDone, ui::kOk);
  run.request.done = 1;
  return true;
}

struct CounterItem {
  int item;
  int addresses[2];  // 0: no second counter
};

constexpr CounterItem kCounters[] = {
    {20010, {8376, 0}}, {20020, {7816, 0}}, {20040, {202, 206}}, {20050, {1888, 0}}};

void ReadCounters(OperationRun& run, const CounterItem& counter) {
  for (std::size_t k = 0; k < 2 && counter.addresses[k] != 0; ++k)
    run.request.shownValues[k] = ReadCtrlLongOrNotRead(run.link, counter.addresses[k]);
}

// Remaining ink-path volume: the total fill (A at 390) less what the cleanings (C at 317) and the
// flushing (B at 422) used; the page's total adds D (1547) and E (1539) and takes F (1316) off
// when the byte at 1299 is set. The sums wrap at 32 bits, as the printer's own counters do.
void ReadInkVolumes(OperationRun& run) {
  std::int32_t a = 0, b = 0, c = 0, d = 0, e = 0, f = 0;
  ReadCtrlLong(run.link, 390, a);
  ReadCtrlLong(run.link, 422, b);
  ReadCtrlLong(run.link, 317, c);
  ReadCtrlLong(run.link, 1547, d);
  ReadCtrlLong(run.link, 1539, e);
  std::uint8_t refilled = 0;
  const bool subtractF =
      run.link.ReadCtrlNvram(1299, refilled) && refilled != 0 && ReadCtrlLong(run.link, 1316, f);
  auto u = [](std::int32_t v) { return static_cast<std::uint32_t>(v); };
  const std::uint32_t inPath = u(a) - u(c) - u(b);
  run.request.shownValues[1] = static_cast<std::int32_t>(inPath);
  run.request.shownValues[0] =
      static_cast<std::int32_t>(u(d) + u(e) + inPath - (subtractF ? u(f) : 0u));
}

}  // namespace

void AddPartsExchangeOperations(OperationTable& table) {
  for (const CounterItem& counter : kCounters)
    table.AddItemValues(counter.item,
                        [&counter](OperationRun& run) { ReadCounters(run, counter); });
  table.AddItemValues(20080, ReadInkVolumes);
  for (const PartSection& part : kParts)
    table.Add(kInputBase + part.item, "RecordPartExchange", RecordPartExchange);
  for (const PartSection& part : kIlsParts)
    table.Add(kInputBase + part.item, "RecordIlsPartExchange", RecordIlsPartExchange);
}

}  // namespace operations
