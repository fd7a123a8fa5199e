// grelt02-cli encode and render: the bytes of one command builder, and a job file printed by a
// fresh virtual printer.

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <stdexcept>

#include "commands.h"
#include "driver/cwin_grelt_drv.h"
#include "encoder/compression.h"
#include "encoder/factory_commands.h"
#include "encoder/raster_commands.h"
#include "encoder/remote_commands.h"
#include "platform/paths.h"
#include "printer/printer_link.h"
#include "ui/scripted_ui_services.h"
#include "vprinter/page_renderer.h"

namespace cli {
namespace {

using encoder::FactoryCommandSpec;
using printer::CPrinterLink;
using Args = std::vector<std::string>;

std::int64_t Number(const std::string& text) {
  std::size_t used = 0;
  std::int64_t value = 0;
  try {
    value = std::stoll(text, &used, 0);
  } catch (const std::exception&) {
    used = 0;
  }
  if (used != text.size() || text.empty()) throw std::runtime_error("not a number: " + text);
  return value;
}

int Int(const Args& args, std::size_t i) { return static_cast<int>(Number(args.at(i))); }
std::uint32_t U32(const Args& args, std::size_t i) {
  return static_cast<std::uint32_t>(Number(args.at(i)));
}

struct Builder {
  std::size_t arguments;
  std::function<bool(CPrinterLink&, const Args&)> build;
};

// Every builder by name, with the number of arguments it takes.
const std::map<std::string, Builder>& Builders() {
  using namespace encoder;
  static const std::map<std::string, Builder> builders = {
      {"ResetPrinter", {0, [](CPrinterLink& l, const Args&) { return ResetPrinter(l); }}},
      {"EndPage", {0, [](CPrinterLink& l, const Args&) { return EndPage(l); }}},
      {"EnterGraphicsMode", {0, [](CPrinterLink& l, const Args&) { return EnterGraphicsMode(l); }}},
      {"SetUnit",
       {4, [](CPrinterLink& l,
              const Args& a) { return SetUnit(l, Int(a, 0), Int(a, 1), Int(a, 2), Int(a, 3)); }}},
      {"SetResolutionInfo",
       {2,
        [](CPrinterLink& l, const Args& a) { return SetResolutionInfo(l, Int(a, 0), Int(a, 1)); }}},
      {"SetDirection",
       {1, [](CPrinterLink& l, const Args& a) { return SetDirection(l, Int(a, 0)); }}},
      {"SetColorMode",
       {1, [](CPrinterLink& l, const Args& a) { return SetColorMode(l, Int(a, 0)); }}},
      {"SetDotSize", {1, [](CPrinterLink& l, const Args& a) { return SetDotSize(l, Int(a, 0)); }}},
      {"SetMethodOptions",
       {2,
        [](CPrinterLink& l, const Args& a) { return SetMethodOptions(l, Int(a, 0), Int(a, 1)); }}},
      {"SetPageMargins",
       {2, [](CPrinterLink& l, const Args& a) { return SetPageMargins(l, U32(a, 0), U32(a, 1)); }}},
      {"SetPageLength",
       {1, [](CPrinterLink& l, const Args& a) { return SetPageLength(l, U32(a, 0)); }}},
      {"SetPaperSize",
       {2, [](CPrinterLink& l, const Args& a) { return SetPaperSize(l, U32(a, 0), U32(a, 1)); }}},
      {"SetAbsHoriPos",
       {1, [](CPrinterLink& l, const Args& a) { return SetAbsHoriPos(l, U32(a, 0)); }}},
      {"SetRelVertPos4Byte",
       {1, [](CPrinterLink& l, const Args& a) { return SetRelVertPos4Byte(l, U32(a, 0)); }}},
      {"SetRasterData",
       {4,
        [](CPrinterLink& l, const Args& a) {
          return SetRasterData(l, Int(a, 0), Int(a, 1), Int(a, 2), Int(a, 3));
        }}},
      {"EnterRemoteMode", {0, [](CPrinterLink& l, const Args&) { return EnterRemoteMode(l); }}},
      {"ExitRemoteMode", {0, [](CPrinterLink& l, const Args&) { return ExitRemoteMode(l); }}},
      {"RemoteJobStart", {0, [](CPrinterLink& l, const Args&) { return RemoteJobStart(l); }}},
      {"RemoteJobEnd", {0, [](CPrinterLink& l, const Args&) { return RemoteJobEnd(l); }}},
      {"RemoteEndOnly", {0, [](CPrinterLink& l, const Args&) { return RemoteEndOnly(l); }}},
      {"RemoteAC", {1, [](CPrinterLink& l, const Args& a) { return RemoteAC(l, Int(a, 0)); }}},
      {"RemoteMI",
       {2, [](CPrinterLink& l, const Args& a) { return RemoteMI(l, Int(a, 0), Int(a, 1)); }}},
      {"RemotePH", {1, [](CPrinterLink& l, const Args& a) { return RemotePH(l, Int(a, 0)); }}},
      {"RemotePP",
       {2, [](CPrinterLink& l, const Args& a) { return RemotePP(l, Int(a, 0), Int(a, 1)); }}},
      {"RemoteSN",
       {2, [](CPrinterLink& l, const Args& a) { return RemoteSN(l, Int(a, 0), Int(a, 1)); }}},
      {"RemoteAL2", {1, [](CPrinterLink& l, const Args& a) { return RemoteAL2(l, Int(a, 0)); }}},
      {"RemoteAL30",
       {2, [](CPrinterLink& l, const Args& a) { return RemoteAL30(l, Int(a, 0), Int(a, 1)); }}},
      {"compress",
       {1,
        [](CPrinterLink& l, const Args& a) {
          const std::string& hex = a[0];
          if (hex.size() % 2 != 0) throw std::runtime_error("hex digits come in pairs: " + hex);
          std::vector<std::uint8_t> row;
          for (std::size_t i = 0; i < hex.size(); i += 2)
            row.push_back(static_cast<std::uint8_t>(Number("0x" + hex.substr(i, 2))));
          return AppendCompressed(l, row.data(), row.size());
        }}},
      {"bits",
       {2, [](CPrinterLink& l, const Args& a) { return AppendBitPattern(l, a[0], Int(a, 1)); }}},
  };
  return builders;
}

bool BuildFactory(CPrinterLink& link, const Args& args) {
  if (args.size() < 2) throw std::runtime_error("factory takes FAMILY CODE ARGS...");
  const auto family = static_cast<std::uint8_t>(Number("0x" + args[0]));
  if (args[1].size() != 6) throw std::runtime_error("a code is six hex digits, such as 01FE80");
  const auto triple = static_cast<std::uint32_t>(Number("0x" + args[1]));
  const Args rest(args.begin() + 2, args.end());
  if (family == 0x7C && (triple == 0x639CB1 || triple == 0x2BD495 || triple == 0x23DC91)) {
    if (rest.size() != 1) throw std::runtime_error("this command takes one text");
    if (triple == 0x639CB1) return encoder::Factory7C_639CB1(link, rest[0]);
    if (triple == 0x2BD495) return encoder::Factory7C_2BD495(link, rest[0]);
    return encoder::Factory7C_23DC91(link, rest[0]);
  }
  const FactoryCommandSpec* spec = encoder::FindFactoryCommand(family, triple);
  if (spec == nullptr) throw std::runtime_error("no factory command " + args[0] + " " + args[1]);
  std::vector<std::int64_t> values;
  for (const std::string& arg : rest) values.push_back(Number(arg));
  if (!encoder::AppendFactoryCommand(link, *spec, values)) {
    throw std::runtime_error(std::string(spec->name) + " takes the arguments " +
                             std::string(spec->layout) + " (B byte, W 16 bits, D 32 bits)");
  }
  return true;
}

}  // namespace

void AddEncoderCommands(CLI::App& app, CommandContext& context) {
  struct Options {
    std::string model = "MW";
    std::vector<std::string> words;
    std::string job;
    std::string output;
    bool full = false;
  };
  auto options = std::make_shared<Options>();

  CLI::App* encode = app.add_subcommand("encode", "The bytes one command builder appends, as hex");
  encode->add_option("--model", options->model,
                     "Model whose access code factory commands carry (default MW)");
  encode
      ->add_option(
          "NAME_AND_ARGS", options->words,
          "A builder name and its arguments: SetUnit 1 1 1 2880, compress 0102FF, bits 10000001 2, "
          "factory 7D 01FE80 1 300")
      ->required();
  encode->callback([&context, options] {
    context.run = [options] {
      settings::AppSettings settings;
      ui::ScriptedUiServices ui;
      platform::Registry registry(platform::Registry::DefaultRoot(platform::GetProgramFolder()));
      driver::DeviceDirectory directory(registry);
      CPrinterLink link(printer::LinkEnvironment{settings, ui, platform::DefaultClock()},
                        std::make_unique<driver::CWinGreltDrv>(directory));
      if (!link.SetModel(options->model))
        throw std::runtime_error("unknown model " + options->model);
      const std::string name = options->words[0];
      const Args args(options->words.begin() + 1, options->words.end());
      bool built = false;
      if (name == "factory") {
        built = BuildFactory(link, args);
      } else {
        const auto found = Builders().find(name);
        if (found == Builders().end()) throw std::runtime_error("no builder named " + name);
        if (args.size() != found->second.arguments) {
          throw std::runtime_error(name + " takes " + std::to_string(found->second.arguments) +
                                   " arguments");
        }
        built = found->second.build(link, args);
      }
      PrintShownTexts(ui);
      std::string hex;
      for (std::size_t i = 0; i < link.JobLength(); ++i) {
        char pair[4];
        std::snprintf(pair, sizeof pair, "%s%02X", i == 0 ? "" : " ", link.JobData()[i]);
        hex += pair;
      }
      std::cout << hex << '\n';
      if (!built)
        throw std::runtime_error(name + " refused its arguments (error " +
                                 std::to_string(link.LastError()) + ")");
    };
  });

  CLI::App* render =
      app.add_subcommand("render", "Print a job file on a fresh virtual printer, into PNG pages");
  render->add_option("JOBFILE", options->job, "What the program sends, or a .PRN file")->required();
  render
      ->add_option("-o,--output", options->output,
                   "The first page's PNG; more pages get -2, -3, ...")
      ->required();
  render->add_flag("--full", options->full,
                   "One pixel per dot instead of a page that fits a screen");
  render->callback([&context, options] {
    context.run = [&context, options] {
      std::ifstream in(options->job, std::ios::binary);
      if (!in) throw std::runtime_error("cannot open " + options->job);
      const vprinter::Bytes job((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
      const vprinter::RenderSummary summary =
          vprinter::RenderJob(job, options->output, options->full);
      Json dots = Json::object();
      for (const auto& [colour, count] : summary.dots) {
        char key[8];
        std::snprintf(key, sizeof key, "0x%02X", colour & 0xFF);
        dots[key] = count;
      }
      Print({{"pages", summary.pages},
             {"rasterBlocks", summary.rasterBlocks},
             {"rows", summary.rows},
             {"dots", dots},
             {"factoryCommands", summary.factoryCommands},
             {"remoteCommands", summary.remoteCommands},
             {"warnings", summary.warnings},
             {"files", summary.files}});
      // A job that printed nothing, or pages that could not be written, is no rendering.
      if (summary.pages == 0) {
        std::cerr << "grelt02-cli: no page came out of " << options->job << '\n';
        context.exitCode = 2;
      } else if (summary.files.size() < static_cast<std::size_t>(summary.pages)) {
        std::cerr << "grelt02-cli: " << summary.pages - static_cast<int>(summary.files.size())
                  << " of " << summary.pages << " pages could not be written to "
                  << options->output << '\n';
        context.exitCode = 2;
      }
    };
  });
}

}  // namespace cli
