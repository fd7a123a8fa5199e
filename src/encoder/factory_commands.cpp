#include "encoder/factory_commands.h"

#include <cstdlib>
#include <vector>

#include "driver/command_codes.h"
#include "driver/product_constants.h"
#include "printer/link_errors.h"
#include "printer/printer_link.h"

namespace encoder {
namespace {

namespace factory = driver::factory;

constexpr FactoryCommandSpec Row(driver::FactoryCode code, std::uint8_t flag, std::string_view name,
                                 std::string_view layout) {
  return {code.family, flag, code.code, name, layout};
}

constexpr FactoryCommandSpec kCommands[] = {
    Row(factory::k7B_28D714, 0x01, "7B 28D714", "B0D"),
    Row(factory::k7B_25DA92, 0x01, "7B 25DA92", "B"),
    Row(factory::k7B_22DD11, 0x01, "7B 22DD11", "B"),
    Row(factory::k7B_40BF20, 0x01, "7B 40BF20", "BB"),
    Row(factory::k7B_42BD21, 0x01, "7B 42BD21", ""),
    Row(factory::k7B_03FC81, 0x01, "7B 03FC81", ""),
    Row(factory::k7B_02FD01, 0x01, "7B 02FD01", "WBK"),
    Row(factory::k7C_CD32E6, 0x00, "7C CD32E6", "B0D"),
    Row(factory::k7C_9966CC, 0x00, "7C 9966CC", "BBW"),
    Row(factory::k7C_9A654D, 0x00, "7C 9A654D", "B"),
    Row(factory::k7C_9768CB, 0x00, "7C 9768CB", "B"),
    Row(factory::k7C_50AF28, 0x00, "7C 50AF28", ""),
    Row(factory::k7C_42BD21, 0x00, "7C 42BD21", "BBBBBBBBBBB"),
    Row(factory::k7C_43BCA1, 0x01, "7C 43BCA1", "B"),
    Row(factory::k7C_2FD097, 0x01, "7C 2FD097", "B"),
    Row(factory::k7C_A35CD1, 0x01, "7C A35CD1", "BBB"),
    Row(factory::k7C_0AF505, 0x01, "7C 0AF505", "B"),
    Row(factory::k7C_A15ED0, 0x01, "7C A15ED0", ""),
    Row(factory::k7C_03FC81, 0x01, "7C 03FC81", ""),
    Row(factory::k7C_08F704, 0x01, "7C 08F704", "B"),
    Row(factory::k7D_649B32, 0x01, "7D 649B32", "B"),
    Row(factory::k7D_10EF08, 0x01, "7D 10EF08", "B"),
    Row(factory::k7D_807F40, 0x01, "7D 807F40", "B"),
    Row(factory::k7D_01FE80, 0x01, "7D 01FE80", "BW"),
    Row(factory::k7D_40BF20, 0x01, "7D 40BF20", "B"),
    Row(factory::k7D_F00F78, 0x01, "7D F00F78", "B"),
    Row(factory::k7D_4AB525, 0x01, "7D 4AB525", "BB"),
    Row(factory::k7D_41BEA0, 0x01, "7D 41BEA0", "BBWWWWWWWWWW"),
    Row(factory::k7D_827D41, 0x01, "7D 827D41", "B"),
    Row(factory::k7D_45BAA2, 0x01, "7D 45BAA2", ""),
    Row(factory::k7D_26D913, 0x01, "7D 26D913", "1B"),
    Row(factory::k7D_48B724, 0x01, "7D 48B724", "B"),
    Row(factory::k7D_4FB0A7, 0x01, "7D 4FB0A7", "B"),
    Row(factory::k7D_13EC89, 0x01, "7D 13EC89", "BBD"),
    Row(factory::k7D_02FD01, 0x01, "7D 02FD01", "BBDBD"),
    Row(factory::k7D_03FC81, 0x01, "7D 03FC81", "B0"),
    Row(factory::k7D_14EB0A, 0x01, "7D 14EB0A", "BBW"),
    Row(factory::k7D_847B42, 0x01, "7D 847B42", "BBW"),
    Row(factory::k7D_42BD21, 0x01, "7D 42BD21", "BB00B"),
    Row(factory::k7D_857AC2, 0x01, "7D 857AC2", "D"),
    Row(factory::k7D_47B8A3, 0x01, "7D 47B8A3", "B0"),
    Row(factory::k7D_06F903, 0x01, "7D 06F903", "BB"),
};

const FactoryCommandSpec& Spec(driver::FactoryCode code) {
  for (const FactoryCommandSpec& spec : kCommands) {
    if (spec.family == code.family && spec.code == code.code) return spec;
  }
  std::abort();  // every builder has its row
}

bool Text(printer::CPrinterLink& link, driver::FactoryCode code, std::string_view text,
          std::size_t length) {
  return link.AppendFactory(code, 0x01, reinterpret_cast<const std::uint8_t*>(text.data()), length);
}

}  // namespace

std::span<const FactoryCommandSpec> FactoryCommands() { return kCommands; }

const FactoryCommandSpec* FindFactoryCommand(std::uint8_t family, std::uint32_t triple) {
  const auto code = static_cast<std::uint8_t>(triple >> 16);
  const auto inverse = static_cast<std::uint8_t>(triple >> 8);
  const auto rotated = static_cast<std::uint8_t>(triple);
  if (inverse != static_cast<std::uint8_t>(0xFF - code) ||
      rotated != static_cast<std::uint8_t>((code >> 1) | (code << 7))) {
    return nullptr;
  }
  for (const FactoryCommandSpec& spec : kCommands) {
    if (spec.family == family && spec.code == code) return &spec;
  }
  return nullptr;
}

bool AppendFactoryCommand(printer::CPrinterLink& link, const FactoryCommandSpec& spec,
                          std::span<const std::int64_t> args) {
  std::vector<std::uint8_t> params;
  std::size_t next = 0;
  for (const char kind : spec.layout) {
    if (kind == '0' || kind == '1') {
      params.push_back(kind == '1' ? 1 : 0);
      continue;
    }
    if (kind == 'K') {
      params.insert(params.end(), driver::kFamily7BKey.begin(), driver::kFamily7BKey.end());
      continue;
    }
    if (next == args.size()) return false;
    const auto value = static_cast<std::uint64_t>(args[next++]);
    const int bytes = kind == 'B' ? 1 : kind == 'W' ? 2 : 4;
    for (int i = 0; i < bytes; ++i) params.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
  }
  if (next != args.size()) return false;
  return link.AppendFactory({spec.family, spec.code}, spec.flag, params.data(), params.size());
}

bool Factory7B_28D714(printer::CPrinterLink& link, int a, std::uint32_t value) {
  const std::int64_t args[] = {a, value};
  return AppendFactoryCommand(link, Spec(factory::k7B_28D714), args);
}

bool Factory7B_25DA92(printer::CPrinterLink& link, int n) {
  const std::int64_t args[] = {n};
  return AppendFactoryCommand(link, Spec(factory::k7B_25DA92), args);
}

bool Factory7B_22DD11(printer::CPrinterLink& link, int n) {
  const std::int64_t args[] = {n};
  return AppendFactoryCommand(link, Spec(factory::k7B_22DD11), args);
}

bool Factory7B_40BF20(printer::CPrinterLink& link, int a, int b) {
  const std::int64_t args[] = {a, b};
  return AppendFactoryCommand(link, Spec(factory::k7B_40BF20), args);
}

bool Factory7B_42BD21(printer::CPrinterLink& link) {
  return AppendFactoryCommand(link, Spec(factory::k7B_42BD21), {});
}

bool Factory7B_03FC81(printer::CPrinterLink& link) {
  return AppendFactoryCommand(link, Spec(factory::k7B_03FC81), {});
}

bool Factory7B_02FD01(printer::CPrinterLink& link, int address, int value) {
  const std::int64_t args[] = {address, value};
  return AppendFactoryCommand(link, Spec(factory::k7B_02FD01), args);
}

bool Factory7C_CD32E6(printer::CPrinterLink& link, int a, std::uint32_t value) {
  const std::int64_t args[] = {a, value};
  return AppendFactoryCommand(link, Spec(factory::k7C_CD32E6), args);
}

bool Factory7C_9966CC(printer::CPrinterLink& link, int a, int b, int value) {
  const std::int64_t args[] = {a, b, value};
  return AppendFactoryCommand(link, Spec(factory::k7C_9966CC), args);
}

bool Factory7C_9A654D(printer::CPrinterLink& link, int n) {
  const std::int64_t args[] = {n};
  return AppendFactoryCommand(link, Spec(factory::k7C_9A654D), args);
}

bool Factory7C_9768CB(printer::CPrinterLink& link, int n) {
  const std::int64_t args[] = {n};
  return AppendFactoryCommand(link, Spec(factory::k7C_9768CB), args);
}

bool Factory7C_50AF28(printer::CPrinterLink& link) {
  return AppendFactoryCommand(link, Spec(factory::k7C_50AF28), {});
}

bool Factory7C_42BD21(printer::CPrinterLink& link, int b0, int b1, int b2, int b3, int b4, int b5,
                      int b6, int b7, int b8, int b9, int b10) {
  const std::int64_t args[] = {b0, b1, b2, b3, b4, b5, b6, b7, b8, b9, b10};
  return AppendFactoryCommand(link, Spec(factory::k7C_42BD21), args);
}

bool Factory7C_43BCA1(printer::CPrinterLink& link, int n) {
  const std::int64_t args[] = {n};
  return AppendFactoryCommand(link, Spec(factory::k7C_43BCA1), args);
}

bool Factory7C_2FD097(printer::CPrinterLink& link, int n) {
  const std::int64_t args[] = {n};
  return AppendFactoryCommand(link, Spec(factory::k7C_2FD097), args);
}

bool Factory7C_A35CD1(printer::CPrinterLink& link, int a, int b, int c) {
  const std::int64_t args[] = {a, b, c};
  return AppendFactoryCommand(link, Spec(factory::k7C_A35CD1), args);
}

bool Factory7C_0AF505(printer::CPrinterLink& link, int n) {
  const std::int64_t args[] = {n};
  return AppendFactoryCommand(link, Spec(factory::k7C_0AF505), args);
}

bool Factory7C_A15ED0(printer::CPrinterLink& link) {
  return AppendFactoryCommand(link, Spec(factory::k7C_A15ED0), {});
}

bool Factory7C_03FC81(printer::CPrinterLink& link) {
  return AppendFactoryCommand(link, Spec(factory::k7C_03FC81), {});
}

bool Factory7C_08F704(printer::CPrinterLink& link, int n) {
  const std::int64_t args[] = {n};
  return AppendFactoryCommand(link, Spec(factory::k7C_08F704), args);
}

bool Factory7D_649B32(printer::CPrinterLink& link, int n) {
  const std::int64_t args[] = {n};
  return AppendFactoryCommand(link, Spec(factory::k7D_649B32), args);
}

bool Factory7D_10EF08(printer::CPrinterLink& link, int n) {
  const std::int64_t args[] = {n};
  return AppendFactoryCommand(link, Spec(factory::k7D_10EF08), args);
}

bool Factory7D_807F40(printer::CPrinterLink& link, int n) {
  const std::int64_t args[] = {n};
  return AppendFactoryCommand(link, Spec(factory::k7D_807F40), args);
}

bool Factory7D_01FE80(printer::CPrinterLink& link, int a, int position) {
  const std::int64_t args[] = {a, position};
  return AppendFactoryCommand(link, Spec(factory::k7D_01FE80), args);
}

bool Factory7D_40BF20(printer::CPrinterLink& link, int n) {
  const std::int64_t args[] = {n};
  return AppendFactoryCommand(link, Spec(factory::k7D_40BF20), args);
}

bool Factory7D_F00F78(printer::CPrinterLink& link, int n) {
  const std::int64_t args[] = {n};
  return AppendFactoryCommand(link, Spec(factory::k7D_F00F78), args);
}

bool Factory7D_4AB525(printer::CPrinterLink& link, int a, int b) {
  const std::int64_t args[] = {a, b};
  return AppendFactoryCommand(link, Spec(factory::k7D_4AB525), args);
}

bool Factory7D_41BEA0(printer::CPrinterLink& link, int a, int b, int v0, int v1, int v2, int v3,
                      int v4, int v5, int v6, int v7, int v8, int v9) {
  const std::int64_t args[] = {a, b, v0, v1, v2, v3, v4, v5, v6, v7, v8, v9};
  return AppendFactoryCommand(link, Spec(factory::k7D_41BEA0), args);
}

bool Factory7D_827D41(printer::CPrinterLink& link, int n) {
  const std::int64_t args[] = {n};
  return AppendFactoryCommand(link, Spec(factory::k7D_827D41), args);
}

bool Factory7D_45BAA2(printer::CPrinterLink& link) {
  return AppendFactoryCommand(link, Spec(factory::k7D_45BAA2), {});
}

bool Factory7D_26D913(printer::CPrinterLink& link, int n) {
  const std::int64_t args[] = {n};
  return AppendFactoryCommand(link, Spec(factory::k7D_26D913), args);
}

bool Factory7D_48B724(printer::CPrinterLink& link, int n) {
  const std::int64_t args[] = {n};
  return AppendFactoryCommand(link, Spec(factory::k7D_48B724), args);
}

bool Factory7D_4FB0A7(printer::CPrinterLink& link, int n) {
  const std::int64_t args[] = {n};
  return AppendFactoryCommand(link, Spec(factory::k7D_4FB0A7), args);
}

bool Factory7D_13EC89(printer::CPrinterLink& link, int a, int b, std::uint32_t target) {
  const std::int64_t args[] = {a, b, target};
  return AppendFactoryCommand(link, Spec(factory::k7D_13EC89), args);
}

bool Factory7D_02FD01(printer::CPrinterLink& link, int a, int b, std::uint32_t value1, int c,
                      std::uint32_t value2) {
  const std::int64_t args[] = {a, b, value1, c, value2};
  return AppendFactoryCommand(link, Spec(factory::k7D_02FD01), args);
}

bool Factory7D_03FC81(printer::CPrinterLink& link, int n) {
  const std::int64_t args[] = {n};
  return AppendFactoryCommand(link, Spec(factory::k7D_03FC81), args);
}

bool Factory7D_14EB0A(printer::CPrinterLink& link, int a, int b, int value) {
  const std::int64_t args[] = {a, b, value};
  return AppendFactoryCommand(link, Spec(factory::k7D_14EB0A), args);
}

bool Factory7D_847B42(printer::CPrinterLink& link, int a, int b, int value) {
  const std::int64_t args[] = {a, b, value};
  return AppendFactoryCommand(link, Spec(factory::k7D_847B42), args);
}

bool Factory7D_42BD21(printer::CPrinterLink& link, int a, int b, int c) {
  const std::int64_t args[] = {a, b, c};
  return AppendFactoryCommand(link, Spec(factory::k7D_42BD21), args);
}

bool Factory7D_857AC2(printer::CPrinterLink& link, std::uint32_t value) {
  const std::int64_t args[] = {value};
  return AppendFactoryCommand(link, Spec(factory::k7D_857AC2), args);
}

bool Factory7D_47B8A3(printer::CPrinterLink& link, int n) {
  const std::int64_t args[] = {n};
  return AppendFactoryCommand(link, Spec(factory::k7D_47B8A3), args);
}

bool Factory7D_06F903(printer::CPrinterLink& link, int a, int b) {
  const std::int64_t args[] = {a, b};
  return AppendFactoryCommand(link, Spec(factory::k7D_06F903), args);
}

bool Factory7C_639CB1(printer::CPrinterLink& link, std::string_view clock) {
  if (clock.size() <= 11) {
    link.SetLastError(printer::kValueDoesNotFit);
    return false;
  }
  std::uint8_t numbers[6];
  for (int i = 0; i < 6; ++i) {
    const char tens = clock[static_cast<std::size_t>(2 * i)];
    const char ones = clock[static_cast<std::size_t>(2 * i + 1)];
    numbers[i] = static_cast<std::uint8_t>((tens - '0') * 10 + (ones - '0'));
  }
  return link.AppendFactory(factory::kClockSet, 0x01, numbers, sizeof numbers);
}

bool Factory7C_2BD495(printer::CPrinterLink& link, std::string_view serial) {
  if (serial.size() <= 9) {
    link.Environment().ui.MessageBox("Debug Error! SerialNoLength is Short", ui::kApplicationTitle,
                                     ui::kOk);
    return false;
  }
  return Text(link, factory::kSerialNumber, serial, 10);
}

bool Factory7C_23DC91(printer::CPrinterLink& link, std::string_view serial) {
  if (serial.size() <= 17) {
    link.SetLastError(printer::kValueDoesNotFit);
    return false;
  }
  return Text(link, factory::kLongSerialNumber, serial, 18);
}

}  // namespace encoder
