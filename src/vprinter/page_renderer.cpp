#include "vprinter/page_renderer.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>

#include "driver/get_str_image.h"
#include "vprinter/command_bytes.h"

namespace vprinter {
namespace {

constexpr double kFullDotsPerInch = 360;
constexpr double kScreenPixels = 1600;  // the longer side of a scaled page
// The largest picture of a page: a 64-inch wide sheet 30 feet long at full resolution.
constexpr double kMaxPagePixels = (64.0 * 360 + 240) * (360.0 * 360);
constexpr int kLegendWidth = 240;
constexpr double kBlankPageInches = 1;

// How dark a dot prints: small, medium and large drops.
double Intensity(int value, int bits) {
  if (bits == 1) return value != 0 ? 1.0 : 0.0;
  static constexpr double kSizes[4] = {0.0, 0.4, 0.7, 1.0};
  return kSizes[value & 3];
}

class Canvas {
public:
  Canvas(int width, int height)
      : width_(width), height_(height), rgb_(static_cast<std::size_t>(width) * height * 3, 255) {}
  int Width() const { return width_; }
  int Height() const { return height_; }
  // Ink on white: the darker of what is there and the dot wins, so overlaps do not turn black.
  void Dot(int x, int y, std::uint32_t colour, double intensity) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    std::uint8_t* pixel = &rgb_[(static_cast<std::size_t>(y) * width_ + x) * 3];
    for (int c = 0; c < 3; ++c) {
      const int ink = static_cast<int>((colour >> (16 - 8 * c)) & 0xFF);
      const auto value = static_cast<std::uint8_t>(std::lround(255 - (255 - ink) * intensity));
      pixel[c] = std::min(pixel[c], value);
    }
  }
  // A dot covers its cell, from its own place to its neighbour's, in pixels rounded to the
  // nearest: neighbouring dots meet without a white line between them at every scale, and a dot
  // is never less than one pixel.
  void Cell(double left, double top, double right, double bottom, std::uint32_t colour,
            double intensity) {
    const int x0 = static_cast<int>(std::lround(left));
    const int y0 = static_cast<int>(std::lround(top));
    const int x1 = std::max(x0 + 1, static_cast<int>(std::lround(right)));
    const int y1 = std::max(y0 + 1, static_cast<int>(std::lround(bottom)));
    for (int y = y0; y < y1; ++y) {
      for (int x = x0; x < x1; ++x) Dot(x, y, colour, intensity);
    }
  }
  void Box(int x, int y, int w, int h, std::uint32_t colour) {
    for (int dy = 0; dy < h; ++dy) {
      for (int dx = 0; dx < w; ++dx) Dot(x + dx, y + dy, colour, 1.0);
    }
  }
  void Text(int x, int y, const std::string& text) {
    std::vector<std::uint8_t> image(static_cast<std::size_t>(driver::kStrImageColumns) *
                                    driver::kStrImageRows);
    if (driver::GetStrImage(text.data(), static_cast<int>(text.size()), image.data()) != 0) return;
    for (int m = 0; m < 40; ++m) {
      for (int r = 0; r < driver::kStrImageRows; ++r) {
        const std::uint8_t byte = image[static_cast<std::size_t>(m * driver::kStrImageRows + r)];
        for (int bit = 0; bit < 8; ++bit) {
          if ((byte & (0x80 >> bit)) != 0) Dot(x + m * 8 + bit, y + r, 0x000000, 1.0);
        }
      }
    }
  }
  bool WritePng(const std::string& path, std::string* error) const {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
      if (error != nullptr) *error = "cannot create " + path;
      return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    bool ok = png != nullptr && info != nullptr;
    if (ok && setjmp(png_jmpbuf(png)) != 0) ok = false;
    if (ok) {
      png_init_io(png, file);
      png_set_IHDR(png, info, static_cast<png_uint_32>(width_), static_cast<png_uint_32>(height_),
                   8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                   PNG_FILTER_TYPE_DEFAULT);
      png_write_info(png, info);
      for (int y = 0; y < height_; ++y) {
        png_write_row(png, &rgb_[static_cast<std::size_t>(y) * width_ * 3]);
      }
      png_write_end(png, nullptr);
    }
    png_destroy_write_struct(&png, &info);
    const bool closed = std::fclose(file) == 0;
    if ((!ok || !closed) && error != nullptr) *error = "cannot write " + path;
    return ok && closed;
  }

private:
  int width_;
  int height_;
  std::vector<std::uint8_t> rgb_;
};

// Calls dot(x index, row index, value) for every printed dot of a block.
template <typename Visit>
void ForEachDot(const RasterBlock& block, Visit visit) {
  const int perByte = 8 / block.bitsPerDot;
  const int mask = block.bitsPerDot == 1 ? 1 : 3;
  for (std::size_t r = 0; r < block.rows.size(); ++r) {
    const Bytes& row = block.rows[r];
    for (std::size_t b = 0; b < row.size(); ++b) {
      const std::uint8_t byte = row[b];
      if (byte == 0) continue;
      for (int k = 0; k < perByte; ++k) {
        const int value = (byte >> (8 - block.bitsPerDot * (k + 1))) & mask;
        if (value != 0) visit(static_cast<int>(b) * perByte + k, static_cast<int>(r), value);
      }
    }
  }
}

}  // namespace

