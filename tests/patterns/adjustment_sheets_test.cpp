// The inspection and adjustment sheets, read back from the bytes the printer received: every
// raster block must decode to whole rows, and the marks must sit where the sheet needs them.

#include "patterns/adjustment_sheets.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "encoder/raster_commands.h"
#include "patterns/print_header.h"
#include "printer/printer_link.h"
#include "support/fake_driver.h"
#include "ui/scripted_ui_services.h"
#include "vprinter/command_parser.h"
#include "vprinter/page_renderer.h"

namespace {

using vprinter::Bytes;
using vprinter::RasterBlock;

// What a printer read from the stream, in order.
struct Received : vprinter::CommandSink {
  std::vector<RasterBlock> blocks;
  std::vector<vprinter::FactoryCommand> factory;
  std::vector<std::string> remote;
  std::vector<std::string> malformed;
  int pageEnds = 0;
  void OnRaster(const RasterBlock& block) override { blocks.push_back(block); }
  void OnFactory(const vprinter::FactoryCommand& command) override { factory.push_back(command); }
  void OnRemote(const std::string& name, const Bytes&) override { remote.push_back(name); }
  void OnControl(std::uint8_t byte) override { pageEnds += byte == 0x0C ? 1 : 0; }
  void OnMalformed(const std::string& what) override { malformed.push_back(what); }

  std::vector<const RasterBlock*> Sized(int width, int lines) const {
    std::vector<const RasterBlock*> found;
    for (const RasterBlock& b : blocks) {
      if (b.bytesPerLine == width && b.lines == lines) found.push_back(&b);
    }
    return found;
  }
  // The parameters of the factory commands with this family and first code byte.
  std::vector<Bytes> Factory(std::uint8_t family, std::uint8_t code) const {
    std::vector<Bytes> found;
    for (const auto& c : factory) {
      if (c.family == family && c.code == code) found.push_back(c.params);
    }
    return found;
  }
};

// The pages the printer would print from the stream, with every block where it lands.
struct Printed : vprinter::CommandSink {
  vprinter::PageRenderer renderer{[this](const std::string& w) { warnings.push_back(w); }};
  std::vector<vprinter::Page> pages;
  std::vector<std::string> warnings;
  void OnReset() override { renderer.Reset(); }
  void OnSetting(char letter, const Bytes& params) override { renderer.Setting(letter, params); }
  void OnRaster(const RasterBlock& block) override { renderer.Raster(block); }
  void OnControl(std::uint8_t byte) override {
    if (byte == 0x0C) pages.push_back(renderer.EndPage());
  }
  // The distinct heights, in 1/2880 inch, at which blocks of this size start.
  std::vector<long> Heights(int width, int lines) const {
    std::vector<long> found;
    for (const auto& placed : pages.at(0).blocks) {
      const long y = std::lround(placed.y * 2880);
      if (placed.block.bytesPerLine == width && placed.block.lines == lines &&
          (found.empty() || found.back() != y)) {
        found.push_back(y);
      }
    }
    return found;
  }
};

class SheetTest : public ::testing::Test {
protected:
  SheetTest() {
    auto owned = std::make_unique<testing_support::FakeDriver>();
    driver = owned.get();
    link = std::make_unique<printer::CPrinterLink>(printer::LinkEnvironment{settings, ui, clock},
                                                   std::move(owned));
    link->SetModel("MW");
    encoder::TXSetInfo(*link, 2, 0);
    header.MachineNo = "AB12";
    header.SerialNo = "WXAR591377";
  }
  Received Read() const {
    Received sink;
    vprinter::CommandParser parser(sink);
    parser.Feed(driver->received.data(), driver->received.size());
    EXPECT_FALSE(parser.Incomplete());
    EXPECT_TRUE(sink.malformed.empty()) << sink.malformed.front();
    for (const RasterBlock& b : sink.blocks) EXPECT_EQ(b.rows.size(), b.lines);
    return sink;
  }
  Printed Print() const {
    Printed sink;
    vprinter::CommandParser parser(sink);
    parser.Feed(driver->received.data(), driver->received.size());
    return sink;
  }
  // Where the 0xFF bytes of a row start and end, as [first, last] pairs.
  static std::vector<std::pair<int, int>> SolidRuns(const Bytes& row) {
    std::vector<std::pair<int, int>> runs;
    for (int i = 0; i < static_cast<int>(row.size()); ++i) {
      if (row[static_cast<std::size_t>(i)] != 0xFF) continue;
      if (!runs.empty() && runs.back().second == i - 1) {
        runs.back().second = i;
      } else {
        runs.emplace_back(i, i);
      }
    }
    return runs;
  }

