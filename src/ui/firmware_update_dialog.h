#pragma once
// The firmware update dialog, opened from the start screen: choose a .UPG file, send it to the
// printer unchanged (on a worker thread, the window stays responsive), and stay open for another
// try until EXIT.

#include <cstdint>
#include <string>

#include "operations/service_environment.h"
#include "ui/background_task.h"
#include "ui/dialog.h"

namespace ui {

inline constexpr int kFirmwareTemplate = 384;
inline constexpr int kFirmwareLabelId = 1658;
inline constexpr int kFirmwarePathId = 1662;
inline constexpr int kFirmwareReferenceId = 2028;

class CSvc_FW_Update : public CDialog {
public:
  // title: the start screen entry's; resultFlag (may be nullptr) becomes 1 after an update.
  CSvc_FW_Update(UiServices& ui, const operations::ServiceEnvironment& environment,
                 std::string title, int* resultFlag);

  const std::string& Path() const { return path_; }
  // Waits until an update started by the Update button has ended.
  void WaitForUpdate() { task_.Wait(); }

protected:
  bool OnInitDialog() override;
  void DoDataExchange(DataExchange& dx) override;

private:
  void OnReference();
  void OnUpdate();
  void OnCancel() override;
  void EnableButtons(bool enable);

  const operations::ServiceEnvironment& environment_;
  std::string title_;
  int* resultFlag_;
  std::string path_;
  std::uintmax_t size_ = 0;
  BackgroundTask task_;  // last: it waits for its thread before the rest goes
};

// Shows the dialog modally and returns how it ended.
int RunFirmwareUpdate(UiServices& ui, const operations::ServiceEnvironment& environment,
                      const std::string& title, int* resultFlag = nullptr);

DialogTemplate FirmwareUpdateTemplate();

}  // namespace ui
