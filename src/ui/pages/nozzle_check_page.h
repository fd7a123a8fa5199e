#pragma once
// The nozzle check page (item 10090): which nozzle check to print (normal, small or fine dots,
// or the shipped print file) and two options. The print-file variant takes no options.

#include "ui/pages/page_table.h"

namespace ui {

inline constexpr int kNozzleCheckTemplate = 386;
inline constexpr int kNozzleCheckGroupId = 1343;
inline constexpr int kNozzleMissingGroupId = 1344;
inline constexpr int kNozzleVariantIds[4] = {2501, 2502, 2503, 2504};
inline constexpr int kNozzleOptionIds[2] = {1345, 1346};

class CSvcDlgNozzleLL : public TStackedPage {
public:
  explicit CSvcDlgNozzleLL(const DialogTemplate& layout, UiServices& ui);

  bool CollectInput() override;
  bool RefreshPage() override;
  void OnControlChanged() override;

protected:
  void DoDataExchange(DataExchange& dx) override;

private:
  int variant_ = 0;
  int options_[2] = {};
};

void AddNozzleCheckPage(PageTable& pages);

}  // namespace ui
