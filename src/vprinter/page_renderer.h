#pragma once
// What a printer puts on paper: follows page set-up, positions and raster blocks of the command
// stream, and turns each finished page into a PNG: one colour per colour code (with a legend of
// the codes in the margin), dot size as intensity, scaled to fit a screen unless asked for full
// resolution (one pixel per dot).

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "vprinter/command_parser.h"

namespace vprinter {

struct PlacedBlock {
  double x = 0;       // inches from the left edge
  double y = 0;       // inches from the top edge
  double hPitch = 0;  // inches between dots across
  double vPitch = 0;  // inches between rows
  RasterBlock block;
};

struct Page {
  double width = 0;   // inches; 0 when the job set no paper size
  double length = 0;  // inches; 0 when the job set no length
  std::vector<PlacedBlock> blocks;
};

class PageRenderer {
public:
  // warn is told of anything odd in the job; the renderer goes on.
  explicit PageRenderer(std::function<void(const std::string&)> warn);

  // A reset returns the units and the print head to the left; the paper stays where it is.
  void Reset();
  void Setting(char letter, const Bytes& params);
  // The factory commands that move the carriage or feed the paper between raster blocks.
  void Factory(const FactoryCommand& command);
  void Raster(const RasterBlock& block);
  // Moves down by this many rows of the current resolution (the printer's own patterns).
  void FeedRows(int rows);
  // Ends the page; returns it (an empty page when nothing was printed on it).
  Page EndPage();
  bool HasContent() const { return !page_.blocks.empty(); }

private:
  double HorizontalUnit() const { return static_cast<double>(hUnit_) / base_; }
  double VerticalUnit() const { return static_cast<double>(vUnit_) / base_; }

  std::function<void(const std::string&)> warn_;
  Page page_;
  int base_ = 2880;
  int pageUnit_ = 1;
  int vUnit_ = 1;
  int hUnit_ = 1;
  double hPitch_ = 1.0 / 360;
  double vPitch_ = 1.0 / 360;
  double x_ = 0;
  double y_ = 0;
};

// Dots printed, by colour code.
using DotCounts = std::map<int, std::uint64_t>;
DotCounts CountDots(const Page& page);

// Writes the page as a PNG; false with the reason in *error.
bool WritePagePng(const Page& page, const std::string& path, bool full, std::string* error);

// The colour a colour code prints in (0x00RRGGBB).
std::uint32_t InkColour(int code);

struct RenderSummary {
  int pages = 0;
  int rasterBlocks = 0;
  std::uint64_t rows = 0;
  DotCounts dots;
  int factoryCommands = 0;
  int remoteCommands = 0;
  std::vector<std::string> warnings;
  std::vector<std::string> files;
};

// Reads a whole job as a fresh printer would and writes its pages as OUT.png, OUT-2.png, ...
RenderSummary RenderJob(const Bytes& job, const std::string& outputPng, bool full);

// The pages a fresh printer would put on paper for the job, blank ones left out.
std::vector<Page> ReadPages(const Bytes& job);

}  // namespace vprinter
