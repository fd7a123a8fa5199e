#include "ui/pages/clock_page.h"

#include <ctime>

#include "operations/operation_request.h"
#include "ui/data_exchange.h"

namespace ui {
namespace {

DialogTemplate ClockLayout() {
  using K = ControlKind;
  return {kClockTemplate,
          "",
          237,
          160,
          {
              {kClockDateLabelId, K::Static, "", {8, 10, 40, 10}},
              {kClockDateId, K::DatePicker, "", {50, 8, 90, 14}},
              {kClockTimeLabelId, K::Static, "", {8, 30, 40, 10}},
              {kClockTimeId, K::TimePicker, "", {50, 28, 90, 14}},
          }};
}

DateTime LocalTime(std::int64_t seconds) {
  const std::time_t time = static_cast<std::time_t>(seconds);
  std::tm local{};
  localtime_r(&time, &local);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
          local.tm_hour,        local.tm_min,     local.tm_sec};
}

}  // namespace

bool CSvcDlgRTC::OnInitDialog() {
  TStackedPage::OnInitDialog();
  SetDlgItemText(kClockDateLabelId, "DATE");
  SetDlgItemText(kClockTimeLabelId, "TIME");
  ChangeItem(kClockDateId, [](ControlState& c) {
    c.rangeMin = kClockFirstYear;
    c.rangeMax = kClockLastYear;
  });
  return true;
}

void CSvcDlgRTC::DoDataExchange(DataExchange& dx) {
  dx.DateTimeValue(kClockDateId, date_);
  dx.DateTimeValue(kClockTimeId, time_);
}

bool CSvcDlgRTC::RefreshPage() {
  date_ = time_ = LocalTime(Request()->clockReference);
  UpdateData(false);
  return true;
}

// The date from the date picker and the time of day from the time picker, as the clock takes
// them: two-digit year first.
bool CSvcDlgRTC::CollectInput() {
  UpdateData(true);
  auto& v = Request()->enteredValues;
  v[0] = date_.year - 2000;
  v[1] = date_.month;
  v[2] = date_.day;
  v[3] = time_.hour;
  v[4] = time_.minute;
  v[5] = time_.second;
  return true;
}

void AddClockPage(PageTable& pages) {
  pages.Add(ClockLayout(), [](const DialogTemplate& layout, const PageServices& services) {
    return std::make_unique<CSvcDlgRTC>(layout, services.ui);
  });
}

}  // namespace ui
