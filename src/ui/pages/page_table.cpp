#include "ui/pages/page_table.h"

#include "ui/pages/bid_page.h"
#include "ui/pages/choice_status_page.h"
#include "ui/pages/cleaning_page.h"
#include "ui/pages/clock_page.h"
#include "ui/pages/counter_reset_page.h"
#include "ui/pages/head_id_page.h"
#include "ui/pages/mac_address_page.h"
#include "ui/pages/measured_values_page.h"
#include "ui/pages/nozzle_check_page.h"
#include "ui/pages/nvram_copy_page.h"
#include "ui/pages/service_record_page.h"
#include "ui/pages/text_input_page.h"
#include "ui/pages/unit_function_page.h"

namespace ui {

void PageTable::Add(DialogTemplate layout, PageFactory make) {
  const int id = layout.id;
  rows_.insert_or_assign(id, Row{std::move(layout), std::move(make)});
}

const DialogTemplate* PageTable::FindTemplate(int templateId) const {
  const auto found = rows_.find(templateId);
  return found == rows_.end() ? nullptr : &found->second.layout;
}

std::unique_ptr<TStackedPage> PageTable::MakePage(int templateId,
                                                 const PageServices& services) const {
  const auto found = rows_.find(templateId);
  if (found == rows_.end()) return nullptr;
  return found->second.make(found->second.layout, services);
}

std::vector<int> PageTable::TemplateIds() const {
  std::vector<int> ids;
  for (const auto& [id, row] : rows_) ids.push_back(id);
  return ids;
}

const PageTable& ProgramPages() {
  // The pages join here, one Add…Page call each, as they are built; until then their items show
  // the title and the explanation only.
  static const PageTable pages = [] {
    PageTable table;
    AddNvramCopyPage(table);
    AddBidPage(table);
    AddMeasuredValuesPage(table);
    AddMacAddressPage(table);
    AddClockPage(table);
    AddCounterResetPage(table);
    AddHeadIdPage(table);
    AddTextInputPage(table);
    AddNozzleCheckPage(table);
    AddChoiceStatusPage(table);
    AddCleaningPage(table);
    AddUnitFunctionPage(table);
    AddServiceRecordPage(table);
    return table;
  }();
  return pages;
}

}  // namespace ui
