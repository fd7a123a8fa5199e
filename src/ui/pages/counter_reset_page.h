#pragma once
// The counter page (items 20020, 20040, 20050, 20080): the wear counter the printer holds, the
// part's rated life and how much of it is used, one row (two for item 20040, each with a check
// box choosing whether the reset takes it).

#include <string>

#include "ui/pages/page_table.h"

namespace ui {

inline constexpr int kCounterTemplate = 385;
inline constexpr int kCounterCurrentLabelId = 1370;
inline constexpr int kCounterLifeLabelId = 1375;
inline constexpr int kCounterRateLabelId = 1372;
// By row: current, life, rate, the "%" after the rate, the row's check box.
inline constexpr int kCounterCurrentIds[2] = {1373, 1378};
inline constexpr int kCounterLifeIds[2] = {1376, 1379};
inline constexpr int kCounterRateIds[2] = {1374, 1377};
inline constexpr int kCounterPercentIds[2] = {1364, 1365};
inline constexpr int kCounterCheckIds[2] = {1345, 1346};
// The item with two counters.
inline constexpr int kTwoCounterItem = 20040;

class CSvcDlgReset : public TStackedPage {
public:
  using TStackedPage::TStackedPage;

  bool CollectInput() override;
  bool RefreshPage() override;

protected:
  void DoDataExchange(DataExchange& dx) override;

private:
  void Attach();

  std::string labels_[3];
  std::string current_[2];
  std::string life_[2];
  std::string rate_[2];
  int checks_[2] = {};
};

// The rated life of a row's counter for an item (the count that is 100 %), or 0 for none.
int RatedLife(int itemNumber, int row);

void AddCounterResetPage(PageTable& pages);

}  // namespace ui
