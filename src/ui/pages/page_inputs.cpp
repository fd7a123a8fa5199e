#include "ui/pages/page_inputs.h"

#include <cmath>

#include "operations/operation_request.h"
#include "ui/pages/bid_page.h"
#include "ui/pages/choice_status_page.h"
#include "ui/pages/cleaning_page.h"
#include "ui/pages/clock_page.h"
#include "ui/pages/counter_reset_page.h"
#include "ui/pages/head_id_page.h"
#include "ui/pages/mac_address_page.h"
#include "ui/pages/measured_values_page.h"
#include "ui/pages/nozzle_check_page.h"
#include "ui/pages/nvram_copy_page.h"
#include "ui/pages/text_input_page.h"
#include "ui/pages/unit_function_page.h"
#include "ui/service_items.h"

namespace ui {
namespace {

enum class TextEntry { None, Serial, Address, HeadId };

// What one page fills in the request. A field the page does not fill must not be given.
struct PageInputs {
  int choices = 0;  // the selector is one of this many choices (0: the page sets none)
  int flags = 0;    // on/off choices, all of them handed
  int values = 0;   // entered values, all of them handed, each in [valueMin, valueMax]
  int valueMin = 0;
  int valueMax = 0;
  bool clock = false;  // the values are a date and time the clock page's pickers can show
  int measured = 0;    // measured values m1.., any finite number
  TextEntry text = TextEntry::None;
};

PageInputs InputsOf(int itemNumber) {
  const ServiceItem* item = FindServiceItem(itemNumber);
  switch (item == nullptr ? kNoPage : item->templateId) {
    case kTextInputTemplate:
      return {.text = itemNumber == kNetworkAddressItem ? TextEntry::Address : TextEntry::Serial};
    case kHeadIdTemplate: return {.text = TextEntry::HeadId};
    case kClockTemplate: return {.values = 6, .clock = true};
    case kMacTemplate: return {.choices = 2, .values = 6, .valueMin = 0, .valueMax = 255};
    case kBidTemplate:  // Bi-D: the unlock box, five colour boxes and six edits of whole numbers
      return {.choices = 2, .flags = 5, .values = 6, .valueMin = -32768, .valueMax = 32767};
    case kMeasuredTemplate:  // measured values: the position's four lines, the feed length, two
                             // heights (m2, m3)
      return {.measured = itemNumber == 10040 ? 4 : itemNumber == 10340 ? 3 : 1};
    case kCleaningTemplate: return {.choices = 4, .flags = 5};
    case kNozzleCheckTemplate: return {.choices = 4, .flags = 2};
    case kChoiceStatusTemplate: return {.choices = 2};
    case kCounterTemplate:
      return itemNumber == kTwoCounterItem ? PageInputs{.choices = 2, .flags = 1} : PageInputs{};
    case kNvramCopyTemplate: return {.choices = itemNumber == 10200 ? 2 : 0};  // from a file
    case kUnitFunctionTemplate: return {.choices = kUnitFunctionCount};
    default: return {};
  }
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

// The six clock values (two-digit year first) as the pickers hand them, or why not.
std::string CheckClock(const std::vector<int>& v) {
  const int year = kClockFirstYear + v[0];
  if (year < kClockFirstYear || year > kClockLastYear)
    return "the year is 00 to " + std::to_string(kClockLastYear - kClockFirstYear);
  if (v[1] < 1 || v[1] > 12) return "the month is 1 to 12";
  constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const int days = kDays[v[1] - 1] + (v[1] == 2 && IsLeapYear(year) ? 1 : 0);
  if (v[2] < 1 || v[2] > days) return "the day is 1 to " + std::to_string(days) + " in that month";
  if (v[3] < 0 || v[3] > 23 || v[4] < 0 || v[4] > 59 || v[5] < 0 || v[5] > 59)
    return "the time is 00:00:00 to 23:59:59";
  return "";
}

std::string CheckText(TextEntry entry, const std::string& text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7E)
      return "the page takes printable characters only";
  }
  switch (entry) {
    case TextEntry::Serial:
      return text.size() == static_cast<std::size_t>(kSerialInputLength)
                 ? ""
                 : "the serial number is exactly " + std::to_string(kSerialInputLength) +
                       " characters";
    case TextEntry::HeadId:
      return text.size() <= static_cast<std::size_t>(kHeadIdLength)
                 ? ""
                 : "the head ID is at most " + std::to_string(kHeadIdLength) + " characters";
    case TextEntry::Address: {
      std::string address;
      return ParseAddressField(text, address) && address == text
                 ? ""
                 : "the address is four numbers of 0 to 255 with dots between";
    }
    case TextEntry::None: break;
  }
  return "the page takes no text";
}

std::string CheckValues(const PageInputs& page, const std::vector<int>& values) {
  if (page.values == 0) return "--values: the page takes no values";
  if (values.size() != static_cast<std::size_t>(page.values))
    return "--values: the page takes exactly " + std::to_string(page.values);
  if (page.clock) {
    const std::string problem = CheckClock(values);
    return problem.empty() ? "" : "--values: " + problem;
  }
  for (const int value : values) {
    if (value < page.valueMin || value > page.valueMax)
      return "--values: each is " + std::to_string(page.valueMin) + " to " +
             std::to_string(page.valueMax);
  }
  return "";
}

std::string CheckChoices(const PageInputs& page, const GivenInputs& given) {
  if (given.selector != 0 && (given.selector < 0 || given.selector >= page.choices))
    return page.choices == 0
               ? "--selector: the page offers no choice"
               : "--selector: the page offers 0 to " + std::to_string(page.choices - 1);
  if (given.flags.empty()) return "";
  if (given.flags.size() != static_cast<std::size_t>(page.flags))
    return page.flags == 0 ? "--flags: the page has no on/off choices"
                           : "--flags: the page has exactly " + std::to_string(page.flags);
  for (const int flag : given.flags) {
    if (flag != 0 && flag != 1) return "--flags: each is 0 or 1";
  }
  return "";
}

std::string CheckMeasured(const PageInputs& page, const std::vector<double>& measured) {
  if (page.measured == 0) return "--measured: the page takes no measured values";
  if (measured.size() != static_cast<std::size_t>(page.measured))
    return "--measured: the page takes exactly " + std::to_string(page.measured);
  for (const double value : measured) {
    if (!std::isfinite(value)) return "--measured: each is a number";
  }
  return "";
}

}  // namespace

std::string CheckPageInputs(int buttonBase, int itemNumber, const GivenInputs& given) {
  const PageInputs page = InputsOf(itemNumber);
  if (std::string problem = CheckChoices(page, given); !problem.empty()) return problem;
  // Input writes what the page hands, and a page hands all of its values: none given is not
  // what it could hand. The other buttons only read or print, whatever the boxes hold.
  const bool input = buttonBase == operations::kInputBase;
  if ((input && page.values > 0) || !given.values.empty()) {
    if (std::string problem = CheckValues(page, given.values); !problem.empty()) return problem;
  }
  if ((input && page.measured > 0) || !given.measured.empty()) {
    if (std::string problem = CheckMeasured(page, given.measured); !problem.empty()) return problem;
  }
  if (given.text) {
    if (std::string problem = CheckText(page.text, *given.text); !problem.empty())
      return "--input: " + problem;
  }
  return "";
}

}  // namespace ui
