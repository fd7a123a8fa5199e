#pragma once
// The start screen, the program's main window: up to seven main-menu buttons, each opening its
// function's dialog over it; and the manuals dialog that one of them opens.

#include <functional>
#include <memory>
#include <string>

#include "menu/menu_files.h"
#include "operations/printer_chooser.h"
#include "ui/dialog.h"
#include "ui/stacked_dialog.h"

namespace ui {

// Makes the dialog of a main-menu FunctionID with the entry's title, or nullptr when the program
// has none for it.
using FunctionDialogFactory =
    std::function<std::unique_ptr<CDialog>(int functionId, const std::string& title)>;

inline constexpr int kManualsFunction = 90070;

// With several USB printers attached, a strip at the foot lists them (port, model, serial
// number, status) and the one chosen is the one the service dialogs open, for this run of the
// program. The list is read again whenever a main-menu dialog closes.
class CSvcStartup : public CDialog {
public:
  // Without an environment there is no printer strip.
  CSvcStartup(UiServices& ui, std::string programFolder, FunctionDialogFactory dialogs,
              const operations::ServiceEnvironment* environment = nullptr);
  const std::vector<operations::AttachedPrinter>& Printers() const { return printers_; }
  // The version text of the menu files, known once the dialog is initialised.
  const std::string& ProgramVersion() const { return version_; }

protected:
  bool OnInitDialog() override;

private:
  void OnMainMenu();
  void ListPrinters();
  void OnPrinterChosen();

  std::string programFolder_;
  FunctionDialogFactory dialogs_;
  const operations::ServiceEnvironment* environment_;
  std::vector<operations::AttachedPrinter> printers_;
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
