#include "driver/cwin_hdidapi.h"

#include <cctype>

namespace driver {
namespace {

constexpr int kBase = static_cast<int>(kHeadIdAlphabet.size());

}  // namespace

CWinHdidapi::CWinHdidapi(int /*mode: the conversion table; 80 in every use*/) {}

int CWinHdidapi::CheckSymbol(const int* symbols) {
  // Luhn mod N: double every second symbol from the right, fold the result into base N.
  int sum = 0;
  bool doubled = true;
  for (int i = kHeadIdChars - 2; i >= 0; --i) {
    int value = symbols[i];
    if (doubled) {
      value *= 2;
      value = value / kBase + value % kBase;
    }
    sum += value;
    doubled = !doubled;
  }
  return (kBase - sum % kBase) % kBase;
}

int CWinHdidapi::ConvData2String(const int* data, std::string* text) const {
  if (data == nullptr || text == nullptr) return kHeadIdNullPointer;
  std::string result;
  for (int i = 0; i < kHeadIdChars; ++i) {
    if (data[i] < 0 || data[i] >= kBase) return kHeadIdBadSymbol;
    result += kHeadIdAlphabet[static_cast<std::size_t>(data[i])];
  }
  if (CheckSymbol(data) != data[kHeadIdChars - 1]) return kHeadIdBadCheck;
  *text = std::move(result);
  return kHeadIdOk;
}

int CWinHdidapi::ConvString2Data(const std::string& text, int* data) const {
  if (data == nullptr) return kHeadIdNullPointer;
  if (static_cast<int>(text.size()) != kHeadIdChars) return kHeadIdBadLength;
  int symbols[kHeadIdChars];
  for (int i = 0; i < kHeadIdChars; ++i) {
    const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(text[i])));
    const auto position = kHeadIdAlphabet.find(c);
    if (position == std::string_view::npos) return kHeadIdBadCharacter;
    symbols[i] = static_cast<int>(position);
  }
  if (CheckSymbol(symbols) != symbols[kHeadIdChars - 1]) return kHeadIdBadCheck;
  for (int i = 0; i < kHeadIdChars; ++i) data[i] = symbols[i];
  return kHeadIdOk;
}

int CWinHdidapi::GetStringLen(int, int* length) const {
  if (length == nullptr) return kHeadIdNullPointer;
  *length = kHeadIdChars;
  return kHeadIdOk;
}

}  // namespace driver
