#pragma once
// The service record page (item 90080): the attached printer's record as a table, newest first
// (with a line database, its runs from every station), one row per run (time, item, result, error
// code, station) and under it a row across the table for each message it showed. The column
// headings and the messages' lead are the item's page texts.

#include "ui/pages/page_table.h"

namespace ui {

inline constexpr int kServiceRecordTemplate = 388;
inline constexpr int kServiceRecordTableId = 1700;
inline constexpr int kServiceRecordColumns = 5;

class CSvcDlgRecord : public TStackedPage {
public:
  using TStackedPage::TStackedPage;

  bool CollectInput() override { return true; }
  bool RefreshPage() override;
};

void AddServiceRecordPage(PageTable& pages);

}  // namespace ui
