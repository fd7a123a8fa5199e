#pragma once
// The user interface without a screen, for tests and the command line: every call is recorded
// in order, and answers come from queues or, when none is queued, from a default (the first
// button, the dialog's own end, a cancelled file dialog). Thread-safe.

#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <vector>

#include "ui_services/ui_services.h"

namespace ui {

// The kinds of call the program makes of its user interface.
enum class UiCallKind {
  MessageBox,
  MessageDialog,
  OpenFile,
  SaveFile,
  WaitCursor,
  NormalCursor,
  Wait,
  WaitClosed,
  Progress,
  ProgressPosition,
  ProgressClosed,
  Picture,
  ShellOpen,
  StartProcess,
  Temperature,
  Dialog,
  Modeless,
  Chart,
};

// The kind as scripts read it: "message-box", "open-file", ...
const char* KindName(UiCallKind kind);

// One call the program made of its user interface.
struct UiCall {
  UiCallKind kind = UiCallKind::MessageBox;
  std::string text;    // the text shown, the caption or the path
  unsigned style = 0;  // message box style, message dialog mode, template id
  int answer = 0;
  std::string caption;  // of a message box or a dialog; the folder a file dialog opens in
};

class ScriptedUiServices final : public UiServices {
public:
  // Answers for message boxes, message dialogs and the temperature dialog (OK or Cancel).
  void QueueAnswer(int answer);
  void QueueFile(std::optional<std::string> path);
  void QueueTemperature(std::optional<double> celsius);
  // What the user does in the next modal dialog; without one the dialog is closed (Cancel).
  void QueueDialogAction(std::function<void(CDialog&)> action);
  void SetPictureSize(const std::string& path, PictureSize size);
  void SetScreen(ScreenMetrics screen);
  void SetShellOpenResult(int result);
  // Makes every process start fail with this system text ("" lets them start).
  void SetStartProcessFailure(std::string systemText);
  // Without a queued answer, take the box's last button (Cancel, No) instead of its first: for
  // runs where nobody is there to fix the printer.
  void SetDeclineByDefault(bool decline);
  // Told of every call as it is made, on the caller's thread: for a user who watches a script
  // run (progress on a terminal).
  void SetObserver(std::function<void(const UiCall&)> observer);

  std::vector<UiCall> Calls() const;
  // The calls of one kind.
  std::vector<UiCall> Calls(UiCallKind kind) const;
  // Runs the tasks posted to the user-interface thread so far; returns how many ran.
  int RunPosted();

  int MessageBox(const std::string& text, const std::string& caption, unsigned style) override;
  int ShowMessageDialog(const std::string& text, int mode) override;
  std::optional<std::string> OpenFileDialog(const FileDialogRequest& request) override;
  std::optional<std::string> SaveFileDialog(const FileDialogRequest& request) override;
  void SetWaitCursor(bool waiting) override;
  void ShowWaitDialog(const std::string& text) override;
  void CloseWaitDialog() override;
  void ShowProgressDialog(const std::string& text, std::uint32_t barColour, int minimum,
                          int maximum) override;
  void SetProgress(int position) override;
  void CloseProgressDialog() override;
  // Recorded as "caption | path", with the fit as style.
  void ShowPicture(const std::string& path, const std::string& caption,
                   PictureFit fit = PictureFit::PhysicalSize) override;
  std::optional<PictureSize> LoadPictureSize(const std::string& path) override;
  // Keeps the chart (see Charts) and writes nothing; fails as a writer would when the path's
  // folder does not exist.
  bool SaveChart(const Chart& chart, const std::string& path, std::string* error) override;
  // The charts saved so far, with their paths.
  std::vector<std::pair<std::string, Chart>> Charts() const;
  ScreenMetrics Screen() override;
  int ShellOpen(const std::string& path) override;
  bool StartProcess(const std::string& program, const std::vector<std::string>& args,
                    std::string* error) override;
  bool AskTemperature(double& celsius) override;
  int RunModal(CDialog& dialog) override;
  bool ShowModeless(CDialog& dialog) override;
  void PostToUi(std::function<void()> task) override;

private:
  int Record(UiCallKind kind, std::string text, unsigned style, int answer,
             std::string caption = {});
  std::optional<int> NextAnswer();
  bool Declining() const;
  std::optional<std::string> NextFile(UiCallKind kind, const FileDialogRequest& request);

  mutable std::mutex mutex_;
  std::vector<UiCall> calls_;
  std::deque<int> answers_;
  std::deque<std::optional<std::string>> files_;
  std::deque<std::optional<double>> temperatures_;
  std::deque<std::function<void(CDialog&)>> dialogActions_;
  std::deque<std::function<void()>> posted_;
  std::map<std::string, PictureSize> pictures_;
  std::vector<std::pair<std::string, Chart>> charts_;
  ScreenMetrics screen_;
  int shellOpenResult_ = 33;
  std::string startFailure_;
  bool decline_ = false;
  std::function<void(const UiCall&)> observer_;
};

}  // namespace ui