std::uint32_t InkColour(int code) {
  switch (code) {
    case 0x00: return 0x000000;  // black
    case 0x01: return 0xDC008C;  // magenta
    case 0x02: return 0x00A0DC;  // cyan
    case 0x04: return 0xF0D200;  // yellow
    case 0x40: return 0x6E6E6E;  // light black
    case 0x41: return 0xF078C8;  // light magenta
    case 0x42: return 0x6ED2F0;  // light cyan
    case 0x44: return 0xC89600;  // dark yellow
    case 0x80: return 0x3C1E64;  // matte black
    case 0xC0: return 0xC81E1E;  // red
    default: break;
  }
  // The other head rows that the sheets address one by one, in hues told apart at a glance.
  static constexpr std::uint32_t kRows[] = {0x0078C8, 0xC8005A, 0x505050, 0xE67800, 0x1E9646,
                                            0x8C50C8, 0xD2B400, 0xE66EAA, 0x50BEE6};
  if (code >= 0x81 && code <= 0x89) return kRows[code - 0x81];
  return 0x969696;
}

PageRenderer::PageRenderer(std::function<void(const std::string&)> warn) : warn_(std::move(warn)) {}

void PageRenderer::Reset() {
  base_ = 2880;
  pageUnit_ = vUnit_ = hUnit_ = 1;
  hPitch_ = vPitch_ = 1.0 / 360;
  x_ = 0;
}

// A carriage move (7D 01: mode, position in 1/360 inch) puts the head where the next block
// starts; a paper feed (7D 84: a, b, distance in 1/2880 inch) and a feed run (7D 02 with mode 3:
// its second value, 1/2880 inch) move the paper on.
void PageRenderer::Factory(const FactoryCommand& command) {
  if (command.family != 0x7D) return;
  const Bytes& p = command.params;
  if (command.code == 0x01 && p.size() == 3) x_ = Word(p, 1) / 360.0;
  if (command.code == 0x84 && p.size() == 4) y_ += Word(p, 2) / 2880.0;
  if (command.code == 0x02 && p.size() == 11 && p[0] == 3) y_ += Dword(p, 7) / 2880.0;
}

