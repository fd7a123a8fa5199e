#include "vprinter/command_parser.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "vprinter/firmware_file.h"

namespace {

using vprinter::Bytes;

// Records what the parser found as readable lines.
struct Recorder : vprinter::CommandSink {
  std::vector<std::string> events;
  std::vector<vprinter::RasterBlock> rasters;
  std::vector<vprinter::FactoryCommand> factory;

  void OnReset() override { events.push_back("reset"); }
  void OnSetting(char letter, const Bytes& params) override {
    events.push_back(std::string("setting ") + letter + " " + std::to_string(params.size()));
  }
  void OnDirection(std::uint8_t d) override { events.push_back("direction " + std::to_string(d)); }
  void OnRaster(const vprinter::RasterBlock& block) override {
    events.push_back("raster " + std::to_string(block.rows.size()));
    rasters.push_back(block);
  }
  void OnControl(std::uint8_t byte) override {
    events.push_back("control " + std::to_string(byte));
  }
  void OnRemote(const std::string& name, const Bytes& params) override {
    events.push_back("remote " + name + " " + std::to_string(params.size()));
  }
  void OnFactory(const vprinter::FactoryCommand& command) override {
    events.push_back("factory " + std::to_string(command.family) + " " +
                     std::to_string(command.code));
    factory.push_back(command);
  }
  void OnFirmware(const Bytes& file) override {
    events.push_back("firmware " + std::to_string(file.size()));
  }
  void OnMalformed(const std::string& what) override { events.push_back("malformed " + what); }
};

Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// A job as the program builds one: reset, remote mode, a factory command, a raster block, a page.
Bytes SampleJob() {
  return Cat({
      {0x1B, 0x40},
      {0x1B, 0x28, 0x52, 0x08, 0x00, 0x00, 'R', 'E', 'M', 'O', 'T', 'E', '1'},
      {'J', 'S', 0x04, 0x00, 0x00, 0x00, 0x00, 0x00},
      {0x1B, 0x00, 0x00, 0x00},
      {0x1B, 0x7D, 0x01, 0x08, 0x00, 0x1B, 0x74, 0x01, 0xFE, 0x80, 0x01, 0x2C, 0x01},
      {0x1B, 0x28, 0x47, 0x01, 0x00, 0x01},
      {0x1B, 0x55, 0x01},
      // Two rows of 4 bytes: 300 equal bytes would not fit, so: FF 81 (two 81s) + literal 2.
      {0x1B, 0x69, 0x04, 0x01, 0x02, 0x04, 0x00, 0x02, 0x00},
      {0xFF, 0x81, 0x01, 0x01, 0x02},
      {0x00, 0x01, 0xFF, 0x02, 0x00, 0x03},
      {0x0D, 0x0A, 0x0C, 0x1B, 0x40, 0x1B, 0x40},
  });
}

const std::vector<std::string> kSampleEvents = {
    "reset",    "setting R 8", "remote JS 4", "factory 125 1", "setting G 1", "direction 1",
    "raster 2", "control 13",  "control 10",  "control 12",    "reset",       "reset"};

TEST(CommandParser, ReadsAWholeJob) {
  Recorder sink;
  vprinter::CommandParser parser(sink);
  const Bytes job = SampleJob();
  parser.Feed(job.data(), job.size());
  EXPECT_EQ(sink.events, kSampleEvents);
  EXPECT_FALSE(parser.Incomplete());
  ASSERT_EQ(sink.rasters.size(), 1u);
  EXPECT_EQ(sink.rasters[0].rows[0], (Bytes{0x81, 0x81, 0x01, 0x02}));
  EXPECT_EQ(sink.rasters[0].rows[1], (Bytes{0x01, 0x02, 0x02, 0x03}));
  ASSERT_EQ(sink.factory.size(), 1u);
  EXPECT_EQ(sink.factory[0].access, (std::array<std::uint8_t, 2>{0x1B, 0x74}));
  EXPECT_EQ(sink.factory[0].params, (Bytes{0x01, 0x2C, 0x01}));
}

TEST(CommandParser, PiecesOfAnySizeGiveTheSameCommands) {
  const Bytes job = SampleJob();
  for (std::size_t piece : {1u, 2u, 3u, 7u, 64u}) {
    Recorder sink;
    vprinter::CommandParser parser(sink);
    for (std::size_t at = 0; at < job.size(); at += piece) {
      parser.Feed(job.data() + at, std::min(piece, job.size() - at));
    }
    EXPECT_EQ(sink.events, kSampleEvents) << piece;
  }
}

TEST(CommandParser, DecodesRunsAndLiteralsByTheRunLengthRule) {
  Bytes row;
  bool damaged = false;
  const Bytes runs = {0x80, 0xAA, 0x80, 0xAA, 0xD7, 0xAA};  // 129 + 129 + 42 copies
  EXPECT_EQ(vprinter::CommandParser::DecodeRow(runs.data(), runs.size(), 300, row, &damaged), 6u);
  EXPECT_EQ(row, Bytes(300, 0xAA));
  EXPECT_FALSE(damaged);
  const Bytes single = {0x00, 0x42};
  EXPECT_EQ(vprinter::CommandParser::DecodeRow(single.data(), single.size(), 1, row, &damaged), 2u);
  EXPECT_EQ(row, Bytes{0x42});
  // Data that ends before the row is complete asks for more.
  EXPECT_EQ(vprinter::CommandParser::DecodeRow(runs.data(), 4, 300, row, &damaged), 0u);
  // A run longer than the row is cut and reported.
  EXPECT_EQ(vprinter::CommandParser::DecodeRow(runs.data(), runs.size(), 100, row, &damaged), 2u);
  EXPECT_EQ(row.size(), 100u);
  EXPECT_TRUE(damaged);
}

TEST(CommandParser, ATruncatedJobWaitsAndAnAbandonedOneIsForgotten) {
  Recorder sink;
  vprinter::CommandParser parser(sink);
  const Bytes job = SampleJob();
  parser.Feed(job.data(), 52);  // stops inside the raster block
  EXPECT_TRUE(parser.Incomplete());
  parser.Abandon();
  EXPECT_FALSE(parser.Incomplete());
  const Bytes reset = {0x1B, 0x40};
  parser.Feed(reset.data(), reset.size());
  EXPECT_EQ(sink.events.back(), "reset");
}

TEST(CommandParser, CorruptedCommandsAreReportedAndSkippedToTheNextEsc) {
  Recorder sink;
  vprinter::CommandParser parser(sink);
  const Bytes stream = Cat({
      {0x1B, 0x7C, 0x01, 0x06, 0x00, 0x1B, 0x74, 0x08, 0x00, 0x00, 0x00},  // bad triple
      {0x1B, 0x69, 0x04, 0x02, 0x02, 0x04, 0x00, 0x01, 0x00, 0x00},        // compression 2
      {0x55, 0x66},                                                        // stray bytes
      {0x1B, 0x51},                                                        // unknown ESC
      {0x1B, 0x40},
  });
  parser.Feed(stream.data(), stream.size());
  // Skipping may land on an ESC inside the broken command (here the access code's 1B) and
  // report that too; every fault is reported and the reset after them is read.
  ASSERT_GE(sink.events.size(), 4u);
  EXPECT_EQ(sink.events[0], "malformed bad factory code triple");
  EXPECT_NE(std::find(sink.events.begin(), sink.events.end(), "malformed bad raster header"),
            sink.events.end());
  EXPECT_NE(std::find(sink.events.begin(), sink.events.end(), "malformed unknown ESC 81"),
            sink.events.end());
  EXPECT_EQ(sink.events.back(), "reset");
  EXPECT_FALSE(parser.Incomplete());
}

TEST(CommandParser, RandomBytesNeverCrashIt) {
  Recorder sink;
  vprinter::CommandParser parser(sink);
  std::uint32_t seed = 12345;
  for (int round = 0; round < 200; ++round) {
    Bytes noise(97);
    for (auto& b : noise) {
      seed = seed * 1103515245u + 12345u;
      b = static_cast<std::uint8_t>(seed >> 16);
      if (b % 7 == 0) b = 0x1B;
    }
    parser.Feed(noise.data(), noise.size());
  }
  parser.Abandon();
  const Bytes reset = {0x1B, 0x40};
  parser.Feed(reset.data(), reset.size());
  EXPECT_EQ(sink.events.back(), "reset");
}

TEST(FirmwareFile, IsFoundInTheStreamAndChecked) {
  const Bytes file = vprinter::BuildFirmwareFile({"MW", "MW07C2", Bytes(1000, 0x5A)});
  Recorder sink;
  vprinter::CommandParser parser(sink);
  for (std::size_t at = 0; at < file.size(); at += 333) {
    parser.Feed(file.data() + at, std::min<std::size_t>(333, file.size() - at));
  }
  EXPECT_EQ(sink.events, (std::vector<std::string>{"firmware " + std::to_string(file.size())}));
  std::string error;
  const auto image = vprinter::ReadFirmwareFile(file, &error);
  ASSERT_TRUE(image.has_value());
  EXPECT_EQ(image->version, "MW07C2");
  Bytes damaged = file;
  damaged[500] ^= 1;
  EXPECT_FALSE(vprinter::ReadFirmwareFile(damaged, &error));
  EXPECT_EQ(error, "firmware file damaged (checksum)");
  EXPECT_FALSE(vprinter::ReadFirmwareFile(Bytes(file.begin(), file.end() - 10), &error));
}

}  // namespace
