// What the virtual printer puts on paper: jobs built by the encoder, read back as pages, and
// damaged jobs that must warn and go on.

#include "vprinter/page_renderer.h"

#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>

#include "encoder/compression.h"
#include "encoder/encoder_test_support.h"
#include "encoder/raster_commands.h"
#include "encoder/remote_commands.h"
#include "support/temp_folder.h"

namespace {

using vprinter::Bytes;

class RenderTest : public ::testing::Test, public testing_support::EncoderFixture {
protected:
  Bytes Job() const { return Bytes(link->JobData(), link->JobData() + link->JobLength()); }
  vprinter::RenderSummary Render(const Bytes& job, bool full = false) {
    return vprinter::RenderJob(job, folder / "page.png", full);
  }
  // A job as the patterns build one: remote mode, page set-up, blocks of "10000001" rows.
  void FourColourJob(int rows, int bytes) {
    encoder::ResetPrinter(*link);
    encoder::EnterRemoteMode(*link);
    encoder::RemoteJobStart(*link);
    encoder::ExitRemoteMode(*link);
    encoder::EnterGraphicsMode(*link);
    encoder::SetUnit(*link, 1, 1, 1, 2880);
    encoder::SetResolutionInfo(*link, 360, 360);
    encoder::SetPaperSize(*link, 2880 * 4, 2880 * 3);
    for (int colour : {0x00, 0x01, 0x02, 0x04}) {
      encoder::SetAbsHoriPos(*link, 1440);
      encoder::SetRasterData(*link, colour, 2, bytes, rows);
      for (int r = 0; r < rows; ++r) encoder::AppendBitPattern(*link, "10000001", bytes);
      encoder::SetRelVertPos4Byte(*link, static_cast<std::uint32_t>(rows * 8 + 240));
    }
    encoder::EndPage(*link);
    encoder::EnterRemoteMode(*link);
    encoder::RemoteJobEnd(*link);
    encoder::ExitRemoteMode(*link);
  }
  // A bar of rows of `bits` (every dot set unless told), of the given dots per inch across (360
  // down), on a sheet of the given width, `at` 1/2880 inch from its left edge.
  void BarJob(int sheetInches, int dotsPerInch, int at, int rows = 200, int bytes = 90,
              std::string_view bits = "11111111") {
    encoder::ResetPrinter(*link);
    encoder::EnterGraphicsMode(*link);
    encoder::SetUnit(*link, 1, 1, 1, 2880);
    encoder::SetResolutionInfo(*link, 360, dotsPerInch);
    encoder::SetPaperSize(*link, 2880 * sheetInches, 2880 * 2);
    encoder::SetAbsHoriPos(*link, static_cast<std::uint32_t>(at));
    encoder::SetRasterData(*link, 0x00, 2, bytes, rows);
    for (int r = 0; r < rows; ++r) encoder::AppendBitPattern(*link, bits, bytes);
    encoder::EndPage(*link);
  }
  // The white pixels inside the box that holds every inked pixel of the page (the margin with
  // its legend left out).
  int WhiteInsideTheInk(const std::string& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    EXPECT_NE(png_image_begin_read_from_file(&image, path.c_str()), 0) << path;
    image.format = PNG_FORMAT_RGB;
    std::vector<std::uint8_t> rgb(PNG_IMAGE_SIZE(image));
    EXPECT_NE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr), 0) << path;
    const int width = static_cast<int>(image.width) - 240;
    const int height = static_cast<int>(image.height);
    auto white = [&](int x, int y) {
      const std::uint8_t* p = &rgb[(static_cast<std::size_t>(y) * image.width + x) * 3];
      return p[0] == 255 && p[1] == 255 && p[2] == 255;
    };
    int left = width, right = -1, top = height, bottom = -1;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        if (white(x, y)) continue;
        left = std::min(left, x), right = std::max(right, x);
        top = std::min(top, y), bottom = std::max(bottom, y);
      }
    }
    EXPECT_GE(right, left) << "nothing was inked";
    int count = 0;
    for (int y = top; y <= bottom; ++y) {
      for (int x = left; x <= right; ++x) count += white(x, y) ? 1 : 0;
    }
    return count;
  }
  std::pair<int, int> PngSize(const std::string& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    EXPECT_NE(png_image_begin_read_from_file(&image, path.c_str()), 0) << path;
    png_image_free(&image);
    return {static_cast<int>(image.width), static_cast<int>(image.height)};
  }

  testing_support::TempFolder folder;
};

