// grelt02-cli printer commands: the configured printer through the printer link, as the service
// operations reach it.

#include <fstream>
#include <iterator>
#include <stdexcept>

#include "commands.h"
#include "printer/network_sender.h"
#include "printer/printer_link.h"
#include "printer_session.h"
#include "ui/scripted_ui_services.h"

namespace cli {
namespace {

struct PrinterOptions {
  int port = -1;
  std::string address;
  int length = 16;
  std::string hex;
  bool prd = false;
  std::string file;
  int chunk = 1024;
  std::string host;
  int lpdPort = printer::kLpdPort;
  bool spooler = false;
};

int ParseAddress(const std::string& text) {
  std::size_t used = 0;
  int value = -1;
  try {
    value = std::stoi(text, &used, 0);
  } catch (const std::exception&) {
    used = 0;
  }
  if (used != text.size() || value < 0 || value > 0xFFFF)
    throw std::runtime_error("not an NVRAM address: " + text);
  return value;
}

std::vector<std::uint8_t> ParseBytes(const std::string& text) {
  std::string digits;
  for (const char c : text) {
    if (c != ' ' && c != ':') digits += c;
  }
  if (digits.empty() || digits.size() % 2 != 0)
    throw std::runtime_error("hex bytes come in pairs of digits: " + text);
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; i < digits.size(); i += 2) {
    char* end = nullptr;
    const std::string pair = digits.substr(i, 2);
    const long value = std::strtol(pair.c_str(), &end, 16);
    if (end != pair.c_str() + 2) throw std::runtime_error("not hex: " + pair);
    bytes.push_back(static_cast<std::uint8_t>(value));
  }
  return bytes;
}

Json BytesToJson(int address, const std::vector<std::uint8_t>& bytes) {
  std::string hex;
  std::string text;
  for (const std::uint8_t b : bytes) {
    char pair[4];
    std::snprintf(pair, sizeof pair, "%s%02X", hex.empty() ? "" : " ", b);
    hex += pair;
    text += b >= 0x20 && b < 0x7F ? static_cast<char>(b) : '.';
  }
  return {{"address", address}, {"bytes", hex}, {"text", text}};
}

}  // namespace

