#pragma once
// The start screen, the program's main window: up to seven main-menu buttons, each opening its
// function's dialog over it; and the manuals dialog that one of them opens.

#include <functional>
#include <memory>
#include <string>

#include "menu/menu_files.h"
#include "ui/dialog.h"
#include "ui/stacked_dialog.h"

namespace ui {

// Makes the dialog of a main-menu FunctionID with the entry's title, or nullptr when the program
// has none for it.
using FunctionDialogFactory =
    std::function<std::unique_ptr<CDialog>(int functionId, const std::string& title)>;

inline constexpr int kManualsFunction = 90070;

class CSvcStartup : public CDialog {
public:
  CSvcStartup(UiServices& ui, std::string programFolder, FunctionDialogFactory dialogs);
  // The version text of the menu files, known once the dialog is initialised.
  const std::string& ProgramVersion() const { return version_; }

protected:
  bool OnInitDialog() override;

private:
  void OnMainMenu();

  std::string programFolder_;
  FunctionDialogFactory dialogs_;
  std::unique_ptr<menu::MenuFiles> files_;
  std::string version_;
};

// The manuals: "Set" opens the panel menu map, "Reset" the wiring overview; the dialog stays
// open until FINISH.
class CGreltDlgIniFill : public TStackedPage {
public:
  CGreltDlgIniFill(UiServices& ui, std::string programFolder, std::string title);

protected:
  bool OnInitDialog() override;
  void DoDataExchange(DataExchange& dx) override;

private:
  void OnOpen();
  void OnFinish() { EndDialog(IDCANCEL); }

  std::string programFolder_;
  std::string title_;
  int option_ = 0;
};

}  // namespace ui