  settings::AppSettings settings;
  ui::ScriptedUiServices ui;
  platform::FakeClock clock;
  testing_support::FakeDriver* driver;
  std::unique_ptr<printer::CPrinterLink> link;
  patterns::PrintHeaderInfo header;
};

TEST(SheetCounter, WrapsFrom255To1) {
  EXPECT_EQ(patterns::NextSheetCount(0), 1);
  EXPECT_EQ(patterns::NextSheetCount(254), 255);
  EXPECT_EQ(patterns::NextSheetCount(255), 1);
}

TEST_F(SheetTest, InspectionSheet1HasStaircaseMarksBarcodeAndAlignmentBands) {
  driver->nvram[patterns::kInspectionSheet1Counter] = 255;
  ASSERT_TRUE(patterns::PrintInspectionSheet1(*link, header, "1.00"));
  const Received r = Read();
  EXPECT_EQ(r.pageEnds, 1);
  EXPECT_EQ(r.remote.front(), "JS");

  // Ten staircase lanes: line i of lane k is solid in bytes 72k + 9(i mod 8) and the 8 after.
  const auto lanes = r.Sized(720, 360);
  ASSERT_EQ(lanes.size(), 10u);
  for (int k = 0; k < 10; ++k) {
    EXPECT_EQ(lanes[static_cast<std::size_t>(k)]->colour, 0x80 + k);
    for (int i : {0, 3, 7, 8, 359}) {
      const int at = 72 * k + 9 * (i % 8);
      EXPECT_EQ(SolidRuns(lanes[static_cast<std::size_t>(k)]->rows[static_cast<std::size_t>(i)]),
                (std::vector<std::pair<int, int>>{{at, at + 8}}))
          << "lane " << k << " line " << i;
    }
  }
  // The mark block: the bars at half height, thin double lines elsewhere.
  const auto marks = r.Sized(735, 360);
  ASSERT_EQ(marks.size(), 1u);
  EXPECT_EQ(SolidRuns(marks[0]->rows[181]),
            (std::vector<std::pair<int, int>>{{0, 89}, {477, 566}}));
  EXPECT_EQ(marks[0]->rows[0][44], 0x03);
  EXPECT_EQ(marks[0]->rows[0][45], 0xC0);

  // Burst bands, then 3 row groups x 4 passes x 10 colours of mark bands.
  const auto bands = r.Sized(1440, 360);
  ASSERT_EQ(bands.size(), 2u + 120u);
  EXPECT_EQ(bands[0]->rows[4][59], 0xAA);
  EXPECT_EQ(bands[1]->rows[4][59], 0x00);
  EXPECT_EQ(bands[1]->rows[4][71], 0xAA);
  // Colour 0x81 in row group 0 marks the first slot of set A (T[0] is 0x81) at bytes 1214-1249.
  const RasterBlock& cyan = *bands[2 + 1];
  EXPECT_EQ(cyan.colour, 0x81);
  EXPECT_EQ(SolidRuns(cyan.rows[0]), (std::vector<std::pair<int, int>>{{1214, 1249}}));
  EXPECT_TRUE(SolidRuns(cyan.rows[1]).empty());

  // The counter wrapped and was written after the sheet.
  const auto writes = r.Factory(0x7C, 0x02);
  ASSERT_EQ(writes.size(), 1u);
  EXPECT_EQ(writes[0][0], patterns::kInspectionSheet1Counter);
  EXPECT_EQ(writes[0][2], 1);
}

TEST_F(SheetTest, InspectionSheetBlocksLandAtTheirFeeds) {
  ASSERT_TRUE(patterns::PrintInspectionSheet1(*link, header, "1.00"));
  Printed p = Print();
  ASSERT_EQ(p.pages.size(), 1u);
  EXPECT_TRUE(p.warnings.empty()) << p.warnings.front();
  // The top margin lies an inch above the paper edge.
  const long top = -2880 + 3402;
  EXPECT_EQ(p.Heights(720, 360), (std::vector<long>{top}));         // staircase
  EXPECT_EQ(p.Heights(735, 360), (std::vector<long>{top + 4649}));  // marks
  EXPECT_EQ(p.Heights(1440, 360),                                   // alignment block A
            (std::vector<long>{top + 4649 + 5760, top + 4649 + 5760 + 2976,
                               top + 4649 + 5760 + 2 * 2976}));
  EXPECT_EQ(p.pages[0].length * 2880, 24718);

  driver->received.clear();
  ASSERT_TRUE(patterns::PrintInspectionSheet2(*link, header, "1.00"));
  p = Print();
  EXPECT_EQ(p.Heights(720, 360), (std::vector<long>{9071}));
  EXPECT_EQ(p.Heights(735, 360), (std::vector<long>{9071 + 5590}));
  EXPECT_EQ(p.Heights(2160, 360),  // block B's marks, then its rulers
            (std::vector<long>{9071 + 5590 + 5760, 9071 + 5590 + 5760 + 4036}));
}

TEST_F(SheetTest, InspectionSheet2HasFineMarksAndRulers) {
  driver->nvram[patterns::kInspectionSheet2Counter] = 7;
  ASSERT_TRUE(patterns::PrintInspectionSheet2(*link, header, "1.00"));
  const Received r = Read();
  const auto bands = r.Sized(2160, 360);
  ASSERT_EQ(bands.size(), 4u * 2u * 5u + 10u);
  // Pass 0 of colour 0x80: marks on line 0, the first after 10 blank bytes.
  EXPECT_EQ(bands[0]->rows[0][10], 0x80);
  EXPECT_EQ(bands[0]->rows[0][11 + 2 + 63], 0x80);
  EXPECT_TRUE(std::all_of(bands[0]->rows[1].begin(), bands[0]->rows[1].end(),
                          [](std::uint8_t b) { return b == 0; }));
  // Pass 1 puts the marks two bytes later, and colour 0x89 marks line 2.
  EXPECT_EQ(bands[5]->rows[0][12], 0x80);
  EXPECT_EQ(bands[1]->colour, 0x89);
  EXPECT_EQ(bands[1]->rows[2][10], 0x80);
  // Ruler 1 on even lines: medium dots from dot 144 x 4 + 182 on.
  const RasterBlock& ruler = *bands[40];
  EXPECT_EQ(ruler.rows[0][144 + 44], 0x00);
  EXPECT_EQ(ruler.rows[0][144 + 45], 0x0A);
  EXPECT_EQ(ruler.rows[0][144 + 46], 0xAA);
  EXPECT_TRUE(SolidRuns(ruler.rows[1]).empty());
  const auto writes = r.Factory(0x7C, 0x02);
  ASSERT_EQ(writes.size(), 1u);
  EXPECT_EQ(writes[0][0], patterns::kInspectionSheet2Counter);
  EXPECT_EQ(writes[0][2], 8);
}

TEST_F(SheetTest, AnUnsentSheetIsNotCounted) {
  // The printer refuses every send: the staircase's failed send is passed over, the next ends it.
  driver->sendEx.assign(10, {-5, 0});
  EXPECT_FALSE(patterns::PrintInspectionSheet1(*link, header, "1.00"));
  EXPECT_EQ(driver->sendEx.size(), 8u);
  EXPECT_EQ(std::count(driver->calls.begin(), driver->calls.end(), "Prod_ReplyEEP_LFP 129"), 0);

  // A counter that cannot be read fails the routine, after the sheet went out.
  driver->sendEx.clear();
  driver->received.clear();
  link->ClearJob();
  driver->readResults.push_back(-1);
  EXPECT_FALSE(patterns::PrintInspectionSheet2(*link, header, "1.00"));
  EXPECT_TRUE(Read().Factory(0x7C, 0x02).empty());
}

TEST_F(SheetTest, AMachineNumberWithoutBarcodeStopsTheSheet) {
  header.MachineNo = "ab";
  EXPECT_FALSE(patterns::PrintInspectionSheet1(*link, header, "1.00"));
  EXPECT_EQ(ui.Calls().back().text, "ERROR : M/C No. Unidentified character.");
  EXPECT_EQ(link->JobLength(), 0u);  // nothing of the sheet was built
  header.MachineNo = std::string(28, 'A');
  EXPECT_FALSE(patterns::PrintInspectionSheet2(*link, header, "1.00"));
  EXPECT_EQ(ui.Calls().back().text,
            "ERROR : M/C No. too long for the barcode: 28 characters, at most 27 fit.");
  EXPECT_EQ(link->JobLength(), 0u);
  EXPECT_EQ(patterns::MachineNoBarcodeProblem(std::string(27, 'A')), "");
}

TEST_F(SheetTest, LineSheetFollowsTheModel) {
  auto print = [&](const char* model) {
    driver->received.clear();
    link->SetModel(model);
    EXPECT_TRUE(patterns::PrintLineSheet(*link, header, "1.00"));
    return Read();
  };
  // LW: a wide frame in colour 0x82 with a solid last line and the off-grid dot in group six.
  Received r = print("MW");
  auto frame = r.Sized(3936, 360);
  ASSERT_EQ(frame.size(), 1u);
  EXPECT_EQ(frame[0]->colour, 0x82);
  EXPECT_EQ(SolidRuns(frame[0]->rows[359]), (std::vector<std::pair<int, int>>{{0, 3935}}));
  EXPECT_EQ(frame[0]->rows[300][5 * 354], 0xC0);
  EXPECT_EQ(frame[0]->rows[300][5 * 354 + 198], 0xC0);
  EXPECT_EQ(frame[0]->rows[300][3935], 0x30);
  EXPECT_EQ(r.pageEnds, 1);
  EXPECT_EQ(r.Factory(0x7D, 0x48).size(), 2u);  // switched on and off around the page

  // LN: the narrow frame in colour 0.
  r = print("LN");
  frame = r.Sized(2138, 360);
  ASSERT_EQ(frame.size(), 1u);
  EXPECT_EQ(frame[0]->colour, 0);
  EXPECT_EQ(frame[0]->rows[300][3 * 354 + 7], 0xC0);
  EXPECT_EQ(frame[0]->rows[300][2137], 0x03);

  // HS: only the header and the dummy-dot lines.
  r = print("HS");
  EXPECT_TRUE(r.Sized(3936, 360).empty());
  EXPECT_TRUE(r.Sized(2138, 360).empty());
  EXPECT_EQ(r.Sized(2, 1).size(), 13u);
}

TEST_F(SheetTest, LineSheetReadsTheInkKindAndAddsTheVariantLine) {
  header.InkSelectMode = 5;
  header.PatternVariant = 4909;
  driver->nvram[11639] = 1;
  ASSERT_TRUE(patterns::PrintLineSheet(*link, header, "1.00"));
  EXPECT_EQ(header.BlackInkKind, "Mk");
  const Received r = Read();
  const auto variant = r.Sized(2138, 180);
  ASSERT_EQ(variant.size(), 1u);
  EXPECT_EQ(SolidRuns(variant[0]->rows[0]).size(), 1u);

  driver->nvram[11639] = 2;  // neither kind: left as it was
  ASSERT_TRUE(patterns::PrintLineSheet(*link, header, "1.00"));
  EXPECT_EQ(header.BlackInkKind, "Mk");
  driver->nvram[11639] = 0;
  ASSERT_TRUE(patterns::PrintLineSheet(*link, header, "1.00"));
  EXPECT_EQ(header.BlackInkKind, "Pk");
  driver->readResults.push_back(-1);
  EXPECT_FALSE(patterns::PrintLineSheet(*link, header, "1.00"));
}

TEST_F(SheetTest, MechanicalSheetDrivesTheCarriageAndFeedsToTheStoredPosition) {
  ASSERT_TRUE(patterns::PrintMechanicalSheet(*link, header, "1.00"));
  const Received r = Read();
  // Carriage moves: 1500, the near position, 1000, the adjustment position.
  const auto& model = link->TestSettings();
  std::vector<int> moves;
  for (const Bytes& p : r.Factory(0x7D, 0x01)) moves.push_back(p[1] | p[2] << 8);
  EXPECT_EQ(moves, (std::vector<int>{1500, model.CrNearPos, 1000, model.CrAdjustPos}));
  // The last feed command carries the stored value (0 here) plus 12102.
  const auto feeds = r.Factory(0x7D, 0x02);
  ASSERT_EQ(feeds.size(), 4u);
  const Bytes& last = feeds.back();
  const std::size_t n = last.size();
  EXPECT_EQ(last[n - 4] | last[n - 3] << 8 | last[n - 2] << 16, 12102);
  EXPECT_EQ(r.Sized(990, 360).size(), 1u);
  EXPECT_EQ(r.Sized(19, 360)[0]->rows[70][0], 0xFF);
  EXPECT_EQ(r.Sized(18, 360)[0]->rows[10][0], 0xC0);
  EXPECT_EQ(SolidRuns(r.Sized(690, 360)[0]->rows[359]),
            (std::vector<std::pair<int, int>>{{513, 689}}));
  EXPECT_EQ(r.pageEnds, 1);

  driver->received.clear();
  driver->nvram[8496] = 0x10;
  driver->nvram[8499] = 0x01;
  ASSERT_TRUE(patterns::PrintMechanicalSheet(*link, header, "1.00"));
  const Bytes stored = Read().Factory(0x7D, 0x02).back();
  const std::size_t m = stored.size();
  EXPECT_EQ(static_cast<std::uint32_t>(stored[m - 4] | stored[m - 3] << 8 | stored[m - 2] << 16 |
                                       stored[m - 1] << 24),
            0x01000010u + 12102u);
  driver->readResults.push_back(-1);
  EXPECT_FALSE(patterns::PrintMechanicalSheet(*link, header, "1.00"));
}

TEST_F(SheetTest, FeedCheckBlocksAreTwentyInchesApartAndNotSent) {
  ASSERT_TRUE(patterns::PrintFeedCheckBlocks(*link));
  EXPECT_TRUE(driver->received.empty());
  ASSERT_TRUE(link->FlushJob());
  const Received r = Read();
  const auto blocks = r.Sized(2124, 360);
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_EQ(r.Sized(2, 1).size(), 80u);
  EXPECT_EQ(SolidRuns(blocks[1]->rows[269]), (std::vector<std::pair<int, int>>{{0, 2123}}));
  EXPECT_EQ(blocks[0]->rows[200][354], 0xC0);
  EXPECT_EQ(blocks[0]->rows[200][2123], 0x03);
  EXPECT_EQ(blocks[0]->rows[100][0], 0x00);
}

}  // namespace
