// Parts exchange history and counters.
//
// Page values read on selection (four-byte counters; kNotRead when a read fails):
//   20010  counter at 8376
//   20020  counter at 7816
//   20040  counters at 202 and 206, each on its own
//   20050  counter at 1888
//   20080  remaining ink-path volume
// Operations: none yet.

#include "operations/service_operations.h"
#include "operations/shared_steps.h"

namespace operations {
namespace {

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
}

}  // namespace operations
