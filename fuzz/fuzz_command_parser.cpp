// libFuzzer target: any byte stream, in pieces of any size, through the command parser and the
// page renderer. Build with clang: cmake -B build/fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++
// -DFUZZ=ON

#include <cstddef>
#include <cstdint>

#include "vprinter/command_parser.h"
#include "vprinter/page_renderer.h"

namespace {

class Sink final : public vprinter::CommandSink {
public:
  void OnReset() override { pages_.Reset(); }
  void OnSetting(char letter, const vprinter::Bytes& params) override {
    pages_.Setting(letter, params);
  }
  void OnRaster(const vprinter::RasterBlock& block) override { pages_.Raster(block); }
  void OnControl(std::uint8_t byte) override {
    if (byte == 0x0C) vprinter::CountDots(pages_.EndPage());
  }

private:
  vprinter::PageRenderer pages_{[](const std::string&) {}};
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Sink sink;
  vprinter::CommandParser parser(sink);
  // The first byte chooses the piece size, so the fuzzer also finds pieces that split commands.
  const std::size_t piece = size > 0 ? 1 + data[0] % 64 : 1;
  for (std::size_t at = size > 0 ? 1 : 0; at < size; at += piece) {
    parser.Feed(data + at, piece < size - at ? piece : size - at);
  }
  return 0;
}
