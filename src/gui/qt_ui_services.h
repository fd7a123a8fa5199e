#pragma once
// The user interface for people: every service runs on the GUI thread. Called from a worker
// thread, a service is handed to the GUI thread and the worker waits for the answer; called on
// the GUI thread itself, it runs at once.

#include <QObject>
#include <QWidget>
#include <functional>
#include <list>
#include <memory>

#include "ui/font_spec.h"
#include "ui_services/ui_services.h"

namespace ui {
class CSvcDlgWait;
class CSvcDlgProgress;
class CSvcDlgPicture;
}  // namespace ui

namespace gui {

class DialogWindow;

// "Label (*.PRN) | *.PRN" as a Qt file-dialog filter: "Label (*.PRN)".
QString ToQtFilter(const std::string& filter);
// Where a file dialog starts: the request's folder, and in it the proposed name.
QString StartingPath(const ui::FileDialogRequest& request);

class QtUiServices final : public ui::UiServices {
public:
  // messageFont: the shared font of the message dialog.
  explicit QtUiServices(ui::FontSpec messageFont);
  ~QtUiServices() override;

  int MessageBox(const std::string& text, const std::string& caption, unsigned style) override;
  int ShowMessageDialog(const std::string& text, int mode) override;
  std::optional<std::string> OpenFileDialog(const ui::FileDialogRequest& request) override;
  std::optional<std::string> SaveFileDialog(const ui::FileDialogRequest& request) override;
  void SetWaitCursor(bool waiting) override;
  void ShowWaitDialog(const std::string& text) override;
  void CloseWaitDialog() override;
  void ShowProgressDialog(const std::string& text, std::uint32_t barColour, int minimum,
                          int maximum) override;
  void SetProgress(int position) override;
  void CloseProgressDialog() override;
  void ShowPicture(const std::string& path, const std::string& caption,
                   ui::PictureFit fit = ui::PictureFit::PhysicalSize) override;
  std::optional<ui::PictureSize> LoadPictureSize(const std::string& path) override;
  bool SaveChart(const ui::Chart& chart, const std::string& path, std::string* error) override;
  ui::ScreenMetrics Screen() override;
  int ShellOpen(const std::string& path) override;
  bool StartProcess(const std::string& program, const std::vector<std::string>& args,
                    std::string* error) override;
  bool AskTemperature(double& celsius) override;
  int RunModal(ui::CDialog& dialog) override;
  bool ShowModeless(ui::CDialog& dialog) override;
  void PostToUi(std::function<void()> task) override;

  // Nobody is there to answer (drawing screenshots): every message box and modal dialog is handed
  // to `draw` instead of waiting (with its template, 0 for a message box), and gets the answer of
  // a window closed unread: a message box its first button, a dialog Cancel, a file dialog no
  // file. An empty function ends it. Returns the function it replaces.
  using UnattendedDraw = std::function<void(QWidget& window, int templateId)>;
  UnattendedDraw SetUnattended(UnattendedDraw draw);
  // Draws each window into the folder: message-box-<n>.png, <template>-dialog-<n>.png.
  static UnattendedDraw DrawInto(std::string folder);

  const ui::FontSpec& MessageFont() const { return messageFont_; }
  // The open modeless windows, for screenshots and tests.
  DialogWindow* WindowOf(const ui::CDialog& dialog) const;

private:
  // Runs work on the GUI thread and returns its result.
  template <typename Work>
  auto OnGui(Work work) -> decltype(work());

  // Hands on a window that would have waited for an answer.
  void DrawUnattended(QWidget& window, int templateId);

  ui::FontSpec messageFont_;
  UnattendedDraw unattended_;
  std::unique_ptr<ui::CSvcDlgWait> wait_;
  std::unique_ptr<ui::CSvcDlgProgress> progress_;
  std::list<std::unique_ptr<ui::CSvcDlgPicture>> pictures_;
  std::list<std::pair<const ui::CDialog*, DialogWindow*>> modeless_;
  int waitCursors_ = 0;
};

}  // namespace gui
