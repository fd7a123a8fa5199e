#pragma once
// The option unit's page (item 10410): one of the colour-measuring unit's service functions,
// picked from a drop-down list whose entries are the item's texts.

#include "ui/pages/page_table.h"

namespace ui {

inline constexpr int kUnitFunctionTemplate = 387;
inline constexpr int kUnitFunctionLabelId = 1501;
inline constexpr int kUnitFunctionListId = 1347;
inline constexpr int kUnitFunctionCount = 7;

class CSvcDlgACCEL : public TStackedPage {
public:
  using TStackedPage::TStackedPage;

  bool CollectInput() override;
  bool RefreshPage() override;

protected:
  void DoDataExchange(DataExchange& dx) override;

private:
  int function_ = 0;
};

void AddUnitFunctionPage(PageTable& pages);

}  // namespace ui
