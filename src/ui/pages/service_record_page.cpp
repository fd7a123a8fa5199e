#include "ui/pages/service_record_page.h"

#include "operations/operation_request.h"
#include "printer/link_errors.h"

namespace ui {
namespace {

DialogTemplate RecordLayout() {
  return {kServiceRecordTemplate,
          "",
          237,
          165,
          {{kServiceRecordTableId, ControlKind::Table, "", {0, 4, 237, 160}}}};
}

// A run's messages, one to a line.
std::string MessageLines(const std::vector<std::string>& messages) {
  std::string lines;
  for (const std::string& message : messages) lines += (lines.empty() ? "" : "\n") + message;
  return lines;
}

// The error code is left out while nothing has failed on the run's link.
std::vector<std::string> Cells(const operations::ServiceRecordEntry& entry) {
  return {entry.time, entry.title, entry.result,
          entry.lastError == printer::kLinkFresh ? "" : std::to_string(entry.lastError),
          MessageLines(entry.messages)};
}

}  // namespace

bool CSvcDlgRecord::RefreshPage() {
  if (!FirstRefresh()) return true;
  const operations::OperationRequest& request = *Request();
  ChangeItem(kServiceRecordTableId, [&request](ControlState& c) {
    c.items.assign(request.pageText.text.begin(),
                   request.pageText.text.begin() + kServiceRecordColumns);
    c.rows.clear();
    for (const auto& entry : request.record) c.rows.push_back(Cells(entry));
  });
  return true;
}

void AddServiceRecordPage(PageTable& pages) {
  pages.Add(RecordLayout(), [](const DialogTemplate& layout, const PageServices& services) {
    return std::make_unique<CSvcDlgRecord>(layout, services.ui);
  });
}

}  // namespace ui
