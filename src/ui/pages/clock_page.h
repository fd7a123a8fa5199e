#pragma once
// The printer clock page (item 10210): a date and a time picker, set to the time the page last
// read (the moment of selection, or the printer's clock after Check), in local time.

#include "ui/control_state.h"
#include "ui/pages/page_table.h"

namespace ui {

inline constexpr int kClockTemplate = 380;
inline constexpr int kClockDateLabelId = 1354;
inline constexpr int kClockTimeLabelId = 6006;
inline constexpr int kClockDateId = 1352;
inline constexpr int kClockTimeId = 1353;
// The printer keeps a two-digit year: the date picker offers these years only.
inline constexpr int kClockFirstYear = 2000;
inline constexpr int kClockLastYear = 2099;

class CSvcDlgRTC : public TStackedPage {
public:
  using TStackedPage::TStackedPage;

  bool CollectInput() override;
  bool RefreshPage() override;

protected:
  bool OnInitDialog() override;
  void DoDataExchange(DataExchange& dx) override;

private:
  DateTime date_;
  DateTime time_;
};

void AddClockPage(PageTable& pages);

}  // namespace ui