void PageRenderer::Setting(char letter, const Bytes& params) {
  auto needs = [&](std::size_t count) {
    if (params.size() == count) return true;
    warn_(std::string("page setting '") + letter + "' with " + std::to_string(params.size()) +
          " parameter bytes");
    return false;
  };
  const double page = static_cast<double>(pageUnit_) / base_;
  switch (letter) {
    case 'U':
      if (!needs(5)) return;
      if (params[0] == 0 || params[1] == 0 || params[2] == 0 || Word(params, 3) == 0) {
        warn_("unit of zero ignored");
        return;
      }
      pageUnit_ = params[0];
      vUnit_ = params[1];
      hUnit_ = params[2];
      base_ = static_cast<int>(Word(params, 3));
      return;
    case 'D':
      if (!needs(4)) return;
      if (Word(params, 0) == 0 || params[2] == 0 || params[3] == 0) {
        warn_("resolution of zero ignored");
        return;
      }
      hPitch_ = static_cast<double>(params[2]) / Word(params, 0);
      vPitch_ = static_cast<double>(params[3]) / Word(params, 0);
      return;
    case 'C':
      if (needs(4)) page_.length = Dword(params, 0) * page;
      return;
    case 'c':
      // The top margin may lie above the paper edge: it is signed.
      if (needs(8)) y_ = static_cast<std::int32_t>(Dword(params, 0)) * page;
      return;
    case 'S':
      if (!needs(8)) return;
      page_.width = Dword(params, 0) * page;
      page_.length = Dword(params, 4) * page;
      return;
    case '$':
      if (needs(4)) x_ = Dword(params, 0) * HorizontalUnit();
      return;
    case 'v':
      if (needs(4)) y_ += Dword(params, 0) * VerticalUnit();
      return;
    default:
      return;  // graphics mode, colour mode, dot size, method and remote mode: nothing to place
  }
}

void PageRenderer::Raster(const RasterBlock& block) {
  const double dotsPerByte = 8.0 / block.bitsPerDot;
  const double right = x_ + block.bytesPerLine * dotsPerByte * hPitch_;
  const double bottom = y_ + block.lines * vPitch_;
  const bool wide = page_.width > 0 && right > page_.width + 1e-9;
  const bool long_ = page_.length > 0 && bottom > page_.length + 1e-9;
  if (wide || long_) {
    // Blank raster past the edge loses nothing; only dots that would miss the paper count.
    bool offRight = false;
    bool offEnd = false;
    ForEachDot(block, [&](int dot, int row, int) {
      offRight = offRight || (wide && x_ + (dot + 1) * hPitch_ > page_.width + 1e-9);
      offEnd = offEnd || (long_ && y_ + (row + 1) * vPitch_ > page_.length + 1e-9);
    });
    if (offRight) warn_("raster runs past the right edge of the page");
    if (offEnd) warn_("raster runs past the end of the page");
  }
  page_.blocks.push_back({x_, y_, hPitch_, vPitch_, block});
}

void PageRenderer::FeedRows(int rows) { y_ += rows * vPitch_; }

Page PageRenderer::EndPage() {
  Page finished = std::move(page_);
  page_ = Page{};
  x_ = 0;
  y_ = 0;
  return finished;
}

DotCounts CountDots(const Page& page) {
  DotCounts counts;
  for (const PlacedBlock& placed : page.blocks) {
    std::uint64_t dots = 0;
    ForEachDot(placed.block, [&dots](int, int, int) { ++dots; });
    counts[placed.block.colour] += dots;
  }
  return counts;
}

bool WritePagePng(const Page& page, const std::string& path, bool full, std::string* error) {
  double width = page.width;
  double length = page.length;
  std::set<int> colours;
  for (const PlacedBlock& placed : page.blocks) {
    const double dots = placed.block.bytesPerLine * (8.0 / placed.block.bitsPerDot);
    if (page.width <= 0) width = std::max(width, placed.x + dots * placed.hPitch);
    if (page.length <= 0) length = std::max(length, placed.y + placed.block.lines * placed.vPitch);
    colours.insert(placed.block.colour);
  }
  width = std::max(width, kBlankPageInches);
  length = std::max(length, kBlankPageInches);
  const double perInch =
      full ? kFullDotsPerInch : std::min(kFullDotsPerInch, kScreenPixels / std::max(width, length));
  const int legendHeight = 20 + 60 * static_cast<int>(colours.size());
  // A job may place its paper or its raster anywhere: the picture is refused, not allocated,
  // when it would be larger than any sheet of the series at full resolution.
  const double pixels = (std::ceil(width * perInch) + kLegendWidth) *
                        std::max(std::ceil(length * perInch), static_cast<double>(legendHeight));
  if (!(pixels <= kMaxPagePixels)) {
    if (error != nullptr) {
      char text[160];
      std::snprintf(text, sizeof text,
                    "a page of %.0f x %.0f inches is larger than a picture may be (%.0f pixels)",
                    width, length, kMaxPagePixels);
      *error = text;
    }
    return false;
  }
  Canvas canvas(static_cast<int>(std::ceil(width * perInch)) + kLegendWidth,
                std::max(static_cast<int>(std::ceil(length * perInch)), legendHeight));
  for (const PlacedBlock& placed : page.blocks) {
    const std::uint32_t ink = InkColour(placed.block.colour);
    ForEachDot(placed.block, [&](int dot, int row, int value) {
      const double x = placed.x + dot * placed.hPitch;
      const double y = placed.y + row * placed.vPitch;
      canvas.Cell(x * perInch, y * perInch, (x + placed.hPitch) * perInch,
                  (y + placed.vPitch) * perInch, ink, Intensity(value, placed.block.bitsPerDot));
    });
  }
  // The margin: the page's edge, then a swatch and the code of every colour printed.
  const int left = static_cast<int>(std::ceil(width * perInch));
  canvas.Box(left, 0, 2, canvas.Height(), 0xB4B4B4);
  int y = 20;
  for (const int colour : colours) {
    char label[8];
    std::snprintf(label, sizeof label, "0x%02X", colour & 0xFF);
    canvas.Box(left + 20, y, 40, 40, InkColour(colour));
    canvas.Text(left + 72, y - 4, label);
    y += 60;
  }
  return canvas.WritePng(path, error);
}

