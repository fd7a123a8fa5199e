// grelt02-cli vprinter: plug virtual printers in and out, look inside them, give them faults.

#include <cstdio>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <stdexcept>

#include "commands.h"
#include "driver/cwin_grelt_drv.h"
#include "driver/nvram_map.h"
#include "platform/paths.h"
#include "platform/registry.h"
#include "printer/port_map.h"
#include "vprinter/attachment.h"
#include "vprinter/faults.h"
#include "vprinter/firmware_file.h"
#include "vprinter/virtual_printer.h"
#include "vprinter_process.h"

namespace cli {
namespace {

struct VprinterOptions {
  std::string name;
  std::string model = "MW";
  int port = 0;
  std::string address;
  int length = 16;
  std::string hex;
  bool unit = false;
  std::vector<std::string> faults;
  int lines = 50;
  std::string version;
  std::string output;
  int payload = 65536;
  bool newBoard = false;
  bool process = false;
  int tcpPort = -1;
  int lpdPort = -1;
  bool damaged = false;
  std::optional<int> temperature;
  std::string lamp;
  std::vector<std::pair<int, std::string>> tiles;
};

// A change the printer could not save in its folder (read-only, full) did not happen.
std::runtime_error NotSaved(const vprinter::VirtualPrinterInfo& printer) {
  return std::runtime_error("the state of printer " + printer.name + " cannot be saved in " +
                            printer.folder + "; nothing was changed");
}

// Everything a vprinter command works with, for the program folder in use.
struct Bench {
  std::string programFolder = platform::GetProgramFolder();
  platform::Registry registry{platform::Registry::DefaultRoot(programFolder)};
  driver::DeviceDirectory directory{registry};

  Bench() { vprinter::RegisterVirtualPrinters(); }

  // The USB port (11 to 14) the port map gives a printer, after a refresh as a session makes
  // one; 0 when all four slots are taken by other printers.
  int UsbPort(const std::string& link) {
    printer::PortMap map(programFolder, registry, platform::DefaultClock());
    map.LoadAtStartup();
    map.RefreshPortMap();
    for (int slot = 1; slot <= 4; ++slot) {
      if (map.Slot(slot) == link) return 10 + slot;
    }
    return 0;
  }

  vprinter::VirtualPrinterInfo Find(const std::string& name) const {
    const auto printers = vprinter::AttachedVirtualPrinters(directory);
    if (name.empty() && printers.size() == 1) return printers.front();
    for (const auto& printer : printers) {
      if (printer.name == name) return printer;
    }
    if (name.empty()) {
      throw std::runtime_error(printers.empty()
                                   ? "no virtual printer is attached"
                                   : "several virtual printers are attached: name one with --name");
    }
    throw std::runtime_error("no virtual printer named " + name + " is attached");
  }

