#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

#include "driver/cwin_hdidapi.h"
#include "driver/get_str_image.h"
#include "driver/product_constants.h"

namespace {

std::string ValidHeadId() {
  int symbols[driver::kHeadIdChars];
  for (int i = 0; i < driver::kHeadIdChars - 1; ++i) symbols[i] = (i * 7 + 3) % 30;
  symbols[driver::kHeadIdChars - 1] = driver::CWinHdidapi::CheckSymbol(symbols);
  std::string text;
  EXPECT_EQ(driver::CWinHdidapi(80).ConvData2String(symbols, &text), driver::kHeadIdOk);
  return text;
}

TEST(HeadIdCoding, RoundTripsBetweenBytesAndText) {
  const driver::CWinHdidapi codec(80);
  const std::string text = ValidHeadId();
  ASSERT_EQ(text.size(), 45u);
  for (char c : text) EXPECT_EQ(std::string("BILOSZ").find(c), std::string::npos);
  int data[45];
  ASSERT_EQ(codec.ConvString2Data(text, data), driver::kHeadIdOk);
  std::string back;
  ASSERT_EQ(codec.ConvData2String(data, &back), driver::kHeadIdOk);
  EXPECT_EQ(back, text);
  std::string lower = text;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  EXPECT_EQ(codec.ConvString2Data(lower, data), driver::kHeadIdOk);
  int length = 0;
  EXPECT_EQ(codec.GetStringLen(80, &length), 0);
  EXPECT_EQ(length, 45);
}

TEST(HeadIdCoding, RejectsMistypedTruncatedAndForeignIds) {
  const driver::CWinHdidapi codec(80);
  const std::string text = ValidHeadId();
  int data[45];
  // Every single mistyped character is caught.
  for (std::size_t i = 0; i < text.size(); ++i) {
    std::string typo = text;
    typo[i] = typo[i] == 'A' ? 'C' : 'A';
    EXPECT_EQ(codec.ConvString2Data(typo, data), driver::kHeadIdBadCheck) << i;
  }
  // Swapped neighbours are caught.
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] == text[i + 1]) continue;
    std::string swapped = text;
    std::swap(swapped[i], swapped[i + 1]);
    EXPECT_LT(codec.ConvString2Data(swapped, data), 0) << i;
  }
  EXPECT_EQ(codec.ConvString2Data(text.substr(0, 44), data), driver::kHeadIdBadLength);
  std::string look = text;
  look[3] = 'O';
  EXPECT_EQ(codec.ConvString2Data(look, data), driver::kHeadIdBadCharacter);
  int bytes[45] = {};
  bytes[0] = 30;
  std::string out = "kept";
  EXPECT_EQ(codec.ConvData2String(bytes, &out), driver::kHeadIdBadSymbol);
  EXPECT_EQ(out, "kept");
  EXPECT_EQ(codec.ConvData2String(nullptr, &out), driver::kHeadIdNullPointer);
}

TEST(ProductConstants, RowsAreDistinctWhereTheTableSaysSo) {
  std::set<driver::AccessCode> codes;
  std::set<driver::WriteKey> keys;
  for (const driver::ModelConstants& model : driver::ModelTable()) {
    codes.insert(model.access);
    if (model.key) keys.insert(*model.key);
  }
  EXPECT_EQ(codes.size(), 21u);
  EXPECT_EQ(keys.size(), 16u);
  EXPECT_EQ(keys.count(driver::kFamily7BKey), 0u);
  const auto* pw = driver::FindModel("PW");
  const auto* pm = driver::FindModel("PM");
  EXPECT_EQ(pw->access, pm->access);
  EXPECT_EQ(pw->key, pm->key);
  EXPECT_EQ(driver::FindModel("FW")->access, driver::FindModel("FM")->access);
  EXPECT_EQ(driver::FindModel("FW")->testSettings, "CE20");
  EXPECT_EQ(driver::FindModel("PE")->key, driver::FindModel("MW")->key);
  EXPECT_FALSE(driver::FindModel("AC")->key.has_value());
  EXPECT_EQ(driver::FindModel("bs"), nullptr);
}

}  // namespace

namespace {

// The rows in which a dot of the rendered text is set, and the leftmost and rightmost dot.
struct Extent {
  int top = 99, bottom = -1, left = 1 << 20, right = -1;
};

Extent Render(const std::string& text, std::vector<std::uint8_t>& image) {
  image.assign(driver::kStrImageColumns * driver::kStrImageRows, 0);
  EXPECT_EQ(driver::GetStrImage(text.data(), static_cast<int>(text.size()), image.data()), 0);
  Extent e;
  for (int m = 0; m < driver::kStrImageColumns; ++m) {
    for (int r = 0; r < driver::kStrImageRows; ++r) {
      const std::uint8_t byte = image[static_cast<std::size_t>(m * driver::kStrImageRows + r)];
      for (int bit = 0; bit < 8; ++bit) {
        if ((byte & (0x80 >> bit)) == 0) continue;
        e.top = std::min(e.top, r);
        e.bottom = std::max(e.bottom, r);
        e.left = std::min(e.left, m * 8 + bit);
        e.right = std::max(e.right, m * 8 + bit);
      }
    }
  }
  return e;
}

TEST(GetStrImage, DrawsLettersAboutFortyDotsHighOnOneBaseline) {
  std::vector<std::uint8_t> image;
  const Extent capital = Render("H", image);
  const Extent small = Render("x", image);
  const Extent descender = Render("g", image);
  const Extent tall = Render("Hg|", image);
  EXPECT_EQ(capital.bottom, driver::kStrImageBaseline - 1);  // letters stand on the baseline
  EXPECT_EQ(small.bottom, capital.bottom);
  EXPECT_GT(descender.bottom, capital.bottom);  // g hangs below it
  EXPECT_GE(tall.bottom - tall.top + 1, 36);
  EXPECT_LE(tall.bottom - tall.top + 1, 48);
  EXPECT_LT(capital.left, 8);  // the first letter starts at the left edge
  const Extent line = Render("0123456789", image);
  EXPECT_GT(line.right, 9 * 20);  // ten monospaced letters side by side
}

TEST(GetStrImage, LeavesTheImageClearForBlanksAndCutsWhatDoesNotFit) {
  std::vector<std::uint8_t> image;
  EXPECT_EQ(Render("   \t\x01", image).bottom, -1);
  const Extent longest = Render(std::string(3000, 'W'), image);
  EXPECT_LT(longest.right, driver::kStrImageColumns * 8);
  EXPECT_EQ(driver::GetStrImage(nullptr, 3, image.data()), driver::kStrImageNullPointer);
}

}  // namespace
