#pragma once
// The Service NVRAM Backup Utility, opened from the start screen: saves the printer's NVRAM image
// to a file the user names, and starts the printer-data information tool on the file saved (or
// on a file it asks for).

#include <string>

#include "operations/service_environment.h"
#include "ui/dialog.h"

namespace ui {

inline constexpr int kNvramBackupTemplate = 359;
inline constexpr int kNvramBackupLabelId = 1571;
inline constexpr int kNvramBackupButtonId = 2043;
inline constexpr int kNvramBackupSerialId = 4096;
inline constexpr int kNvramBackupToolButtonId = 2047;
inline constexpr const char* kCannotStartTool = "Cannot Start Printer Data Information Tool!!";

class CSvcDlgNvramBackup : public CDialog {
public:
  CSvcDlgNvramBackup(UiServices& ui, const operations::ServiceEnvironment& environment);

  // The information tool's program, whether or not it is there.
  const std::string& ToolCommand() const { return tool_; }

protected:
  bool OnInitDialog() override;

private:
  void OnBackup();
  void OnTool();

  const operations::ServiceEnvironment& environment_;
  std::string tool_;
  std::string progressText_;
  std::string lastSaved_;
};

// The dialog's template.
DialogTemplate NvramBackupTemplate();

}  // namespace ui
