// libFuzzer target: what a printer process reads from its socket (a request) and what the
// library reads back (an answer); a request that parses must ask for no more than it brought
// room for, and must travel back unchanged.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "driver/device_wire.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const driver::wire::Message message(data, data + size);
  std::vector<std::uint8_t> in, out;
  if (const auto call = driver::wire::DecodeRequest(message, &in, &out)) {
    if (driver::wire::OutLength(*call) != out.size() && call->out != nullptr) std::abort();
    if (driver::wire::EncodeRequest(*call) != message) std::abort();
  }
  std::uint8_t room[512];
  driver::DeviceCall read;
  read.op = driver::DeviceOp::CtlRead;
  read.count = size % sizeof room;
  read.out = room;
  driver::wire::DecodeAnswer(message, read);
  return 0;
}
