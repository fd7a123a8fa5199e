#include "driver/get_str_image.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdlib>
#include <mutex>
#include <string>

namespace driver {
namespace {

constexpr const char* kDefaultFont = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf";
constexpr int kPixelHeight = 40;
// Every character takes a cell this wide, its glyph centred in it: the sheets' texts were spaced
// for a font this wide (the nozzle check's colour names each stand under their lane with it).
constexpr int kCellWidth = 36;

// One font face for the whole program, loaded on first use; FreeType faces are not safe to
// share between threads, so rendering holds the lock.
struct Font {
  std::mutex mutex;
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  bool tried = false;

  FT_Face Face() {
    if (!tried) {
      tried = true;
      const char* path = std::getenv("GRELT_FONT");
      if (FT_Init_FreeType(&library) == 0 &&
          FT_New_Face(library, path != nullptr && *path != '\0' ? path : kDefaultFont, 0, &face) ==
              0) {
        FT_Set_Pixel_Sizes(face, 0, kPixelHeight);
      } else {
        face = nullptr;
      }
    }
    return face;
  }
};

Font& SharedFont() {
  static Font font;
  return font;
}

void SetDot(std::uint8_t* image, int x, int row) {
  if (x < 0 || row < 0 || row >= kStrImageRows || x >= kStrImageColumns * 8) return;
  image[(x / 8) * kStrImageRows + row] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
}

}  // namespace

int GetStrImage(const char* text, int length, std::uint8_t* image) {
  if (text == nullptr || image == nullptr) return kStrImageNullPointer;
  Font& font = SharedFont();
  std::lock_guard lock(font.mutex);
  FT_Face face = font.Face();
  if (face == nullptr) return kStrImageNoFont;
  int pen = 0;
  for (int i = 0; i < length && pen < kStrImageColumns * 8; ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    const FT_ULong code = byte >= 0x20 && byte <= 0x7E ? byte : ' ';
    if (FT_Load_Char(face, code, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO | FT_LOAD_MONOCHROME) != 0)
      continue;
    const FT_GlyphSlot glyph = face->glyph;
    const FT_Bitmap& bitmap = glyph->bitmap;
    const int left = pen + (kCellWidth - static_cast<int>(glyph->advance.x >> 6)) / 2;
    for (unsigned int y = 0; y < bitmap.rows; ++y) {
      const unsigned char* line = bitmap.buffer + static_cast<std::ptrdiff_t>(y) * bitmap.pitch;
      for (unsigned int x = 0; x < bitmap.width; ++x) {
        if ((line[x / 8] & (0x80 >> (x % 8))) != 0) {
          SetDot(image, left + glyph->bitmap_left + static_cast<int>(x),
                 kStrImageBaseline - glyph->bitmap_top + static_cast<int>(y));
        }
      }
    }
    pen += kCellWidth;
  }
  return kStrImageOk;
}

}  // namespace driver