TEST_F(RenderTest, AJobOfFourColoursPrintsEveryDot) {
  FourColourJob(60, 90);
  const auto summary = Render(Job());
  EXPECT_EQ(summary.pages, 1);
  EXPECT_EQ(summary.rasterBlocks, 4);
  EXPECT_EQ(summary.rows, 240u);
  EXPECT_EQ(summary.remoteCommands, 3);
  EXPECT_TRUE(summary.warnings.empty()) << summary.warnings.front();
  ASSERT_EQ(summary.dots.size(), 4u);
  for (const auto& [colour, dots] : summary.dots)
    EXPECT_EQ(dots, 60u * 90 * 2) << colour;  // 0x81: two dots
  ASSERT_EQ(summary.files.size(), 1u);
  const auto [width, height] = PngSize(summary.files[0]);
  EXPECT_LE(std::max(width - 240, height), 1600);  // a 4 x 3 inch page fits a screen
}

TEST_F(RenderTest, FullResolutionIsOneDotAPixel) {
  FourColourJob(10, 10);
  const auto summary = Render(Job(), true);
  const auto [width, height] = PngSize(summary.files[0]);
  EXPECT_EQ(width, 4 * 360 + 240);
  EXPECT_EQ(height, 3 * 360);
}

// A white line through a solid area would look like a nozzle that did not fire: solid stays
// solid at full resolution and at the screen scales of a narrow and a wide sheet, with dots as
// wide as a pixel and twice as wide, starting on a whole pixel (where rounding errors of the
// position fall on both sides of it) and between two.
TEST_F(RenderTest, SolidAreasHaveNoWhiteLines) {
  for (const int sheetInches : {3, 5, 13}) {
    for (const int dotsPerInch : {360, 180}) {
      for (const bool full : {false, true}) {
        for (const int at : {1440, 1443}) {
          BarJob(sheetInches, dotsPerInch, at);
          const auto summary = Render(Job(), full);
          ASSERT_EQ(summary.files.size(), 1u);
          EXPECT_EQ(WhiteInsideTheInk(summary.files[0]), 0)
              << sheetInches << " inch sheet, " << dotsPerInch << " dots per inch, full " << full
              << ", at " << at;
          link->ClearJob();
        }
      }
    }
  }
}

// A dot smaller than a pixel of the scaled picture still shows: one nozzle's single dot on a wide
// sheet is a pixel, not nothing.
TEST_F(RenderTest, ADotSmallerThanAPixelStillShows) {
  BarJob(13, 360, 1443, 1, 1, "10000000");
  const auto summary = Render(Job());
  ASSERT_EQ(summary.files.size(), 1u);
  EXPECT_EQ(WhiteInsideTheInk(summary.files[0]), 0);  // fails when nothing was inked
}

TEST_F(RenderTest, PositionsAndPitchesPlaceTheRows) {
  std::vector<std::string> warnings;
  vprinter::PageRenderer pages([&warnings](const std::string& w) { warnings.push_back(w); });
  pages.Setting('U', {1, 1, 1, 0x40, 0x0B});     // 1/2880 inch
  pages.Setting('D', {0xA0, 0x05, 0x02, 0x01});  // 720 dots per inch across, 1440 down
  pages.Setting('$', {0x40, 0x0B, 0x00, 0x00});  // one inch across
  pages.Setting('v', {0x80, 0x16, 0x00, 0x00});  // two inches down
  vprinter::RasterBlock block{0x80, 1, 2, 1, {{0xFF, 0x01}}};
  pages.Raster(block);
  const vprinter::Page page = pages.EndPage();
  ASSERT_EQ(page.blocks.size(), 1u);
  EXPECT_DOUBLE_EQ(page.blocks[0].x, 1.0);
  EXPECT_DOUBLE_EQ(page.blocks[0].y, 2.0);
  EXPECT_DOUBLE_EQ(page.blocks[0].hPitch, 1.0 / 720);
  EXPECT_DOUBLE_EQ(page.blocks[0].vPitch, 1.0 / 1440);
  EXPECT_EQ(vprinter::CountDots(page).at(0x80), 9u);  // one bit per dot
  EXPECT_TRUE(warnings.empty());

  // A top margin above the paper edge starts the page an inch up.
  pages.Setting('C', {0x80, 0x16, 0x00, 0x00});                          // two inches long
  pages.Setting('c', {0xC0, 0xF4, 0xFF, 0xFF, 0x40, 0x0B, 0x00, 0x00});  // top -2880
  pages.Setting('v', {0x80, 0x16, 0x00, 0x00});
  pages.Raster(block);
  EXPECT_DOUBLE_EQ(pages.EndPage().blocks.at(0).y, 1.0);
  EXPECT_TRUE(warnings.empty());
}