namespace {

// A fresh printer's reading of a job: the page renderer plus counts of what else came. Each page
// that ends goes to onPage, which returns what went wrong with it ("" when nothing did).
class JobReader final : public CommandSink {
public:
  JobReader(RenderSummary& summary, std::function<std::string(const Page&)> onPage)
      : summary_(summary),
        onPage_(std::move(onPage)),
        pages_([this](const std::string& what) { Warn(what); }) {}

  void Read(const Bytes& job) {
    CommandParser parser(*this);
    parser.Feed(job.data(), job.size());
    if (parser.Incomplete()) Warn("the job ended in the middle of a command");
    if (pages_.HasContent()) {
      Warn("the job ended without ending its page");
      End(pages_.EndPage());
    }
  }

  void OnReset() override { pages_.Reset(); }
  void OnSetting(char letter, const Bytes& params) override { pages_.Setting(letter, params); }
  void OnRaster(const RasterBlock& block) override {
    ++summary_.rasterBlocks;
    summary_.rows += block.rows.size();
    pages_.Raster(block);
  }
  void OnControl(std::uint8_t byte) override {
    if (byte == 0x0C) End(pages_.EndPage());
  }
  void OnRemote(const std::string&, const Bytes&) override { ++summary_.remoteCommands; }
  void OnFactory(const FactoryCommand& command) override {
    ++summary_.factoryCommands;
    pages_.Factory(command);
  }
  void OnFirmware(const Bytes&) override { Warn("a firmware file, not a print job"); }
  void OnMalformed(const std::string& what) override { Warn(what); }

private:
  void Warn(const std::string& what) {
    if (summary_.warnings.size() < 100) summary_.warnings.push_back(what);
  }

  void End(const Page& page) {
    ++summary_.pages;
    for (const auto& [colour, dots] : CountDots(page)) summary_.dots[colour] += dots;
    if (const std::string problem = onPage_(page); !problem.empty()) Warn(problem);
  }

  RenderSummary& summary_;
  std::function<std::string(const Page&)> onPage_;
  PageRenderer pages_;
};

}  // namespace

RenderSummary RenderJob(const Bytes& job, const std::string& outputPng, bool full) {
  RenderSummary summary;
  JobReader reader(summary, [&](const Page& page) {
    std::string path = outputPng;
    if (summary.pages > 1) {
      const auto dot = path.rfind(".png");
      path = (dot == std::string::npos ? path : path.substr(0, dot)) + "-" +
             std::to_string(summary.pages) + ".png";
    }
    std::string error;
    if (WritePagePng(page, path, full, &error)) summary.files.push_back(path);
    return error;
  });
  reader.Read(job);
  return summary;
}

std::vector<Page> ReadPages(const Bytes& job) {
  RenderSummary summary;
  std::vector<Page> pages;
  JobReader reader(summary, [&pages](const Page& page) {
    if (!page.blocks.empty()) pages.push_back(page);
    return std::string();
  });
  reader.Read(job);
  return pages;
}

}  // namespace vprinter
