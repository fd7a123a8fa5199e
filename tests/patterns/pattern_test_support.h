#pragma once
// The encoder fixture with the job read back as the printer decodes it: its raster blocks.

#include <gtest/gtest.h>

#include <vector>

#include "encoder/encoder_test_support.h"
#include "vprinter/command_parser.h"

namespace testing_support {

class PatternFixture : public ::testing::Test, public EncoderFixture {
protected:
  // The raster blocks of the whole job, which must end on a command boundary.
  std::vector<vprinter::RasterBlock> Blocks() {
    struct Sink : vprinter::CommandSink {
      std::vector<vprinter::RasterBlock> blocks;
      void OnRaster(const vprinter::RasterBlock& block) override { blocks.push_back(block); }
    } sink;
    vprinter::CommandParser parser(sink);
    parser.Feed(link->JobData(), link->JobLength());
    EXPECT_FALSE(parser.Incomplete());
    return sink.blocks;
  }
};

}  // namespace testing_support
