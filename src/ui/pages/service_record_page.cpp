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

// The page texts: four headings, the messages' lead, then the station's heading (added later,
// so a menu file without it still shows the column).
constexpr std::size_t kMessagesLead = 4;
constexpr std::size_t kStationHeading = 5;

// The error code is left out while nothing has failed on the run's link.
std::vector<std::string> Cells(const record::ServiceRecordEntry& entry) {
  return {entry.time, entry.title, entry.result,
          entry.lastError == printer::kLinkFresh ? "" : std::to_string(entry.lastError),
          entry.host.empty() ? entry.station : entry.station + " (" + entry.host + ")"};
}

}  // namespace

bool CSvcDlgRecord::RefreshPage() {
  if (!FirstRefresh()) return true;
  const operations::OperationRequest& request = *Request();
  // Each message of a run is a row of its own under the run, across the table, so that it shows
  // whole; the fifth heading ("Messages") leads each.
  ChangeItem(kServiceRecordTableId, [&request](ControlState& c) {
    const auto& texts = request.pageText.text;
    c.items.assign(texts.begin(), texts.begin() + kMessagesLead);
    c.items.push_back(texts[kStationHeading].empty() ? "Station" : texts[kStationHeading]);
    const std::string lead = texts[kMessagesLead];
    c.rows.clear();
    for (const auto& entry : request.record) {
      c.rows.push_back(Cells(entry));
      for (const std::string& message : entry.messages)
        c.rows.push_back({lead.empty() ? message : lead + ": " + message});
    }
  });
  return true;
}

void AddServiceRecordPage(PageTable& pages) {
  pages.Add(RecordLayout(), [](const DialogTemplate& layout, const PageServices& services) {
    return std::make_unique<CSvcDlgRecord>(layout, services.ui);
  });
}

}  // namespace ui