  std::shared_ptr<vprinter::VirtualPrinter> Open(const vprinter::VirtualPrinterInfo& info) const {
    std::string problem;
    auto printer = vprinter::VirtualPrinter::Open(info.folder, platform::DefaultClock(), &problem);
    if (!printer) throw std::runtime_error("the printer's state cannot be read: " + problem);
    if (!problem.empty()) std::cerr << "grelt02-cli: " << problem << "; the printer was reset\n";
    return printer;
  }
};

int ParseNumber(const std::string& text) {
  std::size_t used = 0;
  int value = 0;
  try {
    value = std::stoi(text, &used, 0);
  } catch (const std::exception&) {
    used = 0;
  }
  if (used != text.size()) throw std::runtime_error("not a number: " + text);
  return value;
}

vprinter::Bytes ParseHex(const std::string& text) {
  std::string digits;
  for (const char c : text) {
    if (c != ' ' && c != ':') digits += c;
  }
  if (digits.size() % 2 != 0)
    throw std::runtime_error("hex bytes come in pairs of digits: " + text);
  vprinter::Bytes bytes;
  for (std::size_t i = 0; i < digits.size(); i += 2) {
    bytes.push_back(static_cast<std::uint8_t>(ParseNumber("0x" + digits.substr(i, 2))));
  }
  return bytes;
}

std::string ToHex(const vprinter::Bytes& bytes) {
  std::string text;
  for (const std::uint8_t b : bytes) {
    char pair[4];
    std::snprintf(pair, sizeof pair, "%s%02X", text.empty() ? "" : " ", b);
    text += pair;
  }
  return text;
}

// Refuses a range that does not lie wholly in the printer's (or its unit's) NVRAM.
void CheckRange(int address, int count, bool unit) {
  const std::size_t size = unit ? vprinter::kUnitNvramSize : vprinter::kNvramSize;
  if (address < 0 || count < 1 ||
      static_cast<std::size_t>(address) + static_cast<std::size_t>(count) > size) {
    throw std::runtime_error("the range lies outside the NVRAM of " + std::to_string(size) +
                             " bytes");
  }
}

Json FaultsToJson(const vprinter::Faults& f) { return vprinter::DescribeFaults(f); }

void ApplyFault(const std::string& fault, vprinter::Faults& f) {
  if (!vprinter::ParseFault(fault, f))
    throw std::runtime_error("unknown fault " + fault + " (" + vprinter::FaultForms() + ")");
}

Json Describe(Bench& bench, const vprinter::VirtualPrinterInfo& info) {
  const vprinter::PrinterState state = bench.Open(info)->Snapshot();
  const int usbPort = bench.UsbPort(info.attachment.link);
  const int lpdPort = info.process ? PrinterLpdPort(info) : 0;
  const int pid = info.process ? vprinter::ServerPid(info) : 0;
  return {{"name", info.name},
          {"model", state.model},
          {"firmware", state.firmware},
          {"port", usbPort == 0 ? Json() : Json(usbPort)},
          {"portByNumber", info.attachment.port},
          {"link", info.attachment.link},
          {"folder", info.folder},
          {"process", info.process},
          // A served printer whose process ended (killed, say) is not running: no pid.
          {"running", info.process ? Json(pid != 0) : Json()},
          {"pid", pid != 0 ? Json(pid) : Json()},
          {"lpdPort", lpdPort != 0 ? Json(lpdPort) : Json()},
          {"faults", FaultsToJson(state.faults)}};
}

// "off,on,...": what the attachment sensor's lamp reads, read by read.
std::string CheckedLampSequence(const std::string& sequence) {
  std::string reading;
  std::istringstream entries(sequence);
  bool any = false;
  while (std::getline(entries, reading, ',')) {
    if (reading != "off" && reading != "on")
      throw std::runtime_error("--lamp takes off and on, comma-separated: " + sequence);
    any = true;
  }
  if (!any || sequence.back() == ',')
    throw std::runtime_error("--lamp takes off and on, comma-separated: " + sequence);
  return sequence;
}

Json DescribeUnit(const std::string& name, const vprinter::PrinterState& state) {
  const vprinter::UnitState& u = state.unit;
  static const std::map<int, const char*> kStates = {
      {0, "stop"}, {1, "ready"}, {2, "busy"}, {255, "error"}};
  const auto stateName = kStates.find(u.state);
  Json tiles = Json::object();
  for (const auto& [position, lab] : u.tiles) tiles[std::to_string(position)] = lab;
  return {{"name", name},
          {"state", stateName == kStates.end() ? Json(u.state) : Json(stateName->second)},
          {"errorCode", u.errorCode},
          {"temperature", u.temperature},
          {"lamp", u.lamp},
          {"correctionByte", u.nvram[driver::nvram::kUnitCorrection]},
          {"tilePosition", u.tilePosition},
          {"tiles", tiles},
          {"faults", FaultsToJson(state.faults)}};
}

// vprinter unit: the option unit as a trainer sets it up, then as it stands.
void AddUnitCommand(CLI::App& group, CommandContext& context,
                    const std::shared_ptr<VprinterOptions>& options) {
  CLI::App* unit = group.add_subcommand(
      "unit", "Set up the option unit (temperature, attachment lamp, tiles) and show it");
  unit->add_option("--name", options->name, "The printer (default: the only one attached)");
  unit->add_option("--temperature", options->temperature,
                   "What the unit's thermosensor reads, whole degrees");
  unit->add_option("--lamp", options->lamp,
                   "What the attachment lamp reads, read by read: off,on,... (the last repeats)");
  unit->add_option("--tile", options->tiles,
                   "POS L,a,b: what the tile at position POS reports (repeatable)")
      ->type_size(2)
      ->allow_extra_args(false);
  unit->callback([&context, options] {
    context.run = [options] {
      std::map<int, std::array<double, 3>> tiles;
      for (const auto& [position, text] : options->tiles) {
        std::array<double, 3> lab{};
        if (position < 0 || position > 12 || !vprinter::ParseTileLab(text, lab))
          throw std::runtime_error("--tile takes a position 0 to 12 and L,a,b: " +
                                   std::to_string(position) + " " + text);
        tiles[position] = lab;
      }
      const std::string lamp = options->lamp.empty() ? "" : CheckedLampSequence(options->lamp);
      if (options->temperature && (*options->temperature < -40 || *options->temperature > 99))
        throw std::runtime_error("--temperature takes -40 to 99 degrees");
      Bench bench;
      const auto info = bench.Find(options->name);
      auto printer = bench.Open(info);
      const bool saved = printer->ChangeUnit([&](vprinter::UnitState& u) {
        if (options->temperature) u.temperature = *options->temperature;
        if (!lamp.empty()) u.lamp = lamp;
        for (const auto& [position, lab] : tiles) u.tiles[position] = lab;
      });
      if (!saved) throw NotSaved(info);
      Print(DescribeUnit(info.name, printer->Snapshot()));
    };
  });
}

}  // namespace

void AddVprinterCommands(CLI::App& app, CommandContext& context) {
  auto options = std::make_shared<VprinterOptions>();
  CLI::App* group =
      app.add_subcommand("vprinter", "Virtual printers: attach, inspect, give faults");
  group->require_subcommand(1);
  auto nameOption = [options](CLI::App* command) {
    command->add_option("--name", options->name, "The printer (default: the only one attached)");
  };

  CLI::App* attach =
      group->add_subcommand("attach", "Plug a virtual printer in (made new if needed)");
  attach
      ->add_option("--model", options->model,
                   "Two-letter model code, also one the program does not know")
      ->required();
  attach->add_option("--name", options->name, "Name of the printer (default: vp1)");
  attach->add_option("--port", options->port,
                     "Port number that opens it by number (default: none)");
  attach->add_flag("--new-board", options->newBoard,
                   "Exchange its main board first: a new board without serial number, "
                   "destination or set-up");
  attach->add_flag("--process", options->process,
                   "Serve it from a process of its own (vprinterd), reached over a socket");
  attach->add_option("--tcp", options->tcpPort,
                     "With --process: a loopback TCP port (0: any) instead of the Unix socket");
  attach->add_option("--lpd-port", options->lpdPort,
                     "With --process: its line printer daemon on this loopback port (0: any)");
  attach->callback([&context, options] {
    context.run = [options] {
      Bench bench;
      std::string error;
      const auto info = vprinter::AttachVirtualPrinter(
          bench.directory, bench.programFolder, options->model,
          options->name.empty() ? "vp1" : options->name, options->port, platform::DefaultClock(),
          &error, options->newBoard, options->process);
      if (!info) throw std::runtime_error(error);
      // Unreachable, no USB port and no port by number: unplugged again before any server is
      // started for it, rather than pretend.
      if (bench.UsbPort(info->attachment.link) == 0 && info->attachment.port == 0) {
        vprinter::DetachVirtualPrinter(bench.directory, info->name);
        throw std::runtime_error(
            "all four USB printer slots (ports 11 to 14) are taken by attached printers; " +
            info->name + " was not attached");
      }
      if (info->process) {
        try {
          StartPrinterProcess(*info, options->tcpPort, options->lpdPort);
        } catch (const std::exception&) {
          vprinter::DetachVirtualPrinter(bench.directory, info->name);
          throw;
        }
      }
      Print(Describe(bench, *info));
    };
  });

  CLI::App* detach = group->add_subcommand("detach", "Unplug a virtual printer; its state stays");
  nameOption(detach);
  detach->callback([&context, options] {
    context.run = [options] {
      Bench bench;
      const auto info = bench.Find(options->name);
      StopPrinterProcess(info);
      vprinter::DetachVirtualPrinter(bench.directory, info.name);
      Print({{"detached", info.name}});
    };
  });

  group->add_subcommand("list", "The attached virtual printers")->callback([&context] {
    context.run = [] {
      Bench bench;
      Json list = Json::array();
      for (const auto& info : vprinter::AttachedVirtualPrinters(bench.directory)) {
        list.push_back(Describe(bench, info));
      }
      Print(list);
    };
  });

  CLI::App* status =
      group->add_subcommand("status", "What the printer reports through the library");
  nameOption(status);
  status->callback([&context, options] {
    context.run = [options] {
      Bench bench;
      const auto info = bench.Find(options->name);
      driver::CWinGreltDrv drv(bench.directory);
      std::string text;
      const int opened = drv.Open(info.attachment.link, &text);
      Json json = {{"name", info.name}, {"open", opened}};
      if (opened == driver::kDrvOk) {
        driver::STATUSINF s;
        std::string version;
        drv.Ctl_ReplyRomVer(&version);
        const int result = drv.Ctl_GetStatus(&s);
        json["firmware"] = version;
        json["result"] = result;
        json["type"] = s.type;
        json["errorCode"] = s.errorCode;
      }
      Print(json);
    };
  });

  CLI::App* nvram =
      group->add_subcommand("nvram", "Read or write NVRAM directly, without access codes");
  nvram->require_subcommand(1);
  CLI::App* read = nvram->add_subcommand("read", "Bytes from an address (decimal or 0x hex)");
  read->add_option("ADDR", options->address, "Address, decimal or 0x hexadecimal")->required();
  read->add_option("LEN", options->length, "How many bytes")->required();
  read->add_flag("--unit", options->unit, "The option unit's NVRAM");
  nameOption(read);
  read->callback([&context, options] {
    context.run = [options] {
      Bench bench;
      const int address = ParseNumber(options->address);
      CheckRange(address, options->length, options->unit);
      const auto bytes =
          bench.Open(bench.Find(options->name))->ReadNvram(address, options->length, options->unit);
      Print({{"address", address}, {"bytes", ToHex(bytes)}});
    };
  });
  CLI::App* write = nvram->add_subcommand("write", "Bytes to an address, as hex");
  write->add_option("ADDR", options->address, "Address, decimal or 0x hexadecimal")->required();
  write->add_option("HEX", options->hex, "The bytes as hexadecimal pairs, such as 'DE AD'")
      ->required();
  write->add_flag("--unit", options->unit, "The option unit's NVRAM");
  nameOption(write);
  write->callback([&context, options] {
    context.run = [options] {
      Bench bench;
      const int address = ParseNumber(options->address);
      const vprinter::Bytes bytes = ParseHex(options->hex);
      CheckRange(address, static_cast<int>(bytes.size()), options->unit);
      const auto info = bench.Find(options->name);
      if (!bench.Open(info)->WriteNvram(address, bytes, options->unit)) throw NotSaved(info);
      Print({{"address", address}, {"written", bytes.size()}});
    };
  });

  CLI::App* fault =
      group->add_subcommand("fault", "Give the printer faults, added to those it has");
  fault
      ->add_option("NAME", options->faults, vprinter::FaultForms())
      ->required();
  nameOption(fault);
  fault->callback([&context, options] {
    context.run = [options] {
      Bench bench;
      auto printer = bench.Open(bench.Find(options->name));
      vprinter::Faults faults = printer->Snapshot().faults;
      for (const std::string& name : options->faults) ApplyFault(name, faults);
      if (!printer->SetFaults(faults)) throw NotSaved(bench.Find(options->name));
      Print({{"faults", FaultsToJson(faults)}});
    };
  });

  CLI::App* clear = group->add_subcommand("clear-faults", "Take every fault away");
  nameOption(clear);
  clear->callback([&context, options] {
    context.run = [options] {
      Bench bench;
      const auto info = bench.Find(options->name);
      if (!bench.Open(info)->SetFaults({})) throw NotSaved(info);
      Print({{"faults", Json::array()}});
    };
  });

  CLI::App* log = group->add_subcommand("log", "The last lines of the printer's log");
  log->add_option("--lines", options->lines, "How many lines (default 50)");
  nameOption(log);
  log->callback([&context, options] {
    context.run = [options] {
      Bench bench;
      std::ifstream in(bench.Find(options->name).folder + "/" + vprinter::VirtualPrinter::kLogFile);
      std::vector<std::string> lines;
      for (std::string line; std::getline(in, line);) lines.push_back(line);
      const std::size_t from =
          lines.size() > static_cast<std::size_t>(std::max(options->lines, 0))
              ? lines.size() - static_cast<std::size_t>(std::max(options->lines, 0))
              : 0;
      Print(Json(std::vector<std::string>(lines.begin() + static_cast<std::ptrdiff_t>(from),
                                          lines.end())));
    };
  });

  AddUnitCommand(*group, context, options);

  CLI::App* firmware =
      group->add_subcommand("make-firmware", "Write a firmware file (.UPG) for training");
  firmware->add_option("--model", options->model, "Model code the file is made for")->required();
  firmware->add_option("--version", options->version, "The firmware version it installs")
      ->required();
  firmware->add_option("--size", options->payload, "Payload bytes (default 65536)");
  firmware->add_flag("--damaged", options->damaged,
                     "Spoil one payload byte, so that printers refuse the file (bad checksum)");
  firmware->add_option("OUT", options->output, "The file to write")->required();
  firmware->callback([&context, options] {
    context.run = [options] {
      if (options->payload < 0 || options->payload > (16 << 20))
        throw std::runtime_error("--size takes 0 to 16777216");
      vprinter::Bytes payload(static_cast<std::size_t>(options->payload));
      for (std::size_t i = 0; i < payload.size(); ++i)
        payload[i] = static_cast<std::uint8_t>(i * 31);
      vprinter::Bytes file =
          vprinter::BuildFirmwareFile({options->model, options->version, payload});
      if (options->damaged && !payload.empty()) file[file.size() - 5] ^= 0xFF;
      std::ofstream out(options->output, std::ios::binary);
      out.write(reinterpret_cast<const char*>(file.data()),
                static_cast<std::streamsize>(file.size()));
      if (!out) throw std::runtime_error("cannot write " + options->output);
      Print({{"file", options->output}, {"bytes", file.size()}});
    };
  });
}

}  // namespace cli
