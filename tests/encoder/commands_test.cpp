// Every builder, byte for byte.

#include <gtest/gtest.h>

#include "encoder/encoder_test_support.h"
#include "encoder/factory_commands.h"
#include "encoder/raster_commands.h"
#include "encoder/remote_commands.h"

namespace {

using namespace encoder;

class Commands : public ::testing::Test, public testing_support::EncoderFixture {
protected:
  printer::CPrinterLink& L() { return *link; }
};

TEST_F(Commands, PageAndRasterCommands) {
  ResetPrinter(L());
  EXPECT_EQ(TakeHex(), "1B 40");
  EndPage(L());
  EXPECT_EQ(TakeHex(), "0D 0A 0C 1B 40 1B 40");
  EnterGraphicsMode(L());
  EXPECT_EQ(TakeHex(), "1B 28 47 01 00 01");
  SetUnit(L(), 1, 1, 1, 2880);
  EXPECT_EQ(TakeHex(), "1B 28 55 05 00 01 01 01 40 0B");
  EXPECT_TRUE(SetResolutionInfo(L(), 1440, 720));
  EXPECT_EQ(TakeHex(), "1B 28 44 04 00 A0 05 02 01");
  SetDirection(L(), 1);
  EXPECT_EQ(TakeHex(), "1B 55 01");
  SetColorMode(L(), 0);
  EXPECT_EQ(TakeHex(), "1B 28 4B 02 00 00 00");
  SetDotSize(L(), 0x12);
  EXPECT_EQ(TakeHex(), "1B 28 65 02 00 00 12");
  SetMethodOptions(L(), 3, 4);
  EXPECT_EQ(TakeHex(), "1B 28 69 03 00 03 04 00");
  SetPageMargins(L(), 0x01020304, 0x0A0B0C0D);
  EXPECT_EQ(TakeHex(), "1B 28 63 08 00 04 03 02 01 0D 0C 0B 0A");
  SetPageLength(L(), 33676);
  EXPECT_EQ(TakeHex(), "1B 28 43 04 00 8C 83 00 00");
  SetPaperSize(L(), 69120, 100);
  EXPECT_EQ(TakeHex(), "1B 28 53 08 00 00 0E 01 00 64 00 00 00");
  SetAbsHoriPos(L(), 27825);
  EXPECT_EQ(TakeHex(), "1B 28 24 04 00 B1 6C 00 00");
  SetRelVertPos4Byte(L(), 2880);
  EXPECT_EQ(TakeHex(), "1B 28 76 04 00 40 0B 00 00 0D");
  EXPECT_TRUE(SetRasterData(L(), 0x80, 2, 1512, 360));
  EXPECT_EQ(TakeHex(), "1B 69 80 01 02 E8 05 68 01");
  EXPECT_TRUE(ui.Calls().empty());
}

TEST_F(Commands, ParameterChecksAndTheirMessages) {
  EXPECT_FALSE(SetRasterData(L(), 0, 3, 10, 1));
  EXPECT_FALSE(SetResolutionInfo(L(), 360, 720));
  EXPECT_FALSE(SetResolutionInfo(L(), 1000, 300));
  EXPECT_EQ(TakeHex(), "");
  EXPECT_TRUE(SetAbsHoriPos(L(), 0x20000000));  // told, appended all the same
  EXPECT_TRUE(SetRelVertPos4Byte(L(), 0x20000000));
  EXPECT_EQ(TakeHex(), "1B 28 24 04 00 00 00 00 20 1B 28 76 04 00 00 00 00 20 0D");
  TXSetInfo(L(), 3, 5);
  EXPECT_EQ(TextType(), 3);  // stored all the same
  TXSetInfo(L(), 2, 0);
  std::vector<std::string> texts;
  for (const auto& call : ui.Calls()) texts.push_back(call.text);
  EXPECT_EQ(texts, (std::vector<std::string>{
                       "SetRasterData() Parameter Error.", "SetResolutionInfo() Parameter Error.",
                       "SetResolutionInfo() Parameter Error.",
                       "SetAbsHoriPos setting Limit Over!!  536870912 / 20000000",
                       "SetRelVertPos4Byte setting Limit Over!!", "TXSetInfo parameter error 5",
                       "TXSetInfo parameter error 8"}));
}

TEST_F(Commands, RemoteModeCommands) {
  EnterRemoteMode(L());
  EXPECT_EQ(TakeHex(), "1B 28 52 08 00 00 52 45 4D 4F 54 45 31");
  ExitRemoteMode(L());
  EXPECT_EQ(TakeHex(), "1B 00 00 00");
  RemoteJobStart(L());
  EXPECT_EQ(TakeHex(), "4A 53 04 00 00 00 00 00");
  RemoteJobEnd(L());
  EXPECT_EQ(TakeHex(), "4C 44 00 00 4A 45 01 00 00");
  RemoteEndOnly(L());
  EXPECT_EQ(TakeHex(), "4A 45 01 00 00");
  RemoteAC(L(), 1);
  EXPECT_EQ(TakeHex(), "41 43 02 00 00 01");
  RemoteMI(L(), 5, 6);
  EXPECT_EQ(TakeHex(), "4D 49 04 00 00 01 05 06");
  RemotePH(L(), 7);
  EXPECT_EQ(TakeHex(), "50 48 02 00 00 07");
  RemotePP(L(), 3, 0);
  EXPECT_EQ(TakeHex(), "50 50 03 00 00 03 00");
  RemoteSN(L(), 0, 1);
  EXPECT_EQ(TakeHex(), "53 4E 03 00 00 00 01");
  RemoteAL2(L(), 9);
  EXPECT_EQ(TakeHex(), "41 4C 03 00 00 02 09");
  RemoteAL30(L(), 2, 0x1234);
  EXPECT_EQ(TakeHex(), "41 4C 05 00 00 30 02 34 12");
}

TEST_F(Commands, FactoryCommandsOfFamily7B) {
  Factory7B_28D714(L(), 0, 6);
  EXPECT_EQ(TakeHex(), "1B 7B 01 0B 00 1B 74 28 D7 14 00 00 06 00 00 00");
  Factory7B_25DA92(L(), 254);
  EXPECT_EQ(TakeHex(), "1B 7B 01 06 00 1B 74 25 DA 92 FE");
  Factory7B_22DD11(L(), 1);
  EXPECT_EQ(TakeHex(), "1B 7B 01 06 00 1B 74 22 DD 11 01");
  Factory7B_40BF20(L(), 2, 4);
  EXPECT_EQ(TakeHex(), "1B 7B 01 07 00 1B 74 40 BF 20 02 04");
  Factory7B_42BD21(L());
  EXPECT_EQ(TakeHex(), "1B 7B 01 05 00 1B 74 42 BD 21");
  Factory7B_03FC81(L());
  EXPECT_EQ(TakeHex(), "1B 7B 01 05 00 1B 74 03 FC 81");
  // The family's NVRAM write: sixteen bytes follow the length field.
  Factory7B_02FD01(L(), 0x00AA, 0x0A);
  EXPECT_EQ(TakeHex(), "1B 7B 01 10 00 1B 74 02 FD 01 AA 00 0A 5A 3C 96 0F E1 78 2D B4");
}

TEST_F(Commands, FactoryCommandsOfFamily7C) {
  Factory7C_CD32E6(L(), 0, 1811);
  EXPECT_EQ(TakeHex(), "1B 7C 00 0B 00 1B 74 CD 32 E6 00 00 13 07 00 00");
  Factory7C_9966CC(L(), 17, 70, 300);
  EXPECT_EQ(TakeHex(), "1B 7C 00 09 00 1B 74 99 66 CC 11 46 2C 01");
  Factory7C_9A654D(L(), 3);
  EXPECT_EQ(TakeHex(), "1B 7C 00 06 00 1B 74 9A 65 4D 03");
  Factory7C_9768CB(L(), 2);
  EXPECT_EQ(TakeHex(), "1B 7C 00 06 00 1B 74 97 68 CB 02");
  Factory7C_50AF28(L());
  EXPECT_EQ(TakeHex(), "1B 7C 00 05 00 1B 74 50 AF 28");
  // Eleven single-byte arguments: the length bytes read 10 00.
  Factory7C_42BD21(L(), 170, 0, 0xF6, 'K', 'V', 'I', 'L', 'S', '0', '7', '3');
  EXPECT_EQ(TakeHex(), "1B 7C 00 10 00 1B 74 42 BD 21 AA 00 F6 4B 56 49 4C 53 30 37 33");
  Factory7C_43BCA1(L(), 1);
  EXPECT_EQ(TakeHex(), "1B 7C 01 06 00 1B 74 43 BC A1 01");
  Factory7C_2FD097(L(), 5);
  EXPECT_EQ(TakeHex(), "1B 7C 01 06 00 1B 74 2F D0 97 05");
  Factory7C_A35CD1(L(), 0x40, 0, 0);
  EXPECT_EQ(TakeHex(), "1B 7C 01 08 00 1B 74 A3 5C D1 40 00 00");
  Factory7C_0AF505(L(), 1);
  EXPECT_EQ(TakeHex(), "1B 7C 01 06 00 1B 74 0A F5 05 01");
  Factory7C_A15ED0(L());
  EXPECT_EQ(TakeHex(), "1B 7C 01 05 00 1B 74 A1 5E D0");
  Factory7C_03FC81(L());
  EXPECT_EQ(TakeHex(), "1B 7C 01 05 00 1B 74 03 FC 81");
  Factory7C_08F704(L(), 0);
  EXPECT_EQ(TakeHex(), "1B 7C 01 06 00 1B 74 08 F7 04 00");
}

TEST_F(Commands, TextFactoryCommands) {
  EXPECT_TRUE(Factory7C_639CB1(L(), "261206093000"));
  EXPECT_EQ(TakeHex(), "1B 7C 01 0B 00 1B 74 63 9C B1 1A 0C 06 09 1E 00");
  EXPECT_FALSE(Factory7C_639CB1(L(), "26120609300"));
  EXPECT_EQ(link->LastError(), -939);
  EXPECT_TRUE(Factory7C_2BD495(L(), "AB12345678XYZ"));
  EXPECT_EQ(TakeHex(), "1B 7C 01 0F 00 1B 74 2B D4 95 41 42 31 32 33 34 35 36 37 38");
  link->SetLastError(1);
  EXPECT_FALSE(Factory7C_2BD495(L(), "AB1234567"));
  EXPECT_EQ(ui.Calls().back().text, "Debug Error! SerialNoLength is Short");
  EXPECT_EQ(link->LastError(), 1);
  EXPECT_TRUE(Factory7C_23DC91(L(), "AB1234567800000000"));
  EXPECT_EQ(TakeHex(),
            "1B 7C 01 17 00 1B 74 23 DC 91 41 42 31 32 33 34 35 36 37 38 30 30 30 30 30 30 30 30");
  EXPECT_FALSE(Factory7C_23DC91(L(), "AB123456780000000"));
  EXPECT_EQ(link->LastError(), -939);
  EXPECT_EQ(TakeHex(), "");
}

TEST_F(Commands, FactoryCommandsOfFamily7D) {
  Factory7D_649B32(L(), 1);
  EXPECT_EQ(TakeHex(), "1B 7D 01 06 00 1B 74 64 9B 32 01");
  Factory7D_10EF08(L(), 2);
  EXPECT_EQ(TakeHex(), "1B 7D 01 06 00 1B 74 10 EF 08 02");
  Factory7D_807F40(L(), 0);
  EXPECT_EQ(TakeHex(), "1B 7D 01 06 00 1B 74 80 7F 40 00");
  Factory7D_01FE80(L(), 1, 300);
  EXPECT_EQ(TakeHex(), "1B 7D 01 08 00 1B 74 01 FE 80 01 2C 01");
  Factory7D_40BF20(L(), 48);
  EXPECT_EQ(TakeHex(), "1B 7D 01 06 00 1B 74 40 BF 20 30");
  Factory7D_F00F78(L(), 1);
  EXPECT_EQ(TakeHex(), "1B 7D 01 06 00 1B 74 F0 0F 78 01");
  Factory7D_4AB525(L(), 6, 0);
  EXPECT_EQ(TakeHex(), "1B 7D 01 07 00 1B 74 4A B5 25 06 00");
  Factory7D_41BEA0(L(), 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 0x1234);
  EXPECT_EQ(TakeHex(),
            "1B 7D 01 1B 00 1B 74 41 BE A0 01 02 03 00 04 00 05 00 06 00 07 00 08 00 09 00 0A 00 "
            "0B 00 34 12");
  Factory7D_827D41(L(), 3);
  EXPECT_EQ(TakeHex(), "1B 7D 01 06 00 1B 74 82 7D 41 03");
  Factory7D_45BAA2(L());
  EXPECT_EQ(TakeHex(), "1B 7D 01 05 00 1B 74 45 BA A2");
  Factory7D_26D913(L(), 0);
  EXPECT_EQ(TakeHex(), "1B 7D 01 07 00 1B 74 26 D9 13 01 00");
  Factory7D_48B724(L(), 1);
  EXPECT_EQ(TakeHex(), "1B 7D 01 06 00 1B 74 48 B7 24 01");
  Factory7D_4FB0A7(L(), 0);
  EXPECT_EQ(TakeHex(), "1B 7D 01 06 00 1B 74 4F B0 A7 00");
  Factory7D_13EC89(L(), 1, 4, 14400);
  EXPECT_EQ(TakeHex(), "1B 7D 01 0B 00 1B 74 13 EC 89 01 04 40 38 00 00");
  Factory7D_02FD01(L(), 2, 0, 86400, 0, 0);
  EXPECT_EQ(TakeHex(), "1B 7D 01 10 00 1B 74 02 FD 01 02 00 80 51 01 00 00 00 00 00 00");
  Factory7D_03FC81(L(), 2);
  EXPECT_EQ(TakeHex(), "1B 7D 01 07 00 1B 74 03 FC 81 02 00");
  Factory7D_14EB0A(L(), 1, 2, 0x0304);
  EXPECT_EQ(TakeHex(), "1B 7D 01 09 00 1B 74 14 EB 0A 01 02 04 03");
  Factory7D_847B42(L(), 1, 2, 0x0304);
  EXPECT_EQ(TakeHex(), "1B 7D 01 09 00 1B 74 84 7B 42 01 02 04 03");
  Factory7D_42BD21(L(), 1, 2, 3);
  EXPECT_EQ(TakeHex(), "1B 7D 01 0A 00 1B 74 42 BD 21 01 02 00 00 03");
  Factory7D_857AC2(L(), 0x01020304);
  EXPECT_EQ(TakeHex(), "1B 7D 01 09 00 1B 74 85 7A C2 04 03 02 01");
  Factory7D_47B8A3(L(), 9);
  EXPECT_EQ(TakeHex(), "1B 7D 01 07 00 1B 74 47 B8 A3 09 00");
  Factory7D_06F903(L(), 1, 2);
  EXPECT_EQ(TakeHex(), "1B 7D 01 07 00 1B 74 06 F9 03 01 02");
  // Byte arguments keep their low eight bits.
  Factory7D_10EF08(L(), 0x1FF);
  EXPECT_EQ(TakeHex(), "1B 7D 01 06 00 1B 74 10 EF 08 FF");
}

TEST_F(Commands, TheTableFindsCommandsByFamilyAndTriple) {
  EXPECT_EQ(FactoryCommands().size(), 42u);
  const FactoryCommandSpec* move = FindFactoryCommand(0x7D, 0x01FE80);
  ASSERT_NE(move, nullptr);
  EXPECT_EQ(move->layout, "BW");
  EXPECT_EQ(FindFactoryCommand(0x7D, 0x01FE81), nullptr);  // not a code triple
  EXPECT_EQ(FindFactoryCommand(0x7B, 0x01FE80), nullptr);  // not in that family
  const std::int64_t tooFew[] = {1};
  EXPECT_FALSE(AppendFactoryCommand(L(), *move, tooFew));
  EXPECT_EQ(TakeHex(), "");
}

}  // namespace
