#include "ui/service_items.h"

#include <algorithm>
#include <initializer_list>

namespace ui {
namespace {

bool IsOneOf(int value, std::initializer_list<int> list) {
  return std::find(list.begin(), list.end(), value) != list.end();
}

}  // namespace

ItemPage PageOfItem(int itemNumber, bool guided, bool hasChildren) {
  const int n = itemNumber;
  if (IsOneOf(n, {10010, 10020, 10030, 10060, 10110, 10120, 10130, 10140, 10150, 10160, 10190,
                  10260, 10280, 10290, 10300, 10310, 10330, 10380, 10390, 10391, 10400, 19010,
                  20030, 20070, 20100, 20110, 20120, 20130, 20150, 20170, 20180, 20190, 20200,
                  20210, 20220, 20230, 20240, 20250, 20260, 20270, 20280, 30020}))
    return {kNoPage, true};
  if (IsOneOf(n, {10040, 10170, 10340})) return {377, true};
  if (n == 10180) return {377, false};
  if (n == 10070) return {378, false};
  if (n == 10080) return {369, false};
  if (n == 10090) return {386, true};
  if (n == 10100) return {366, false};
  if (n == 10131) return {366, true};
  if (IsOneOf(n, {10200, 10250})) return {375, true};
  if (n == 10210) return {380, false};
  if (n == 10220) return {381, false};
  if (n == 10230) return {362, false};
  if (n == 10370) return {362, true};
  if (IsOneOf(n, {10240, 10241, 20060})) return {379, false};
  if (n == 10410) return {387, true};
  if (IsOneOf(n, {20020, 20040, 20050, 20080})) return {385, false};
  if (guided && !hasChildren) return {kNoPage, false, true};
  return {};
}

ItemButtons ButtonsOfItem(int itemNumber) {
  const int n = itemNumber;
  constexpr unsigned E = kActionExecute, C = kActionCheck, I = kActionInput, O = kActionOption;
  if (IsOneOf(n, {10010, 10020, 10030, 10060, 10090, 10100, 10110, 10120, 10130, 10131,
                  10140, 10150, 10160, 10190, 10260, 10280, 10290, 10300, 10310, 10330,
                  10370, 10380, 10390, 10391, 10400, 10410, 20070, 20240, 30020}))
    return {E, E, 0};
  if (IsOneOf(n, {10040, 10170, 10340})) return {E | I, E, 0};
  if (n == 10180) return {E | I, 0, 0};
  if (n == 10210) return {E | C | I, E, 0};
  if (n == 10070) return {E | I | C | O, 0, O};
  if (IsOneOf(n, {10200, 10250})) return {E | I, E | I, 0};
  if (IsOneOf(n, {10240, 10241, 20060})) return {E | C, 0, 0};
  if (IsOneOf(n, {10080, 10220, 10230, 20020, 20040, 20050, 20080})) return {I | C, 0, 0};
  if (IsOneOf(n, {20030, 20100, 20110, 20120, 20130, 20150, 20170, 20180, 20190, 20200, 20210,
                  20220, 20230, 20250, 20260, 20270, 20280}))
    return {I, I, 0};
  return {};
}

// The pages join here as they are built; until then their items show the title and the
// explanation only.
std::unique_ptr<TStackedPage> MakeServicePage(int /*templateId*/, UiServices& /*ui*/) {
  return nullptr;
}

}  // namespace ui
