#pragma once
// The printer's line printer daemon (RFC 1179), as a network printer has one: it receives jobs
// (control and data files, each acknowledged), answers queue-state requests, and hands each data
// file it received to the printer. A data file announced longer than any job could be is taken
// as the printers' own framing and read until the sender closes.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "vprinter/stream_server.h"

namespace vprinter {

class LpdServer final : public StreamServer {
public:
  using PrintJob = std::function<void(const std::vector<std::uint8_t>& data)>;
  // The longest data file taken with its announced length; a longer announcement is the
  // printers' framing, read until the sender closes, up to kMaxJob. A control file is a few lines.
  static constexpr std::size_t kMaxAnnounced = 64u << 20;
  static constexpr std::size_t kMaxJob = 256u << 20;
  static constexpr std::size_t kMaxControlFile = 64u << 10;

  explicit LpdServer(PrintJob print) : print_(std::move(print)) {}
  ~LpdServer() override { Finish(); }

protected:
  void Converse(int connection) override;

private:
  bool ReceiveJob(int connection);

  PrintJob print_;
};

}  // namespace vprinter