// Between blocks the printer moves its carriage and feeds the paper by factory command, and a
// reset does not take the paper back: a sheet built that way prints its blocks one under the
// other, never over each other.
TEST_F(RenderTest, CarriageMovesAndFeedsPlaceTheNextBlock) {
  vprinter::PageRenderer pages([](const std::string&) {});
  const vprinter::RasterBlock block{0x00, 2, 1, 1, {{0xC0}}};
  pages.Setting('v', {0x40, 0x0B, 0x00, 0x00});  // one inch down
  pages.Raster(block);
  pages.Reset();
  pages.Factory({0x7D, 0x01, {}, 0x01, {3, 0xD0, 0x02}});        // carriage to 720/360 inch
  pages.Factory({0x7D, 0x01, {}, 0x84, {0, 1, 0x40, 0x0B}});     // feed 2880/2880 inch
  pages.Raster(block);
  pages.Factory({0x7D, 0x01, {}, 0x02, {3, 0, 0, 0, 0, 0, 2, 0x80, 0x16, 0, 0}});  // feed run 2 in
  pages.Factory({0x7C, 0x01, {}, 0x84, {0, 1, 0x40, 0x0B}});     // another family: no move
  pages.Raster(block);
  const vprinter::Page page = pages.EndPage();
  ASSERT_EQ(page.blocks.size(), 3u);
  EXPECT_DOUBLE_EQ(page.blocks[0].y, 1.0);
  EXPECT_DOUBLE_EQ(page.blocks[1].x, 2.0);
  EXPECT_DOUBLE_EQ(page.blocks[1].y, 2.0);  // kept through the reset, then fed an inch
  EXPECT_DOUBLE_EQ(page.blocks[2].y, 4.0);
  pages.Raster(block);
  EXPECT_DOUBLE_EQ(pages.EndPage().blocks.at(0).y, 0.0);  // a new page starts at the top
}

TEST_F(RenderTest, UnequalResolutionsKeepRowsAndDotsOnTheirOwnPitch) {
  std::vector<std::string> warnings;
  vprinter::PageRenderer pages([&warnings](const std::string& w) { warnings.push_back(w); });
  pages.Setting('U', {1, 1, 1, 0x40, 0x0B});     // 1/2880 inch
  pages.Setting('D', {0xA0, 0x05, 0x04, 0x01});  // 360 dots per inch across, 1440 down
  pages.Setting('C', {0x40, 0x0B, 0x00, 0x00});  // one inch long
  // 1440 rows fill the inch exactly, at 1440 rows an inch; across, a byte is eight dots of 1/360.
  vprinter::RasterBlock fits{0x80, 1, 1, 1440, std::vector<Bytes>(1440, Bytes{0x81})};
  pages.Raster(fits);
  EXPECT_TRUE(warnings.empty()) << warnings.front();
  const vprinter::Page page = pages.EndPage();
  ASSERT_EQ(page.blocks.size(), 1u);
  EXPECT_DOUBLE_EQ(page.blocks[0].vPitch, 1.0 / 1440);
  EXPECT_DOUBLE_EQ(page.blocks[0].hPitch, 1.0 / 360);
  // One row more runs off the end of the page.
  pages.Setting('C', {0x40, 0x0B, 0x00, 0x00});
  vprinter::RasterBlock tooLong{0x80, 1, 1, 1441, std::vector<Bytes>(1441, Bytes{0x81})};
  pages.Raster(tooLong);
  EXPECT_EQ(warnings.size(), 1u);
}

