#pragma once
// The Bi-D adjustment page (item 10070): a grid of two rows (the row labels are the item's first
// two texts), each with three printer values, three inputs and three check boxes choosing which
// values are written, and the PG choice.

#include "ui/pages/page_table.h"

namespace ui {

inline constexpr int kBidTemplate = 378;
inline constexpr int kBidShownIds[6] = {1531, 1602, 1533, 1534, 1535, 1536};
inline constexpr int kBidInputIds[6] = {4021, 4022, 4023, 4024, 4025, 4026};
inline constexpr int kBidCheckIds[6] = {1345, 1346, 1347, 1348, 1349, 1350};
inline constexpr int kBidPgNoneId = 2501;
inline constexpr int kBidPgTypeId = 2502;
inline constexpr int kBidRowLabelIds[2] = {1365, 1366};

class CSvcDlgBidCIJ : public TStackedPage {
public:
  using TStackedPage::TStackedPage;

  bool CollectInput() override;
  bool RefreshPage() override;

protected:
  bool OnInitDialog() override;
  void DoDataExchange(DataExchange& dx) override;

private:
  int shown_[6] = {};
  int inputs_[6] = {};
  int checks_[6] = {};
  int pgChoice_ = 0;
};

void AddBidPage(PageTable& pages);

}  // namespace ui
