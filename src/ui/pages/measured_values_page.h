#pragma once
// The page of values measured on an adjustment sheet: four lines of the position sheet
// (item 10040, each with the printer's value beside it), the length of the feed sheet
// (10170, 10180) or the two heights of the height sheet (10340). An empty box is allowed: for
// the position sheet it is marked, for the feed sheet it means the nominal 508 mm.

#include <string>

#include "ui/pages/page_table.h"

namespace ui {

inline constexpr int kMeasuredTemplate = 377;
// By row of the position sheet: label, printer value, measured value.
inline constexpr int kMeasuredLabelIds[4] = {1361, 1364, 1363, 1362};
inline constexpr int kMeasuredShownIds[4] = {1615, 1359, 1532, 1614};
inline constexpr int kMeasuredEditIds[4] = {1355, 1358, 1357, 1356};
inline constexpr int kMeasuredPrinterHeaderId = 7811;
inline constexpr int kMeasuredInputHeaderId = 7812;

class CSvcDlgTBS : public TStackedPage {
public:
  CSvcDlgTBS(const DialogTemplate& layout, const PageServices& services)
      : TStackedPage(layout, services.ui), catalogue_(services.catalogue) {}

  bool CollectInput() override;
  bool RefreshPage() override;

protected:
  void DoDataExchange(DataExchange& dx) override;

private:
  void Attach();
  void ShowOnlyRows(std::initializer_list<int> rows);
  // The number in an edit, `empty` when it is empty; false (after the message) when it is no
  // number.
  bool ReadEdit(int row, double empty, double& value, bool& wasEmpty);
  bool CollectPosition();

  const menu::MenuFiles& catalogue_;
  std::string labels_[4];
  std::string shown_[4];
  std::string edits_[4];
};

void AddMeasuredValuesPage(PageTable& pages);

}  // namespace ui
