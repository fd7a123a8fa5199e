#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

#include "driver/cwin_hdidapi.h"
#include "driver/get_str_image.h"
#include "driver/product_constants.h"

namespace {

// Head IDs as printers already store them: their text and their 45 NVRAM symbols are fixed
// here, so a change of the check symbol's rule, which would refuse every stored ID, fails.
struct StoredHeadId {
  const char* text;
  std::vector<int> symbols;
};

std::vector<StoredHeadId> StoredHeadIds() {
  std::vector<int> descending;
  for (int v = 29; v >= 0; --v) descending.push_back(v);
  std::vector<int> second = descending;
  second.insert(second.end(), 13, 0);
  second.push_back(10);
  second.push_back(18);  // K: the check symbol
  std::vector<int> first;
  for (int i = 0; i < 44; ++i) first.push_back(i % 30);
  first.push_back(2);  // the check symbol
  return {{"0123456789ACDEFGHJKMNPQRTUVWXY0123456789ACDE2", first},
          {"YXWVUTRQPNMKJHGFEDCA98765432100000000000000AK", second},
          {"K3M9PX2V7A0DEFTR4HJQ8NWC5GU61Y0QXR7PDA3MK9EFD", {}}};
}

TEST(HeadIdCoding, StoredIdsReadAsTheirSymbolsAndBack) {
  const driver::CWinHdidapi codec(80);
  for (const StoredHeadId& id : StoredHeadIds()) {
    int data[45];
    ASSERT_EQ(codec.ConvString2Data(id.text, data), driver::kHeadIdOk) << id.text;
    if (!id.symbols.empty()) {
      EXPECT_EQ(std::vector<int>(data, data + 45), id.symbols) << id.text;
    }
    std::string back;
    ASSERT_EQ(codec.ConvData2String(data, &back), driver::kHeadIdOk);
    EXPECT_EQ(back, id.text);
    std::string lower = id.text;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(codec.ConvString2Data(lower, data), driver::kHeadIdOk);
  }
  for (char c : driver::kHeadIdAlphabet)
    EXPECT_EQ(std::string("BILOSZ").find(c), std::string::npos);
  int length = 0;
  EXPECT_EQ(codec.GetStringLen(80, &length), 0);
  EXPECT_EQ(length, 45);
}

TEST(HeadIdCoding, EveryMistypedCharacterAndSwappedNeighbourIsRefused) {
  const driver::CWinHdidapi codec(80);
  int data[45];
  for (const StoredHeadId& id : StoredHeadIds()) {
    const std::string text = id.text;
    for (std::size_t i = 0; i < text.size(); ++i) {
      for (char other : driver::kHeadIdAlphabet) {
        if (other == text[i]) continue;
        std::string typo = text;
        typo[i] = other;
        EXPECT_EQ(codec.ConvString2Data(typo, data), driver::kHeadIdBadCheck) << typo;
      }
    }
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
      std::string swapped = text;
      std::swap(swapped[i], swapped[i + 1]);
      // The one swap a Luhn check cannot see: the first and the last symbol ("0" and "Y").
      const bool blind =
          (text[i] == '0' && text[i + 1] == 'Y') || (text[i] == 'Y' && text[i + 1] == '0');
      if (swapped == text || blind) continue;
      EXPECT_EQ(codec.ConvString2Data(swapped, data), driver::kHeadIdBadCheck) << swapped;
    }
  }
}

TEST(HeadIdCoding, TruncatedForeignAndBrokenIdsAreRefused) {
  const driver::CWinHdidapi codec(80);
  const std::string text = StoredHeadIds()[0].text;
  int data[45];
  EXPECT_EQ(codec.ConvString2Data(text.substr(0, 44), data), driver::kHeadIdBadLength);
  EXPECT_EQ(codec.ConvString2Data(text + "0", data), driver::kHeadIdBadLength);
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
  EXPECT_LT(capital.left, 12);  // the first letter stands in the first cell
  EXPECT_EQ(Render(" H", image).left - capital.left, 36);  // each character takes one cell
  const Extent line = Render("0123456789", image);
  EXPECT_GT(line.right, 9 * 36);  // ten letters side by side
}

TEST(GetStrImage, LeavesTheImageClearForBlanksAndCutsWhatDoesNotFit) {
  std::vector<std::uint8_t> image;
  EXPECT_EQ(Render("   \t\x01", image).bottom, -1);
  const Extent longest = Render(std::string(3000, 'W'), image);
  EXPECT_LT(longest.right, driver::kStrImageColumns * 8);
  EXPECT_EQ(driver::GetStrImage(nullptr, 3, image.data()), driver::kStrImageNullPointer);
}

}  // namespace
