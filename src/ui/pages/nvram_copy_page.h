#pragma once
// The main-board exchange page (items 10200 and 10250): for 10200 a label, the serial number of
// the image the restore read, and a check box that makes the restore ask for an image file
// instead of the backup work file; for 10250 nothing but the item's title and explanation.

#include "ui/pages/page_table.h"

namespace ui {

inline constexpr int kNvramCopyTemplate = 375;
inline constexpr int kNvramCopyLabelId = 1570;
inline constexpr int kNvramCopySerialId = 4010;
inline constexpr int kNvramCopyFromFileId = 1580;
inline constexpr int kNvramCopyItem = 10200;

class CSvcDlgNVRAMCopy : public TStackedPage {
public:
  using TStackedPage::TStackedPage;

  bool CollectInput() override;
  bool RefreshPage() override;

protected:
  bool OnInitDialog() override;
};

void AddNvramCopyPage(PageTable& pages);

}  // namespace ui