TEST_F(RenderTest, RasterOffThePageIsLoggedNotFatal) {
  encoder::SetUnit(*link, 1, 1, 1, 2880);
  encoder::SetPaperSize(*link, 2880, 2880);
  encoder::SetAbsHoriPos(*link, 2880 * 2);
  encoder::SetRasterData(*link, 0, 2, 4, 1);
  encoder::AppendBitPattern(*link, "11111111", 4);
  encoder::EndPage(*link);
  const auto summary = Render(Job());
  EXPECT_EQ(summary.pages, 1);
  ASSERT_FALSE(summary.warnings.empty());
  EXPECT_EQ(summary.warnings[0], "raster runs past the right edge of the page");

  // Blank raster past the edge, as a wide text band leaves, is no loss.
  link->ClearJob();
  encoder::SetUnit(*link, 1, 1, 1, 2880);
  encoder::SetPaperSize(*link, 2880, 2880);
  encoder::SetRasterData(*link, 0, 2, 400, 1);
  encoder::AppendBitPattern(*link, "11111111", 1);
  encoder::AppendBitPattern(*link, "00000000", 399);
  encoder::EndPage(*link);
  EXPECT_TRUE(Render(Job()).warnings.empty());
}

TEST_F(RenderTest, DamagedJobsWarnAndGoOn) {
  const Bytes reset = {0x1B, 0x40};
  const struct {
    const char* what;
    Bytes job;
    const char* warning;
  } cases[] = {
      {"truncated raster header",
       {0x1B, 0x69, 0x00, 0x01, 0x02},
       "the job ended in the middle of a command"},
      {"literal past the row",
       {0x1B, 0x69, 0x00, 0x01, 0x02, 0x02, 0x00, 0x01, 0x00, 0x05, 1, 2, 3, 4, 5, 6},
       "raster row longer than its line"},
      {"repeat past the row",
       {0x1B, 0x69, 0x00, 0x01, 0x02, 0x02, 0x00, 0x01, 0x00, 0x80, 0x33},
       "raster row longer than its line"},
      {"length of 65535",
       {0x1B, 0x28, 0x43, 0xFF, 0xFF, 0x00},
       "the job ended in the middle of a command"},
      {"unknown command", {0x1B, 0x7E, 0x00}, "unknown ESC 126"},
      {"rows cut short",
       {0x1B, 0x69, 0x00, 0x01, 0x02, 0x04, 0x00, 0x03, 0x00, 0x80, 0x00},
       "the job ended in the middle of a command"},
      {"page never ended",
       {0x1B, 0x69, 0x00, 0x01, 0x02, 0x01, 0x00, 0x01, 0x00, 0x00, 0xFF},
       "the job ended without ending its page"},
  };
  for (const auto& c : cases) {
    const auto summary = Render(c.job);
    EXPECT_NE(std::find(summary.warnings.begin(), summary.warnings.end(), c.warning),
              summary.warnings.end())
        << c.what;
    // After any of them, a reset and a fresh page still print.
    Bytes job = c.job;
    job.insert(job.end(), reset.begin(), reset.end());
    EXPECT_NO_FATAL_FAILURE(Render(job)) << c.what;
  }
}

TEST_F(RenderTest, RandomStreamsNeverBreakTheRenderer) {
  std::uint32_t seed = 99;
  for (int round = 0; round < 100; ++round) {
    Bytes job(500);
    for (auto& b : job) {
      seed = seed * 1664525u + 1013904223u;
      b = static_cast<std::uint8_t>(seed >> 24);
      if (b % 5 == 0) b = 0x1B;
      if (b % 7 == 0) b = 0x69;
    }
    const auto summary = vprinter::RenderJob(job, folder / "noise.png", false);
    EXPECT_GE(summary.pages, 0);
  }
}

}  // namespace
