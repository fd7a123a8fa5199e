#pragma once
// The MAC address page (item 10220): the six bytes the printer holds, six two-character fields
// for the new address, and a check box that unlocks the first three fields, which otherwise
// hold the program's own prefix. A full field moves the focus on to the next by itself.

#include <string>

#include "ui/pages/page_table.h"

namespace ui {

inline constexpr int kMacTemplate = 381;
inline constexpr int kMacPrinterLabelId = 1346;
inline constexpr int kMacNewLabelId = 6006;
inline constexpr int kMacUnlockId = 1345;
inline constexpr int kMacShownIds[6] = {1367, 6015, 6016, 6017, 6018, 6019};
inline constexpr int kMacEditIds[6] = {1368, 6020, 6021, 6022, 6023, 6024};

class CSvcDlgMAC : public TStackedPage {
public:
  explicit CSvcDlgMAC(const DialogTemplate& layout, UiServices& ui);

  bool CollectInput() override;
  bool RefreshPage() override;
  void OnControlChanged() override;

protected:
  bool OnInitDialog() override;
  void DoDataExchange(DataExchange& dx) override;

private:
  void OnFieldChanged(int field);
  void LockPrefix();

  int unlock_ = 0;
  std::string unlockCaption_;
  std::string labels_[2];
  std::string shown_[6];
  std::string fields_[6];
};

void AddMacAddressPage(PageTable& pages);

}  // namespace ui
