#pragma once
// What the program asks of its user interface. Operations call it from their worker thread and
// dialogs from the user-interface thread; every method may be called from either, blocks until
// the user has answered, and returns the answer. The Qt host implements it for people, the
// scripted host for tests and the command line.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ui {

class CDialog;

// Caption of the program's own message boxes.
inline constexpr const char* kApplicationTitle = "GRELT02";

// Message box styles and answers, with the values the menu files and callers use.
enum MessageBoxStyle : unsigned {
  kOk = 0x0,
  kOkCancel = 0x1,
  kYesNo = 0x4,
  kIconError = 0x10,
  kIconQuestion = 0x20,
  kIconWarning = 0x30,
  kIconInformation = 0x40,
  kButtonMask = 0xF,
  kIconMask = 0xF0,
};

enum MessageBoxAnswer : int {
  kAnswerOk = 1,
  kAnswerCancel = 2,
  kAnswerYes = 6,
  kAnswerNo = 7,
};

// A file dialog: the filter is written as the program writes it, "Label (*.PRN) | *.PRN", with
// pairs separated by '|'.
struct FileDialogRequest {
  std::string defaultExtension;
  std::string initialName;
  std::string filter;
  std::string folder;  // where the dialog opens: one of the program's folders
};

// The physical size of a picture in hundredths of a millimetre.
struct PictureSize {
  int width = 0;
  int height = 0;
};

// How a picture window shows its picture.
enum class PictureFit { PhysicalSize, WholeInWindow };

// The screen a window is placed on.
struct ScreenMetrics {
  int pixelsPerInch = 96;
  int width = 1920;
  int height = 1080;
  int maximizedHeight = 1040;  // height of a maximized window: the screen less the task bar
};

// A chart of measured values, one bar per value, each against its own limits (the values of one
// chart may differ in scale a hundredfold). A bar that failed its test is drawn in the failing
// colour.
struct ChartBar {
  std::string label;
  int value = 0;
  int min = 0;
  std::optional<int> max;  // none: only a lower limit
  bool passed = true;
  bool operator==(const ChartBar&) const = default;
};

struct Chart {
  std::string title;
  std::string verdict;  // the line under the title: how the measurement was judged
  std::vector<ChartBar> bars;
  bool operator==(const Chart&) const = default;
};

class UiServices {
public:
  virtual ~UiServices() = default;

  // A standard message box; returns the button pressed.
  virtual int MessageBox(const std::string& text, const std::string& caption, unsigned style) = 0;
  // The shared message dialog in one of its four modes; returns OK or Cancel.
  virtual int ShowMessageDialog(const std::string& text, int mode) = 0;
  // File dialogs; nothing when the user cancelled. Open asks for an existing file, Save asks
  // before overwriting one.
  virtual std::optional<std::string> OpenFileDialog(const FileDialogRequest& request) = 0;
  virtual std::optional<std::string> SaveFileDialog(const FileDialogRequest& request) = 0;
  virtual void SetWaitCursor(bool waiting) = 0;

  // The wait dialog: shown (or its text changed) while the printer works, closed on every path.
  virtual void ShowWaitDialog(const std::string& text) = 0;
  virtual void CloseWaitDialog() = 0;
  // The progress dialog of long transfers; colour as 0x00BBGGRR.
  virtual void ShowProgressDialog(const std::string& text, std::uint32_t barColour, int minimum,
                                  int maximum) = 0;
  virtual void SetProgress(int position) = 0;
  virtual void CloseProgressDialog() = 0;

  // A picture window, modeless; several may be open. An item's picture is shown at its physical
  // size in the picture template; a printout (a printed page, a chart) whole, scaled to fit the
  // screen, with its button below it.
  virtual void ShowPicture(const std::string& path, const std::string& caption,
                           PictureFit fit = PictureFit::PhysicalSize) = 0;
  virtual std::optional<PictureSize> LoadPictureSize(const std::string& path) = 0;
  // Draws the chart into a PNG file; false, with the reason in *error, when it was not written.
  virtual bool SaveChart(const Chart& chart, const std::string& path, std::string* error) = 0;
  virtual ScreenMetrics Screen() = 0;

  // Opens a document with the desktop's viewer; a result of 32 or less is a failure.
  virtual int ShellOpen(const std::string& path) = 0;
  // Starts a program with its argument vector (no shell) and does not wait for it; false, with
  // the system's text for the error in *error, when it cannot be started.
  virtual bool StartProcess(const std::string& program, const std::vector<std::string>& args,
                            std::string* error) = 0;
  // The temperature dialog: a real number between 15.0 and 30.0; false when cancelled.
  virtual bool AskTemperature(double& celsius) = 0;

  // Runs a dialog modally and returns how it ended; shows one without waiting.
  virtual int RunModal(CDialog& dialog) = 0;
  virtual bool ShowModeless(CDialog& dialog) = 0;
  // Runs a task on the user-interface thread later; safe from any thread.
  virtual void PostToUi(std::function<void()> task) = 0;
};

// The wait cursor for the length of a scope.
class ScopedWaitCursor {
public:
  explicit ScopedWaitCursor(UiServices& ui) : ui_(ui) { ui_.SetWaitCursor(true); }
  ~ScopedWaitCursor() { ui_.SetWaitCursor(false); }
  ScopedWaitCursor(const ScopedWaitCursor&) = delete;
  ScopedWaitCursor& operator=(const ScopedWaitCursor&) = delete;

private:
  UiServices& ui_;
};

// Asks for an existing file: on OK the text becomes the chosen path (or its file name alone,
// without fullPath), on Cancel it is emptied. Callers judge the outcome by the empty text.
inline void ChooseFile(UiServices& ui, const FileDialogRequest& request, std::string& text,
                       bool fullPath = true) {
  const std::optional<std::string> chosen = ui.OpenFileDialog(request);
  if (!chosen) {
    text.clear();
  } else {
    text = fullPath ? *chosen : chosen->substr(chosen->find_last_of('/') + 1);
  }
}

}  // namespace ui
