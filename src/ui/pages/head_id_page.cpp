#include "ui/pages/head_id_page.h"

#include "driver/cwin_hdidapi.h"
#include "operations/operation_request.h"
#include "ui/data_exchange.h"

namespace ui {
namespace {

// The coding mode of the printers' head IDs.
constexpr int kHeadIdMode = 80;

DialogTemplate HeadIdLayout() {
  using K = ControlKind;
  DialogTemplate layout{kHeadIdTemplate, "", 237, 160, {}};
  auto& c = layout.controls;
  c.push_back({kHeadIdLabelId, K::Static, "", {8, 6, 220, 10}});
  for (int k = 0; k < 5; ++k)
    c.push_back({kHeadIdBoxIds[k], K::Edit, "", {6 + 45 * k, 20, 43, 13}});
  c.push_back({kHeadIdJudgeId, K::Static, "ID judge", {8, 42, 120, 12}});
  return layout;
}

}  // namespace

CSvcDlgHeadID::CSvcDlgHeadID(const DialogTemplate& layout, UiServices& ui)
    : TStackedPage(layout, ui) {
  for (int k = 0; k < 5; ++k) OnChange(kHeadIdBoxIds[k], [this, k] { OnBoxChanged(k); });
}

bool CSvcDlgHeadID::OnInitDialog() {
  TStackedPage::OnInitDialog();
  // Nine characters of a label are easier to compare in a fixed-pitch font.
  FontSpec boxFont;
  boxFont.faceName = "Monospace";
  for (const int id : kHeadIdBoxIds) {
    ChangeItem(id, [](ControlState& c) { c.limit = kHeadIdBoxLength; });
    SetItemFont(id, boxFont);
  }
  FontSpec judgeFont;
  judgeFont.weight = 700;
  SetItemFont(kHeadIdJudgeId, judgeFont);
  SetFocus(kHeadIdBoxIds[0]);
  return true;
}

void CSvcDlgHeadID::DoDataExchange(DataExchange& dx) {
  for (int k = 0; k < 5; ++k) dx.Text(kHeadIdBoxIds[k], boxes_[k]);
}

// The head ID read from the printer, nine characters a box; the last takes what is left.
bool CSvcDlgHeadID::RefreshPage() {
  const operations::OperationRequest& request = *Request();
  SetDlgItemText(kHeadIdLabelId, request.pageText.text[0]);
  const std::string& id = request.outputText;
  for (std::size_t k = 0; k < 5; ++k) {
    const std::size_t from = k * kHeadIdBoxLength;
    boxes_[k] =
        from < id.size() ? id.substr(from, k < 4 ? kHeadIdBoxLength : std::string::npos) : "";
  }
  UpdateData(false);
  Judge();
  return true;
}

void CSvcDlgHeadID::OnBoxChanged(int box) {
  UpdateData(true);
  if (Focus() == kHeadIdBoxIds[box] && box < 4 &&
      static_cast<int>(boxes_[box].size()) == Item(kHeadIdBoxIds[box]).limit)
    NextDlgCtrl();
  Judge();
}

void CSvcDlgHeadID::Judge() {
  entry_.clear();
  for (const std::string& box : boxes_) entry_ += box;
  if (entry_.size() != kHeadIdLength) {
    SetDlgItemText(kHeadIdJudgeId, "");
    return;
  }
  int data[kHeadIdLength];
  const bool good = driver::CWinHdidapi(kHeadIdMode).ConvString2Data(entry_, data) >= 0;
  SetDlgItemText(kHeadIdJudgeId, good ? "ID OK!!" : "ID NG!!");
  ChangeItem(kHeadIdJudgeId,
             [good](ControlState& c) { c.textColour = good ? kJudgeGoodColour : kJudgeBadColour; });
  UpdateData(false);
}

bool CSvcDlgHeadID::CollectInput() {
  UpdateData(true);
  Judge();
  Request()->inputText = entry_;
  return true;
}

void AddHeadIdPage(PageTable& pages) {
  pages.Add(HeadIdLayout(), [](const DialogTemplate& layout, const PageServices& services) {
    return std::make_unique<CSvcDlgHeadID>(layout, services.ui);
  });
}

}  // namespace ui
