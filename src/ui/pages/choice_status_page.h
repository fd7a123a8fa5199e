#pragma once
// The two-way choice page with a status line: a choice of two with its state as the printer
// reports it (item 10090 on the printers that offer it), or only the state of the service flag,
// "--" (not read), "OFF" or "ON" (items 10240, 10241, 20060).

#include <string>

#include "ui/pages/page_table.h"

namespace ui {

inline constexpr int kChoiceStatusTemplate = 379;
inline constexpr int kChoiceGroupIds[2] = {1349, 1350};
inline constexpr int kChoiceIds[2] = {1347, 1348};
inline constexpr int kChoiceStatusId = 1346;

class CSvcDlgNozzleCIJ : public TStackedPage {
public:
  using TStackedPage::TStackedPage;

  bool CollectInput() override;
  bool RefreshPage() override;

protected:
  void DoDataExchange(DataExchange& dx) override;

private:
  void Attach();

  int choice_ = 0;
  std::string status_;
};

void AddChoiceStatusPage(PageTable& pages);

}  // namespace ui
