#include "operations/prefetch.h"

#include <cstdint>

namespace operations {
namespace {

// An item number that never reaches the printer when selected.
constexpr int kNoPrinterItem = 30010;

int SignedByte(std::uint8_t byte) { return static_cast<std::int8_t>(byte); }

class ValueReader {
public:
  explicit ValueReader(printer::CPrinterLink& link) : link_(link) {}

  bool Byte(int address, std::uint8_t& value) { return link_.ReadCtrlNvram(address, value); }

  // Four bytes at the address, least significant first.
  bool Long(int address, int& value) {
    std::uint8_t bytes[4] = {};
    if (!link_.ReadCtrlNvramMulti(address, 4, bytes)) return false;
    value = static_cast<int>(
        static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
        static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24);
    return true;
  }

  int LongOrNotRead(int address) {
    int value = 0;
    return Long(address, value) ? value : kNotRead;
  }

private:
  printer::CPrinterLink& link_;
};

// Remaining ink-path volume: the total fill less what the cleanings and the flushing used.
void ReadInkVolumes(ValueReader& read, OperationRequest& request) {
  int a = 0, b = 0, c = 0, d = 0, e = 0, f = 0;
  std::uint8_t flushed = 0;
  read.Long(390, a);
  read.Long(422, b);
  read.Long(317, c);
  read.Long(1547, d);
  read.Long(1539, e);
  const bool flushedRead = read.Byte(1299, flushed);
  const bool subtractF = flushedRead && flushed != 0 && read.Long(1316, f);
  const int inPath = a - c - b;
  request.shownValues[1] = inPath;
  request.shownValues[0] = d + e + inPath - (subtractF ? f : 0);
}

void ReadItemValues(printer::CPrinterLink& link, OperationRequest& request) {
  ValueReader read(link);
  auto& shown = request.shownValues;
  std::uint8_t byte = 0;
  switch (request.itemNumber) {
    case 10070: {
      static constexpr int kAddresses[6] = {313, 314, 315, 329, 330, 331};
      for (int k = 0; k < 6; ++k) {
        if (read.Byte(kAddresses[k], byte)) shown[static_cast<std::size_t>(k)] = SignedByte(byte);
      }
      break;
    }
    case 10080: link.ReadHeadId(request.printerInfo.HeadId, 1); break;
    case 10180:
      if (read.Byte(373, byte)) shown[0] = SignedByte(byte) / 6;
      break;
    case 10220:
      for (int k = 0; k < 6; ++k) {
        if (read.Byte(114 + k, byte)) shown[static_cast<std::size_t>(k)] = byte;
      }
      break;
    case 10230: link.ReadPrdString(66, 10, request.printerInfo.SerialNo); break;
    case 10240:
    case 10241:
    case 20060: shown[0] = read.Byte(11632, byte) ? byte + 1 : 0; break;
    case 20010: shown[0] = read.LongOrNotRead(8376); break;
    case 20020: shown[0] = read.LongOrNotRead(7816); break;
    case 20040:
      shown[0] = read.LongOrNotRead(202);
      shown[1] = read.LongOrNotRead(206);
      break;
    case 20050: shown[0] = read.LongOrNotRead(1888); break;
    case 20080: ReadInkVolumes(read, request); break;
    default: break;
  }
}

}  // namespace

bool PrefetchItemValues(OperationRequest& request, const RunEnvironment& environment) {
  request.printerInfo.HeadId.clear();
  request.printerInfo.SerialNo.clear();
  request.shownValues.fill(0);
  request.enteredValues.fill(0);
  if (request.itemNumber == kClockItem) request.clockReference = environment.clock.UnixSeconds();
  if (request.itemNumber < 1 || request.noPrefetch != 0 || request.itemNumber == kNoPrinterItem)
    return true;
  const std::unique_ptr<printer::CPrinterLink> link = MakeRunLink(environment);
  if (!OpenCheckedSession(*link, request, environment, 2)) return false;
  ReadItemValues(*link, request);
  link->Close();
  return true;
}

}  // namespace operations
