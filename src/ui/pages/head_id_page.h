#pragma once
// The head ID page (item 10080): the 45 characters on the label of a new print head, typed into
// five boxes of nine. A full box hands the focus to the next; once all 45 are there the page
// judges them, "ID OK!!" in blue or "ID NG!!" in red, so a typing error shows before anything is
// written. After Check the boxes show the head ID the printer holds.

#include <string>

#include "ui/pages/page_table.h"

namespace ui {

inline constexpr int kHeadIdTemplate = 369;
inline constexpr int kHeadIdBoxIds[5] = {4001, 4002, 4003, 4004, 4005};
inline constexpr int kHeadIdJudgeId = 6025;
inline constexpr int kHeadIdLabelId = 7841;
inline constexpr int kHeadIdBoxLength = 9;
inline constexpr int kHeadIdLength = 5 * kHeadIdBoxLength;
inline constexpr std::uint32_t kJudgeGoodColour = 0xFF0000;  // 0x00BBGGRR: blue
inline constexpr std::uint32_t kJudgeBadColour = 0x0000FF;   // red

class CSvcDlgHeadID : public TStackedPage {
public:
  explicit CSvcDlgHeadID(const DialogTemplate& layout, UiServices& ui);

  bool CollectInput() override;
  bool RefreshPage() override;

protected:
  bool OnInitDialog() override;
  void DoDataExchange(DataExchange& dx) override;

private:
  void OnBoxChanged(int box);
  void Judge();

  std::string boxes_[5];
  std::string entry_;  // the five boxes joined: what the registration takes
};

void AddHeadIdPage(PageTable& pages);

}  // namespace ui
