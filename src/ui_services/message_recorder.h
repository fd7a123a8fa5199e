#pragma once
// Passes everything on to the user interface it stands before, and keeps the texts of the
// messages shown since Begin and the answer to the last: what a run told the technician and
// whether the technician stopped it there, for the service record.

#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "ui_services/ui_services.h"

namespace ui {

class MessageRecorder final : public UiServices {
public:
  explicit MessageRecorder(UiServices& ui) : ui_(ui) {}

  // Forgets what was shown so far; the messages from now on are kept.
  void Begin() {
    std::lock_guard lock(mutex_);
    shown_.clear();
    lastAnswer_ = 0;
  }
  std::vector<std::string> Shown() const {
    std::lock_guard lock(mutex_);
    return shown_;
  }
  // What the last message was answered, if it asked (kAnswerOk, ...); 0 for a notice or none.
  int LastAnswer() const {
    std::lock_guard lock(mutex_);
    return lastAnswer_;
  }

  // Whether the technician stopped the run at its last question (Cancel or No).
  bool StoppedByAnswer() const {
    const int answer = LastAnswer();
    return answer == kAnswerCancel || answer == kAnswerNo;
  }

  // Only a question's answer is a choice; closing a notice is not.
  int MessageBox(const std::string& text, const std::string& caption, unsigned style) override {
    const int answer = ui_.MessageBox(text, caption, style);
    Keep(text, (style & kButtonMask) == kOk ? 0 : answer);
    return answer;
  }
  int ShowMessageDialog(const std::string& text, int mode) override {
    const int answer = ui_.ShowMessageDialog(text, mode);
    Keep(text, 0);
    return answer;
  }
  std::optional<std::string> OpenFileDialog(const FileDialogRequest& request) override {
    return ui_.OpenFileDialog(request);
  }
  std::optional<std::string> SaveFileDialog(const FileDialogRequest& request) override {
    return ui_.SaveFileDialog(request);
  }
  void SetWaitCursor(bool waiting) override { ui_.SetWaitCursor(waiting); }
  void ShowWaitDialog(const std::string& text) override { ui_.ShowWaitDialog(text); }
  void CloseWaitDialog() override { ui_.CloseWaitDialog(); }
  void ShowProgressDialog(const std::string& text, std::uint32_t barColour, int minimum,
                          int maximum) override {
    ui_.ShowProgressDialog(text, barColour, minimum, maximum);
  }
  void SetProgress(int position) override { ui_.SetProgress(position); }
  void CloseProgressDialog() override { ui_.CloseProgressDialog(); }
  void ShowPicture(const std::string& path, const std::string& caption,
                   PictureFit fit = PictureFit::PhysicalSize) override {
    ui_.ShowPicture(path, caption, fit);
  }
  std::optional<PictureSize> LoadPictureSize(const std::string& path) override {
    return ui_.LoadPictureSize(path);
  }
  bool SaveChart(const Chart& chart, const std::string& path, std::string* error) override {
    return ui_.SaveChart(chart, path, error);
  }
  ScreenMetrics Screen() override { return ui_.Screen(); }
  int ShellOpen(const std::string& path) override { return ui_.ShellOpen(path); }
  bool StartProcess(const std::string& program, const std::vector<std::string>& args,
                    std::string* error) override {
    return ui_.StartProcess(program, args, error);
  }
  bool AskTemperature(double& celsius) override { return ui_.AskTemperature(celsius); }
  int RunModal(CDialog& dialog) override { return ui_.RunModal(dialog); }
  bool ShowModeless(CDialog& dialog) override { return ui_.ShowModeless(dialog); }
  void PostToUi(std::function<void()> task) override { ui_.PostToUi(std::move(task)); }

private:
  void Keep(const std::string& text, int answer) {
    std::lock_guard lock(mutex_);
    shown_.push_back(text);
    lastAnswer_ = answer;
  }

  UiServices& ui_;
  mutable std::mutex mutex_;
  std::vector<std::string> shown_;
  int lastAnswer_ = 0;
};

}  // namespace ui
