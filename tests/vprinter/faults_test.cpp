// The fault table: every fault as the command line writes it survives the state file and reads
// back the same; values that do not fit are refused.

#include "vprinter/faults.h"

#include <gtest/gtest.h>

#include "support/temp_folder.h"

namespace {

TEST(Faults, EveryFormRoundTripsThroughTheStateFile) {
  const std::vector<std::string> given = {
      "paper-out",       "paper-jam",           "disconnect",     "boot-mode",
      "erase-fails",     "erase-hangs",         "motor-fails",    "unit-offline",
      "unit-detached",   "unit-calibration",    "rom-read-fails", "stuck-status=7",
      "read-fail=66-75", "write-fail=8192-8447"};
  vprinter::Faults faults;
  for (const std::string& fault : given) EXPECT_TRUE(vprinter::ParseFault(fault, faults)) << fault;
  EXPECT_EQ(vprinter::DescribeFaults(faults), given);
  EXPECT_EQ(faults.readFailFrom, 66);
  EXPECT_EQ(faults.readFailTo, 75);
  EXPECT_EQ(faults.stuckStatus, 7);

  testing_support::TempFolder folder;
  vprinter::PrinterState state = vprinter::FactoryImage("LW", "faulty");
  state.faults = faults;
  ASSERT_TRUE(vprinter::SaveState(state, folder / "state.bin"));
  std::string problem;
  const auto loaded = vprinter::LoadState(folder / "state.bin", &problem);
  ASSERT_TRUE(loaded) << problem;
  EXPECT_EQ(vprinter::DescribeFaults(loaded->faults), given);

  // Each fault on its own comes back alone: no row writes another's member.
  for (const std::string& fault : given) {
    vprinter::Faults one;
    ASSERT_TRUE(vprinter::ParseFault(fault, one));
    state.faults = one;
    ASSERT_TRUE(vprinter::SaveState(state, folder / "state.bin"));
    EXPECT_EQ(vprinter::DescribeFaults(vprinter::LoadState(folder / "state.bin", &problem)->faults),
              std::vector<std::string>{fault});
  }
}

TEST(Faults, ValuesThatDoNotFitAreRefusedAndChangeNothing) {
  vprinter::Faults faults;
  for (const char* bad : {"paper", "paper-jam=1", "stuck-status", "stuck-status=", "stuck-status=x",
                          "stuck-status=-2", "read-fail=10", "read-fail=20-10", "read-fail=a-b",
                          "read-fail=0x10-0x1F0z", ""})
    EXPECT_FALSE(vprinter::ParseFault(bad, faults)) << bad;
  EXPECT_TRUE(vprinter::DescribeFaults(faults).empty());
  EXPECT_TRUE(vprinter::ParseFault("read-fail=0x10-0x1F", faults));
  EXPECT_EQ(faults.readFailTo, 0x1F);
  EXPECT_NE(vprinter::FaultForms().find("read-fail=FROM-TO"), std::string::npos);
}

}  // namespace
