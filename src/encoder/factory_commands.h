#pragma once
// Factory commands: ESC, family (7B "{", 7C "|", 7D "}"), flag, length, access code, code triple
// and parameters. One function per command, named by family and code triple as the service
// procedures name them ("}" 01 FE 80 with (a, position) is Factory7D_01FE80(link, a, position)).
// Byte arguments are cut to their low 8 bits; 16- and 32-bit ones are little-endian.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace printer {
class CPrinterLink;
}

namespace encoder {

// How a command's parameters are laid out: B a byte argument, W a 16-bit one, D a 32-bit one,
// 0 and 1 fixed bytes, K the 7B family's key.
struct FactoryCommandSpec {
  std::uint8_t family;
  std::uint8_t flag;
  std::uint8_t code;
  std::string_view name;    // "7D 01FE80"
  std::string_view layout;  // e.g. "BW"
};

// Every factory command with a fixed layout, for scripts that name them by family and code.
std::span<const FactoryCommandSpec> FactoryCommands();
const FactoryCommandSpec* FindFactoryCommand(std::uint8_t family, std::uint32_t triple);
// Appends a command of the table with its arguments in order; false when their number is wrong.
bool AppendFactoryCommand(printer::CPrinterLink& link, const FactoryCommandSpec& spec,
                          std::span<const std::int64_t> args);

bool Factory7B_28D714(printer::CPrinterLink& link, int a, std::uint32_t value);
bool Factory7B_25DA92(printer::CPrinterLink& link, int n);
bool Factory7B_22DD11(printer::CPrinterLink& link, int n);
bool Factory7B_40BF20(printer::CPrinterLink& link, int a, int b);
bool Factory7B_42BD21(printer::CPrinterLink& link);
bool Factory7B_03FC81(printer::CPrinterLink& link);
bool Factory7B_02FD01(printer::CPrinterLink& link, int address, int value);
bool Factory7C_CD32E6(printer::CPrinterLink& link, int a, std::uint32_t value);
bool Factory7C_9966CC(printer::CPrinterLink& link, int a, int b, int value);
bool Factory7C_9A654D(printer::CPrinterLink& link, int n);
bool Factory7C_9768CB(printer::CPrinterLink& link, int n);
bool Factory7C_50AF28(printer::CPrinterLink& link);
bool Factory7C_42BD21(printer::CPrinterLink& link, int b0, int b1, int b2, int b3, int b4, int b5,
                      int b6, int b7, int b8, int b9, int b10);
bool Factory7C_43BCA1(printer::CPrinterLink& link, int n);
bool Factory7C_2FD097(printer::CPrinterLink& link, int n);
bool Factory7C_A35CD1(printer::CPrinterLink& link, int a, int b, int c);
bool Factory7C_0AF505(printer::CPrinterLink& link, int n);
bool Factory7C_A15ED0(printer::CPrinterLink& link);
bool Factory7C_03FC81(printer::CPrinterLink& link);
bool Factory7C_08F704(printer::CPrinterLink& link, int n);
bool Factory7D_649B32(printer::CPrinterLink& link, int n);
bool Factory7D_10EF08(printer::CPrinterLink& link, int n);
bool Factory7D_807F40(printer::CPrinterLink& link, int n);
bool Factory7D_01FE80(printer::CPrinterLink& link, int a, int position);
bool Factory7D_40BF20(printer::CPrinterLink& link, int n);
bool Factory7D_F00F78(printer::CPrinterLink& link, int n);
bool Factory7D_4AB525(printer::CPrinterLink& link, int a, int b);
bool Factory7D_41BEA0(printer::CPrinterLink& link, int a, int b, int v0, int v1, int v2, int v3,
                      int v4, int v5, int v6, int v7, int v8, int v9);
bool Factory7D_827D41(printer::CPrinterLink& link, int n);
bool Factory7D_45BAA2(printer::CPrinterLink& link);
bool Factory7D_26D913(printer::CPrinterLink& link, int n);
bool Factory7D_48B724(printer::CPrinterLink& link, int n);
bool Factory7D_4FB0A7(printer::CPrinterLink& link, int n);
bool Factory7D_13EC89(printer::CPrinterLink& link, int a, int b, std::uint32_t target);
bool Factory7D_02FD01(printer::CPrinterLink& link, int a, int b, std::uint32_t value1, int c,
                      std::uint32_t value2);
bool Factory7D_03FC81(printer::CPrinterLink& link, int n);
bool Factory7D_14EB0A(printer::CPrinterLink& link, int a, int b, int value);
bool Factory7D_847B42(printer::CPrinterLink& link, int a, int b, int value);
bool Factory7D_42BD21(printer::CPrinterLink& link, int a, int b, int c);
bool Factory7D_857AC2(printer::CPrinterLink& link, std::uint32_t value);
bool Factory7D_47B8A3(printer::CPrinterLink& link, int n);
bool Factory7D_06F903(printer::CPrinterLink& link, int a, int b);

// The text commands. Clock set: the first twelve characters as six two-digit numbers (yy mm dd
// hh mm ss); a text of 11 characters or fewer fails with -939. Serial number: ten characters; a
// shorter text is told and fails. Long serial number: eighteen characters; shorter fails with -939.
bool Factory7C_639CB1(printer::CPrinterLink& link, std::string_view clock);
bool Factory7C_2BD495(printer::CPrinterLink& link, std::string_view serial);
bool Factory7C_23DC91(printer::CPrinterLink& link, std::string_view serial);

}  // namespace encoder
