#include "printer/port_map.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <fstream>

#include "driver/device_directory.h"
#include "support/temp_folder.h"

namespace {

std::string Link(const std::string& instance) {
  return "\\\\?\\USB#VID_7E57&PID_0A01#" + instance + "#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";
}

class PortMapTest : public ::testing::Test {
protected:
  PortMapTest()
      : registry(folder / "Registry", clock),
        directory(registry),
        map(folder.Path(), registry, clock) {}

  // Plugs a printer in, one second after the one before.
  void Plug(const std::string& instance) {
    clock.Advance(std::chrono::seconds(1));
    directory.Attach({Link(instance), 0, "test:" + instance});
  }
  std::string File() const { return folder.Read("USB.ini"); }

  testing_support::TempFolder folder;
  platform::FakeClock clock;
  platform::Registry registry;
  driver::DeviceDirectory directory;
  printer::PortMap map;
};

TEST_F(PortMapTest, DiscoveryKeepsFourPresentPrintersOldestFirst) {
  Plug("ZZZZZZZZZZ");
  Plug("AAAAAAAAAA");
  Plug("NINECHARS");  // instance too short
  Plug("MMMMMMMMMMMMMMMMMMMM");
  Plug("BBBBBBBBBBBBBBBBBBBBB");  // 21: too long
  EXPECT_EQ(printer::DiscoverUsbPrinters(registry),
            (std::vector<std::string>{Link("ZZZZZZZZZZ"), Link("AAAAAAAAAA"),
                                      Link("MMMMMMMMMMMMMMMMMMMM")}));
  // A device that is no longer present has a reference count of 0.
  registry.SetDword(std::string(driver::kUsbPrintClassKey) + "\\" +
                        driver::DeviceDirectory::KeyNameOf(Link("AAAAAAAAAA")) + "\\Control",
                    "ReferenceCount", 0);
  EXPECT_EQ(printer::DiscoverUsbPrinters(registry).size(), 2u);
}

TEST_F(PortMapTest, AFifthPrinterIsIgnored) {
  for (const char* name : {"AAAAAAAAAA", "BBBBBBBBBB", "CCCCCCCCCC", "DDDDDDDDDD", "EEEEEEEEEE"})
    Plug(name);
  EXPECT_EQ(printer::DiscoverUsbPrinters(registry).size(), 4u);
}

TEST_F(PortMapTest, AKnownPrinterKeepsItsSlotAndNewOnesFillEmptySlotsInOrder) {
  std::ofstream(folder / "USB.ini")
      << "Printer1=\r\nPrinter2=\r\nPrinter3=" << Link("KNOWNKNOWN") << "\r\nPrinter4=\r\n";
  ASSERT_TRUE(map.LoadAtStartup());
  Plug("KNOWNKNOWN");
  map.RefreshPortMap();
  EXPECT_EQ(map.Slot(3), Link("KNOWNKNOWN"));
  EXPECT_EQ(map.Slot(1), "");

  Plug("NEWFIRST01");
  Plug("NEWSECOND2");
  map.RefreshPortMap();
  EXPECT_EQ(map.Slot(1), Link("NEWFIRST01"));
  EXPECT_EQ(map.Slot(2), Link("NEWSECOND2"));
  EXPECT_EQ(map.Slot(3), Link("KNOWNKNOWN"));
  EXPECT_EQ(File(), "Printer1=" + Link("NEWFIRST01") + "\r\nPrinter2=" + Link("NEWSECOND2") +
                        "\r\nPrinter3=" + Link("KNOWNKNOWN") + "\r\nPrinter4=\r\n");
}

TEST_F(PortMapTest, AGonePrinterKeepsItsSlot) {
  Plug("FIRSTFIRST");
  map.RefreshPortMap();
  directory.Detach(Link("FIRSTFIRST"));
  map.RefreshPortMap();
  EXPECT_EQ(map.Slot(1), Link("FIRSTFIRST"));
}

// After a board or printer exchange the slots remember printers that are away; a printer
// plugged in alone still gets a port: the first slot never used, else one of an absent printer.
TEST_F(PortMapTest, APrinterPluggedInAloneGetsAPortWhenTheFirstSlotsRememberOthers) {
  std::ofstream(folder / "USB.ini") << "Printer1=" << Link("AWAYAWAY01") << "\r\nPrinter2=\r\n"
                                    << "Printer3=" << Link("AWAYAWAY03") << "\r\nPrinter4=\r\n";
  ASSERT_TRUE(map.LoadAtStartup());
  Plug("NEWBOARD01");
  map.RefreshPortMap();
  EXPECT_EQ(map.Slot(2), Link("NEWBOARD01"));  // never used
  EXPECT_EQ(map.Slot(1), Link("AWAYAWAY01"));  // the others keep theirs
  // Alone on the bench, it is what the ports of the printers that are away open; an empty
  // slot opens nothing.
  EXPECT_EQ(map.PrinterForSlot(1), Link("NEWBOARD01"));
  EXPECT_EQ(map.PrinterForSlot(3), Link("NEWBOARD01"));
  EXPECT_EQ(map.PrinterForSlot(4), "");

  std::ofstream(folder / "USB.ini", std::ios::trunc)
      << "Printer1=" << Link("AWAYAWAY01") << "\r\nPrinter2=" << Link("AWAYAWAY02") << "\r\n"
      << "Printer3=" << Link("PRESENT003") << "\r\nPrinter4=" << Link("AWAYAWAY04") << "\r\n";
  printer::PortMap full(folder.Path(), registry, clock);
  ASSERT_TRUE(full.LoadAtStartup());
  directory.Detach(Link("NEWBOARD01"));
  Plug("PRESENT003");
  Plug("NEWBOARD02");
  full.RefreshPortMap();
  EXPECT_EQ(full.Slot(3), Link("PRESENT003"));
  EXPECT_EQ(full.Slot(1), Link("NEWBOARD02"));  // the first printer that is not present
  EXPECT_EQ(full.Slot(2), Link("AWAYAWAY02"));
  EXPECT_EQ(full.Slot(4), Link("AWAYAWAY04"));
  // With two attached, a slot opens its own printer or none.
  EXPECT_EQ(full.PrinterForSlot(2), Link("AWAYAWAY02"));
  EXPECT_EQ(full.PrinterForSlot(3), Link("PRESENT003"));
}

TEST_F(PortMapTest, TheFileIsWrittenInPlaceAndReadByItsKeys) {
  std::ofstream(folder / "USB.ini")
      << "Printer1=OLD-A-VERY-LONG-LINK-TEXT\r\nPrinter2=x\r\nPrinter3=y\r\nPrinter4=z\r\ntail\r\n";
  ASSERT_TRUE(map.LoadAtStartup());
  EXPECT_EQ(map.Previous()[0], "OLD-A-VERY-LONG-LINK-TEXT");
  map.RefreshPortMap();  // nothing attached: the slots stay as they were
  EXPECT_EQ(map.Slot(4), "z");
  // A token without its key leaves that slot empty.
  std::ofstream(folder / "USB.ini", std::ios::trunc) << "Printer1=a,Printer9=b,Printer3=c\r\n";
  ASSERT_TRUE(map.ReadPortMapFile());
  EXPECT_EQ(map.Previous()[0], "a");
  EXPECT_EQ(map.Previous()[1], "");
  EXPECT_EQ(map.Previous()[2], "c");
}

TEST_F(PortMapTest, AMissingFileIsMadeByTheFirstRefresh) {
  EXPECT_FALSE(map.LoadAtStartup());
  Plug("ONLYONEONE");
  map.RefreshPortMap();
  EXPECT_EQ(File(),
            "Printer1=" + Link("ONLYONEONE") + "\r\nPrinter2=\r\nPrinter3=\r\nPrinter4=\r\n");
}

TEST_F(PortMapTest, ALockedFileIsRetriedForABoundedTime) {
  std::ofstream(folder / "USB.ini") << "Printer1=\r\n";
  const int fd = ::open((folder / "USB.ini").c_str(), O_RDONLY);
  ASSERT_EQ(::flock(fd, LOCK_EX), 0);
  EXPECT_FALSE(map.ReadPortMapFile());
  EXPECT_FALSE(map.WritePortMapFile());
  EXPECT_EQ(clock.SleepCount(), 2 * printer::PortMap::kLockTries);
  ::close(fd);
  EXPECT_TRUE(map.ReadPortMapFile());
}

}  // namespace
