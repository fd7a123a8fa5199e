#pragma once
// The print-file dialog, opened from the start screen: choose a prepared .PRN file and send it
// to the printer unchanged (on a worker thread), as often as wanted, until EXIT.

#include <memory>
#include <string>

#include "operations/service_environment.h"
#include "printer/printer_link.h"
#include "ui/background_task.h"
#include "ui/dialog.h"

namespace ui {

inline constexpr int kBinPrintTemplate = 373;
inline constexpr int kBinPrintDescriptionId = 4095;
inline constexpr int kBinPrintPathId = 1655;
inline constexpr int kBinPrintReferenceId = 2027;

class CSvcDlgBinPrint : public CDialog {
public:
  CSvcDlgBinPrint(UiServices& ui, const operations::ServiceEnvironment& environment);

  const std::string& Path() const { return path_; }
  // Waits until a print started by the Print button has ended.
  void WaitForPrint() { task_.Wait(); }

protected:
  bool OnInitDialog() override;
  void DoDataExchange(DataExchange& dx) override;

private:
  void OnReference();
  void OnPrint();
  void OnOK() override { OnPrint(); }
  void OnCancel() override;
  void EnableButtons(bool enable);

  const operations::ServiceEnvironment& environment_;
  std::unique_ptr<printer::CPrinterLink> link_;  // lives as long as the dialog
  std::string description_;
  std::string path_;
  BackgroundTask task_;  // last: it waits for its thread before the link goes
};

DialogTemplate BinPrintTemplate();

}  // namespace ui
