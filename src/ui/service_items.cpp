#include "ui/service_items.h"

#include <algorithm>
#include <iterator>

namespace ui {
namespace {

constexpr unsigned E = kActionExecute, C = kActionCheck, I = kActionInput, O = kActionOption;

// By item number: page template, no prefetch, buttons {shown, always enabled, disabled}.
constexpr ServiceItem kItems[] = {
    {10010, kNoPage, true, {E, E, 0}},      {10020, kNoPage, true, {E, E, 0}},
    {10030, kNoPage, true, {E, E, 0}},      {10040, 377, true, {E | I, E, 0}},
    {10060, kNoPage, true, {E, E, 0}},      {10070, 378, false, {E | I | C | O, 0, O}},
    {10080, 369, false, {I | C, 0, 0}},     {10090, 386, true, {E, E, 0}},
    {10100, 366, false, {E, E, 0}},         {10110, kNoPage, true, {E, E, 0}},
    {10120, kNoPage, true, {E, E, 0}},      {10130, kNoPage, true, {E, E, 0}},
    {10131, 366, true, {E, E, 0}},          {10140, kNoPage, true, {E, E, 0}},
    {10150, kNoPage, true, {E, E, 0}},      {10160, kNoPage, true, {E, E, 0}},
    {10170, 377, true, {E | I, E, 0}},      {10180, 377, false, {E | I, 0, 0}},
    {10190, kNoPage, true, {E, E, 0}},      {10200, 375, true, {E | I, E | I, 0}},
    {10210, 380, false, {E | C | I, E, 0}}, {10220, 381, false, {I | C, 0, 0}},
    {10230, 362, false, {I | C, 0, 0}},     {10240, 379, false, {E | C, 0, 0}},
    {10241, 379, false, {E | C, 0, 0}},     {10250, 375, true, {E | I, E | I, 0}},
    {10260, kNoPage, true, {E, E, 0}},      {10280, kNoPage, true, {E, E, 0}},
    {10290, kNoPage, true, {E, E, 0}},      {10300, kNoPage, true, {E, E, 0}},
    {10310, kNoPage, true, {E, E, 0}},      {10330, kNoPage, true, {E, E, 0}},
    {10340, 377, true, {E | I, E, 0}},      {10370, 362, true, {E, E, 0}},
    {10380, kNoPage, true, {E, E, 0}},      {10390, kNoPage, true, {E, E, 0}},
    {10391, kNoPage, true, {E, E, 0}},      {10400, kNoPage, true, {E, E, 0}},
    {10410, 387, true, {E, E, 0}},          {19010, kNoPage, true, {0, 0, 0}},
    {20020, 385, false, {I | C, 0, 0}},     {20030, kNoPage, true, {I, I, 0}},
    {20040, 385, false, {I | C, 0, 0}},     {20050, 385, false, {I | C, 0, 0}},
    {20060, 379, false, {E | C, 0, 0}},     {20070, kNoPage, true, {E, E, 0}},
    {20080, 385, false, {I | C, 0, 0}},     {20100, kNoPage, true, {I, I, 0}},
    {20110, kNoPage, true, {I, I, 0}},      {20120, kNoPage, true, {I, I, 0}},
    {20130, kNoPage, true, {I, I, 0}},      {20150, kNoPage, true, {I, I, 0}},
    {20170, kNoPage, true, {I, I, 0}},      {20180, kNoPage, true, {I, I, 0}},
    {20190, kNoPage, true, {I, I, 0}},      {20200, kNoPage, true, {I, I, 0}},
    {20210, kNoPage, true, {I, I, 0}},      {20220, kNoPage, true, {I, I, 0}},
    {20230, kNoPage, true, {I, I, 0}},      {20240, kNoPage, true, {E, E, 0}},
    {20250, kNoPage, true, {I, I, 0}},      {20260, kNoPage, true, {I, I, 0}},
    {20270, kNoPage, true, {I, I, 0}},      {20280, kNoPage, true, {I, I, 0}},
    {30020, kNoPage, true, {E, E, 0}},      {90080, 388, false, {0, 0, 0}},
};
static_assert(std::is_sorted(std::begin(kItems), std::end(kItems),
                             [](const ServiceItem& a, const ServiceItem& b) {
                               return a.itemNumber < b.itemNumber;
                             }),
              "items are looked up by bisection");

}  // namespace

std::span<const ServiceItem> ServiceItems() { return kItems; }

const ServiceItem* FindServiceItem(int itemNumber) {
  const auto* found = std::lower_bound(
      std::begin(kItems), std::end(kItems), itemNumber,
      [](const ServiceItem& item, int number) { return item.itemNumber < number; });
  return found != std::end(kItems) && found->itemNumber == itemNumber ? found : nullptr;
}

ItemPage PageOfItem(int itemNumber, bool guided, bool hasChildren) {
  if (const ServiceItem* item = FindServiceItem(itemNumber))
    return {item->templateId, item->noPrefetch};
  if (guided && !hasChildren) return {kNoPage, false, true};
  return {};
}

ItemButtons ButtonsOfItem(int itemNumber) {
  const ServiceItem* item = FindServiceItem(itemNumber);
  return item != nullptr ? item->buttons : ItemButtons{};
}

}  // namespace ui
