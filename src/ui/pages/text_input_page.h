#pragma once
// The text input page: the serial number to write (item 10230, ten characters, with a counter
// and the number the printer holds), or the network address of the printer that the network
// nozzle check goes to (item 10370).

#include <string>

#include "ui/pages/page_table.h"

namespace ui {

inline constexpr int kTextInputTemplate = 362;
inline constexpr int kTextInputPromptId = 6014;
inline constexpr int kTextInputEditId = 6013;
inline constexpr int kTextInputCounterId = 6005;
inline constexpr int kTextInputAddressId = 1351;
inline constexpr int kTextInputLabelId = 7851;
inline constexpr int kSerialNumberItem = 10230;
inline constexpr int kNetworkAddressItem = 10370;
inline constexpr int kSerialInputLength = 10;  // what the serial number's box takes

// The address as the page's address field reads it: four numbers of 0 to 255 with dots between,
// an empty field counting as 0; false for anything else.
bool ParseAddressField(const std::string& text, std::string& address);

class CSvcDlgInput : public TStackedPage {
public:
  CSvcDlgInput(const DialogTemplate& layout, const PageServices& services);

  bool CollectInput() override;
  bool RefreshPage() override;

protected:
  void DoDataExchange(DataExchange& dx) override;

private:
  void Attach();
  void OnTextChanged();

  const menu::MenuFiles& catalogue_;
  int itemNumber_ = 0;
  int maxLength_ = 0;  // 0: no limit and no counter
  std::string text_;
  std::string prompt_;
  std::string counter_;
  std::string address_;
};

void AddTextInputPage(PageTable& pages);

}  // namespace ui
