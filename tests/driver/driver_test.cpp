#include <gtest/gtest.h>

#include <set>

#include "driver/cwin_hdidapi.h"
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
