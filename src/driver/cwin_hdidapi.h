#pragma once
// The head-ID coding: 45 NVRAM bytes, each a symbol 0..29, and 45 characters from an alphabet
// without look-alikes (no B, I, L, O, S, Z). The last symbol is a check symbol over the first 44
// (Luhn mod 30), so a mistyped character or two swapped neighbours are caught.

#include <string>
#include <string_view>

namespace driver {

inline constexpr std::string_view kHeadIdAlphabet = "0123456789ACDEFGHJKMNPQRTUVWXY";
inline constexpr int kHeadIdChars = 45;

enum HeadIdCode : int {
  kHeadIdOk = 0,
  kHeadIdBadSymbol = -1,     // a byte outside 0..29
  kHeadIdBadCheck = -2,      // the check symbol does not match
  kHeadIdBadLength = -3,     // not 45 characters
  kHeadIdBadCharacter = -4,  // a character outside the alphabet
  kHeadIdNullPointer = -5,
};

class CWinHdidapi {
public:
  explicit CWinHdidapi(int mode);
  // 45 ints (one per NVRAM byte) to the 45-character text.
  int ConvData2String(const int* data, std::string* text) const;
  // A 45-character text to 45 ints; negative when the text is not a valid head ID. Lower-case
  // letters are taken as upper-case.
  int ConvString2Data(const std::string& text, int* data) const;
  int GetStringLen(int mode, int* length) const;

  // The check symbol of 44 symbols.
  static int CheckSymbol(const int* symbols);
};

}  // namespace driver
