#pragma once
// The cleaning page: the strength of a head cleaning (CL1 to CL4) and the ink row pairs to clean
// (item 10100; the pairs a model has), or the two slot cleanings (item 10131).

#include "ui/pages/page_table.h"

namespace ui {

inline constexpr int kCleaningTemplate = 366;
inline constexpr int kCleaningGroupId = 1350;
inline constexpr int kCleaningChoiceIds[4] = {1347, 1348, 1352, 1353};
inline constexpr int kCleaningRowsGroupId = 1351;
// Bk/Lk, C/M, Or/Gr, LLK(Vi)/Y, Lm/Lc
inline constexpr int kCleaningRowIds[5] = {1345, 1362, 1363, 1364, 1365};
inline constexpr int kSlotCleaningItem = 10131;

class CSvcDlgCleaning : public TStackedPage {
public:
  using TStackedPage::TStackedPage;

  bool CollectInput() override;
  bool RefreshPage() override;

protected:
  void DoDataExchange(DataExchange& dx) override;

private:
  void SetUpSlotCleaning();
  void SetUpHeadCleaning();

  int choice_ = 0;
  int rows_[5] = {};
};

void AddCleaningPage(PageTable& pages);

}  // namespace ui