void AddPrinterCommands(CLI::App& app, CommandContext& context) {
  auto options = std::make_shared<PrinterOptions>();
  auto portOption = [options](CLI::App* command) { AddPortOption(*command, options->port); };

  CLI::App* ports = app.add_subcommand("ports", "The discovered USB printers and the port map");
  ports->callback([&context] {
    context.run = [] {
      Session session(0);
      Json discovered = Json::array();
      for (const std::string& link : printer::DiscoverUsbPrinters(session.Registry()))
        discovered.push_back(link);
      session.Ports().RefreshPortMap();
      Json slots = Json::array();
      for (int slot = 1; slot <= printer::kPortMapSlots; ++slot) {
        slots.push_back({{"port", 10 + slot}, {"link", session.Ports().Slot(slot)}});
      }
      Print({{"discovered", discovered}, {"map", slots}, {"file", session.Ports().FilePath()}});
    };
  });

  CLI::App* status = app.add_subcommand("status", "The configured printer's status");
  portOption(status);
  status->callback([&context, options] {
    context.run = [options] {
      Session session(options->port);
      session.Open();
      driver::STATUSINF s;
      if (!session.Link().GetStatus(s)) session.Fail("cannot read the status");
      Json json = session.Identity();
      json["type"] = s.type;
      json["errorCode"] = s.errorCode;
      if (s.type >= 0 && s.type < 20)
        json["text"] = session.Settings().strStatus[static_cast<std::size_t>(s.type)];
      Print(json);
    };
  });

  CLI::App* nvram = app.add_subcommand("nvram", "Read or write the configured printer's NVRAM");
  nvram->require_subcommand(1);
  CLI::App* read = nvram->add_subcommand("read", "Bytes from an address (decimal or 0x hex)");
  read->add_option("ADDR", options->address, "Address, decimal or 0x hexadecimal")->required();
  read->add_option("LEN", options->length, "How many bytes, 1 to 65536")
      ->required()
      ->check(CLI::Range(1, 65536));
  read->add_flag("--prd", options->prd, "Through the production area (Prd) instead of Ctrl");
  portOption(read);
  read->callback([&context, options] {
    context.run = [options] {
      const int address = ParseAddress(options->address);
      if (address + options->length > 0x10000)
        throw std::runtime_error("the range runs past the NVRAM end");
      Session session(options->port);
      session.Open();
      std::vector<std::uint8_t> bytes(static_cast<std::size_t>(options->length));
      const bool ok =
          options->prd ? session.Link().ReadPrdNvramMulti(address, options->length, bytes.data())
                       : session.Link().ReadCtrlNvramMulti(address, options->length, bytes.data());
      if (!ok) session.Fail("cannot read the NVRAM");
      Json json = BytesToJson(address, bytes);
      json["area"] = options->prd ? "prd" : "ctrl";
      Print(json);
    };
  });
  CLI::App* write =
      nvram->add_subcommand("write", "Bytes to an address, as hex; read back to check");
  write->add_option("ADDR", options->address, "Address, decimal or 0x hexadecimal")->required();
  write->add_option("HEX", options->hex, "The bytes as hexadecimal pairs, such as 'DE AD'")
      ->required();
  write->add_flag("--prd", options->prd, "Through the production area (Prd) instead of Ctrl");
  portOption(write);
  write->callback([&context, options] {
    context.run = [options] {
      const int address = ParseAddress(options->address);
      const std::vector<std::uint8_t> bytes = ParseBytes(options->hex);
      if (address + bytes.size() > 0x10000)
        throw std::runtime_error("the range runs past the NVRAM end");
      Session session(options->port);
      session.Open();
      printer::CPrinterLink& link = session.Link();
      const int count = static_cast<int>(bytes.size());
      bool ok = true;
      if (options->prd) {
        // Production writes are commands, at most 239 bytes each, sent as one job.
        for (int at = 0; ok && at < count; at += printer::CPrinterLink::kMaxPrdWrite) {
          ok = link.WritePrdNvramMulti(address + at,
                                       std::min(printer::CPrinterLink::kMaxPrdWrite, count - at),
                                       bytes.data() + at);
        }
        ok = ok && link.FlushJob();
      } else {
        ok = link.WriteCtrlNvramMulti(address, count, bytes.data());
      }
      if (!ok) session.Fail("cannot write the NVRAM");
      std::vector<std::uint8_t> back(bytes.size());
      const bool read = options->prd ? link.ReadPrdNvramMulti(address, count, back.data())
                                     : link.ReadCtrlNvramMulti(address, count, back.data());
      if (!read) session.Fail("cannot read the NVRAM back");
      if (back != bytes)
        throw std::runtime_error("the NVRAM did not read back as written (error -992)");
      Json json = BytesToJson(address, back);
      json["written"] = bytes.size();
      json["area"] = options->prd ? "prd" : "ctrl";
      Print(json);
    };
  });

  CLI::App* sendFile = app.add_subcommand("send-file", "Send a print or firmware file unchanged");
  sendFile->add_option("FILE", options->file, "The print (.PRN) or firmware (.UPG) file")
      ->required();
  sendFile->add_option("--chunk", options->chunk, "Bytes per send (default 1024)")
      ->check(CLI::Range(1, 1 << 24));
  portOption(sendFile);
  sendFile->callback([&context, options] {
    context.run = [options] {
      Session session(options->port);
      session.Open();
      if (!session.Link().SendFile(options->file, options->chunk))
        session.Fail("the file was not sent completely");
      Json json = session.Identity();
      json["file"] = options->file;
      json["sent"] = true;
      Print(json);
    };
  });

  CLI::App* lpd = app.add_subcommand("lpd-send", "Send a file to a printer's line printer daemon");
  lpd->add_option("HOST", options->host, "The printer's network name or address")->required();
  lpd->add_option("FILE", options->file, "The job to send, unchanged")->required();
  lpd->add_option("--port", options->lpdPort, "TCP port (default 515)")
      ->check(CLI::Range(1, 65535));
  lpd->add_flag("--spooler", options->spooler,
                "Frame the job for a spooler (exact length, closing zero byte, RFC 1179)");
  lpd->callback([&context, options] {
    context.run = [options] {
      std::ifstream in(options->file, std::ios::binary);
      if (!in) throw std::runtime_error("cannot open " + options->file);
      const std::vector<std::uint8_t> data((std::istreambuf_iterator<char>(in)),
                                           std::istreambuf_iterator<char>());
      ui::ScriptedUiServices ui;
      const bool sent = printer::SendNetworkJob(
          options->host, data.data(), data.size(), ui, options->lpdPort, printer::kLpdTimeoutMs,
          options->spooler ? printer::LpdFraming::Spooler : printer::LpdFraming::PrinterDaemon);
      PrintShownTexts(ui);
      if (!sent) throw std::runtime_error("the job was not sent to " + options->host);
      Print({{"host", options->host},
             {"port", options->lpdPort},
             {"bytes", data.size()},
             {"spooler", options->spooler},
             {"sent", true}});
    };
  });
}

}  // namespace cli
